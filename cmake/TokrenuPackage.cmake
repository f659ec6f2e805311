# What `cmake --install` puts on a system, and the Debian package `cpack -G DEB` makes of it.
install(TARGETS tokrenu tokrenu-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(CPACK_PACKAGE_NAME "tokrenu")
set(CPACK_PACKAGE_VENDOR "The Tokrenu developers")
set(CPACK_PACKAGE_CONTACT "The Tokrenu developers <${TOKRENU_MAIL}>")
set(CPACK_PACKAGE_HOMEPAGE_URL "${TOKRENU_HOMEPAGE}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "rename many files at once with a format")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Tokrenu collects files in a list and gives each a new name built from a\n"
    "format: literal text with name parts, sizes, dates and sequence numbers, or\n"
    "an expression with string functions and variables. A test shows what would\n"
    "happen; a run renames, moves or copies the files and can change their\n"
    "attributes and times; the last run can be undone. The user interface is\n"
    "Japanese. tokrenu-cli offers the same engine on the command line.")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so dpkg-shlibdeps cannot see them: the SVG plug-ins draw the pictures, the
# translations put Qt's own buttons and dialogs into Japanese.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk, fonts-ipafont-gothic, qt6-wayland")
include(CPack)
