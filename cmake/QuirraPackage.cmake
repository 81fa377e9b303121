# The Debian package, made by CPack's DEB generator from the install rules that
# `cmake --install` runs too, so the package holds exactly what a local install does
# (resources/package/installed-files.txt). scripts/package builds and checks it.
#
# The package is native: Quirra packages itself from its own tree, so its version is
# the project() version with no Debian revision, and its changelog is changelog.gz.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quirra)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quirra developers")
set(CPACK_PACKAGE_CONTACT "${QUIRRA_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "document scanning application for USB and network scanners")
set(CPACK_PACKAGE_DESCRIPTION [=[
Quirra is a desktop application with a Chinese user interface for scanning
documents. It reaches USB scanners through SANE and talks to network
scanners that speak eSCL directly, finding them on the local network.

It scans single pages or a whole stack from the document feeder, drops
blank pages, lets the pages be rotated, cropped, straightened, cleaned up,
split, merged and annotated with undo, and saves the document as a PDF,
a multi-page TIFF or a series of images.]=])

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://github.com/quirra/Quirra")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# The libraries the binary links come from dpkg-shlibdeps. Qt loads the SVG icon engine
# (the tool bar's icons) and the TIFF image reader (opening TIFF documents) as plug-ins,
# which no link line shows, so they are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt5svg5, qt5-image-formats-plugins")
# Used at run time, but Quirra works without them: eSCL discovery through mDNS (typing a
# scanner's address still works), a CJK font for the Chinese texts (any other will do),
# colour emoji in labels and messages, the Chinese texts of Qt's own dialogs, and the
# language data text recognition and orientation read (without it they say which package
# to install and stay off).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "avahi-utils, fonts-wqy-microhei | fonts-noto-cjk, fonts-noto-color-emoji, qttranslations5-l10n, \
tesseract-ocr-chi-sim, tesseract-ocr-eng, tesseract-ocr-osd")
# scanimage -L tells whether SANE sees a USB scanner at all.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "sane-utils")

include(CPack)
