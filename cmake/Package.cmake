# The Debian package: `cpack -G DEB` in the build directory makes
# keytoken_<version>_<arch>.deb from the default install (the two programs'
# files, the header, keydialogs.pc, the user unit and the manual pages).
# The demo host, the token library simulator and the picture bundle have
# install components of their own and stay out of it.
set(CPACK_PACKAGE_NAME keytoken)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Keytoken maintainers <maintainers@users.noreply.c-seed-1704113c.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "USB security token companion: token watcher and PIN dialogs")
set(CPACK_PACKAGE_DESCRIPTION
"keywatchd watches the USB bus for the bank's security token and opens the
token management application when one arrives; it runs as a systemd user
service of the graphical session.
libkeydialogs is the library of modal dialogs (PIN entry, certificate and
token choice, initialisation warning, key-press countdown, message boxes)
that the token's PKCS#11 module loads into its host process.")
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The dialogs' Chinese texts and their Arial-metric Latin face.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wqy-zenhei, fonts-noto-cjk, fonts-liberation")
# shlibs for libkeydialogs.so.1 and the ldconfig trigger.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/cmake/debian/triggers)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# Debian's own documentation files, into /usr/share/doc/keytoken.
set(doc_dir ${CMAKE_BINARY_DIR}/package-doc)
file(MAKE_DIRECTORY ${doc_dir})
configure_file(cmake/debian/copyright ${doc_dir}/copyright COPYONLY)
add_custom_command(OUTPUT ${doc_dir}/changelog.gz
  COMMAND gzip -9n < ${PROJECT_SOURCE_DIR}/cmake/debian/changelog > ${doc_dir}/changelog.gz
  DEPENDS ${PROJECT_SOURCE_DIR}/cmake/debian/changelog)
add_custom_target(package_doc ALL DEPENDS ${doc_dir}/changelog.gz)
install(FILES ${doc_dir}/copyright ${doc_dir}/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${CPACK_PACKAGE_NAME})
keytoken_install_dirs(${CMAKE_INSTALL_DATAROOTDIR}/doc/${CPACK_PACKAGE_NAME})

include(CPack)
