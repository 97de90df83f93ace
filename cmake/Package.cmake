# The Debian package (scripts/package runs CPack's DEB generator): one
# package, nbtv, of everything cmake --install installs, its dependencies
# worked out from the binaries by dpkg-shlibdeps.

# Debian's own files: the copyright, and the package's changelog.
execute_process(COMMAND date -u -R -d "${NBTV_RELEASE_DATE}" OUTPUT_VARIABLE NBTV_CHANGELOG_DATE
                OUTPUT_STRIP_TRAILING_WHITESPACE)
configure_file(share/debian/changelog.in ${PROJECT_BINARY_DIR}/debian/changelog @ONLY)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/debian/changelog.gz
                   COMMAND gzip -9nkf ${PROJECT_BINARY_DIR}/debian/changelog
                   DEPENDS ${PROJECT_BINARY_DIR}/debian/changelog)
add_custom_target(debian_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/debian/changelog.gz)
install(FILES share/debian/copyright ${PROJECT_BINARY_DIR}/debian/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME nbtv)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${NBTV_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${NBTV_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${NBTV_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The volume control the "Adjust input" and "Adjust output" buttons open,
# and the GStreamer elements a camera source is read through (videoconvert
# and appsink, v4l2src).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pavucontrol, gstreamer1.0-plugins-base, gstreamer1.0-plugins-good")
# The screen cast on a Wayland desktop.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xdg-desktop-portal")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "sound-card television for radio amateurs (32-line NBTV)")
# The long description under the summary line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Two desktop programs and a command-line tool that pass a 32-line monochrome
television picture (96 x 120 pixels, about 2.6 frames a second) through a PC
sound card over an ordinary voice channel.
.
The viewer receives the picture from the radio's sound card and shows it
live, with automatic framing, a tuning display and picture saving. The
transmitter sends a region of the screen as the FM tone signal, on X11 or
through the desktop portal on Wayland. nbtvcodec turns recordings into
pictures and pictures into sound files.")
# Only the project's own build makes a package, not a build that includes
# this tree (the fuzz build).
if(PROJECT_SOURCE_DIR STREQUAL CMAKE_SOURCE_DIR)
  include(CPack)
endif()
