# Uninstalling what `cmake --install` put in place:
#   cmake --build BUILD --target uninstall
# removes every file of the build's install manifests, then the directories
# that an install of ours created and that are empty now; directories that
# were there before (the prefix's bin/ or lib/, say) stay.
#
# keytoken_install_dirs(<dir>...): the directories an install rule puts files
# into, relative to the prefix or absolute. Before anything is installed, those
# of them (and of their parents) that do not exist yet are recorded as ours.
set(KEYTOKEN_CREATED_DIRS ${CMAKE_BINARY_DIR}/install_created_dirs.txt)
set(KEYTOKEN_INSTALL_DIRS_FILE ${CMAKE_BINARY_DIR}/install_dirs.cmake)

function(keytoken_install_dirs)
  set_property(GLOBAL APPEND PROPERTY KEYTOKEN_INSTALL_DIRS ${ARGN})
endfunction()

# Runs first in every install, of any component.
install(CODE "
  set(KT_CREATED_DIRS \"${KEYTOKEN_CREATED_DIRS}\")
  include(\"${KEYTOKEN_INSTALL_DIRS_FILE}\")
  include(\"${PROJECT_SOURCE_DIR}/cmake/record_created_dirs.cmake\")"
  ALL_COMPONENTS)

add_custom_target(uninstall
  COMMAND ${CMAKE_COMMAND} -DKT_BINARY_DIR=${CMAKE_BINARY_DIR}
    -DKT_CREATED_DIRS=${KEYTOKEN_CREATED_DIRS}
    -P ${PROJECT_SOURCE_DIR}/cmake/uninstall.cmake
  COMMENT "Removing what was installed"
  VERBATIM)

# Called once every directory has added its install rules.
function(keytoken_write_install_dirs)
  get_property(dirs GLOBAL PROPERTY KEYTOKEN_INSTALL_DIRS)
  list(REMOVE_DUPLICATES dirs)
  file(CONFIGURE OUTPUT ${KEYTOKEN_INSTALL_DIRS_FILE} CONTENT
    "set(KT_INSTALL_DIRS \"${dirs}\")\n")
endfunction()
