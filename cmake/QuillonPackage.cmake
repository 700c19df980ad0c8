# The Debian package made by `make package`: everything `cmake --install` installs, under /usr,
# with its dependencies worked out by dpkg-shlibdeps from the shared libraries the programs
# actually link, so the list cannot fall behind the code.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillon)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Quillon developers")
set(CPACK_PACKAGE_CONTACT "The Quillon developers <quillon@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "CD ripper, audio converters, player, recorder and tag editor")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The programs are built with debugging information; the package carries the programs only.
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # quillon_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${QUILLON_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The long text under the summary line, one Debian description line to each line here (CPack
# indents them).
string(JOIN "\n" CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Quillon rips audio CDs to WAV, Ogg Vorbis and MP3 files with CDDB, MusicBrainz"
    "and AccurateRip lookups, converts between those formats, plays CDs and Ogg files,"
    "records from the sound card, mixes WAV files and edits ID3v2 tags. Every window"
    "is drawn from a bitmap skin. The package also holds quillon-cli, the same work"
    "from the command line, and the user's manual.")

include(CPack)
