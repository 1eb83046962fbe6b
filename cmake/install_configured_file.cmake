# Install-time half of install_configured(): runs inside cmake_install.cmake,
# where CMAKE_INSTALL_PREFIX is the prefix being installed to.
if(IS_ABSOLUTE "${KT_DESTINATION}")
  set(kt_dir "$ENV{DESTDIR}${KT_DESTINATION}")
else()
  set(kt_dir "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${KT_DESTINATION}")
endif()
message(STATUS "Installing: ${kt_dir}/${KT_NAME}")
configure_file("${KT_TEMPLATE}" "${kt_dir}/${KT_NAME}" @ONLY)
file(CHMOD "${kt_dir}/${KT_NAME}" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${kt_dir}/${KT_NAME}")
