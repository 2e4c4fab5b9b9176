# The Debian package (scripts/package runs cpack): what `cmake --install`
# lays out, under /usr, with its dependencies found by dpkg-shlibdeps from
# the programs and the module, the private runtime in lib/pellora included.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pellora)
set(CPACK_PACKAGE_VENDOR Brixel)
set(CPACK_PACKAGE_CONTACT "Brixel <pellora@brixel.de>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "WYSIWYG HTML editor for Tessaron content items")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Pellora edits one content item of a Tessaron installation in a visual view and as HTML,\n"
  "and stores it back on the server. The package holds the editor program, the control\n"
  "module with its SDK for host programs, and tessaron-server with a demo installation.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS /usr/${PELLORA_MODULE_DIR})
# The module draws its look from the desktop's icon theme.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "adwaita-icon-theme")
set(CPACK_DEBIAN_COMPRESSION_TYPE gzip)
include(CPack)
