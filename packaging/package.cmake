# The Debian package, tev-intro_<version>_amd64.deb, made by CPack from
# this build: the install components "common" and "deb" (Debian's layout for
# games), with the dependencies dpkg-shlibdeps finds in the programs.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tev-intro)
set(CPACK_PACKAGE_VENDOR "tev-intro developers")
set(CPACK_PACKAGE_CONTACT "tev-intro developers <tev-intro@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "self-running real-time audiovisual show")
set(CPACK_PACKAGE_DESCRIPTION [=[
130 seconds of fixed-function OpenGL scenes over tracker music, drawn in
real time. A small setup dialog picks the resolution, colour depth and
window mode; the show then plays by itself and leaves at its end, or on
Escape. Everything it shows and plays is made at build time.

The package also holds tev-capture (frames or a video of the show, drawn
offscreen), tev-bench (frame times), tev-pak (resource packs) and
tev-textures (the procedural textures as PNG).]=])
set(CPACK_STRIP_FILES ON)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENTS_ALL common deb)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# SDL opens libGL.so.1 at run time for the window's GL context, out of
# dpkg-shlibdeps' sight.
set(CPACK_DEBIAN_PACKAGE_DEPENDS libgl1)
# Only tev-capture's videos need it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS ffmpeg)
include(CPack)
