# The Debian package (cpack -G DEB in a build configured with
# -DCMAKE_INSTALL_PREFIX=/usr; tools/dev.sh package does all of it).
set(CPACK_PACKAGE_NAME permuto)
set(CPACK_PACKAGE_VENDOR "The Permuto developers")
set(CPACK_PACKAGE_CONTACT "The Permuto developers <permuto@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "reorder the modules of synthesizer patch files by signal flow")
# The long description; CPack puts the summary before it and a blank before
# each of its lines.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Permuto opens the text patch files (*.pch) of a vintage modular
synthesizer, shows the modules of both areas of a patch in processing
order, marks the connections that arrive a sample late, and renumbers
modules to put them right: by exchanging two indices, moving a module or
ordering a whole area by signal flow. Every line that refers to a
renumbered module is renumbered with it, and every step can be undone.
.
The patch view draws a patch as boxes and cables, with late cables and
feedback loops marked. The command-line tool permuto-cli does the same
for scripts and collections of patches, and draws patches as SVG.")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
include(CPack)
