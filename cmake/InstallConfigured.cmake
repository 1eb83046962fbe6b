# install_configured(<template.in> <destination> [COMPONENT <name> [EXCLUDE_FROM_ALL]])
# Installs <template> without its ".in", with @VARIABLES@ filled in at install
# time, so that paths in it name the prefix actually installed to (cpack and
# `cmake --install --prefix` choose theirs after configuring). A relative
# destination is under the prefix. The file joins the install manifest.
function(install_configured template destination)
  cmake_parse_arguments(A "EXCLUDE_FROM_ALL" "COMPONENT" "" ${ARGN})
  get_filename_component(template ${template} ABSOLUTE)
  get_filename_component(name ${template} NAME)
  string(REGEX REPLACE "\\.in$" "" name ${name})
  set(component)
  if(A_COMPONENT)
    set(component COMPONENT ${A_COMPONENT})
    if(A_EXCLUDE_FROM_ALL)
      list(APPEND component EXCLUDE_FROM_ALL)
    endif()
  endif()
  install(CODE "
    set(KT_TEMPLATE \"${template}\")
    set(KT_DESTINATION \"${destination}\")
    set(KT_NAME \"${name}\")
    set(PROJECT_VERSION \"${PROJECT_VERSION}\")
    set(CMAKE_INSTALL_BINDIR \"${CMAKE_INSTALL_BINDIR}\")
    set(CMAKE_INSTALL_LIBDIR \"${CMAKE_INSTALL_LIBDIR}\")
    set(CMAKE_INSTALL_INCLUDEDIR \"${CMAKE_INSTALL_INCLUDEDIR}\")
    include(\"${PROJECT_SOURCE_DIR}/cmake/install_configured_file.cmake\")"
    ${component})
endfunction()
