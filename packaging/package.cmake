# The Debian packages, made by CPack from this build as Debian splits games:
#   tev-intro_<version>_<arch>.deb      the show and the user's tools, their
#       manual pages, menu entry, icons and metadata (install components
#       "common" and "deb"), with the dependencies dpkg-shlibdeps finds;
#   tev-intro-data_<version>_all.deb    DATA.PAK and data/*.tga, the same on
#       every architecture (component "deb-data").
# tev-bench, a developer's tool, stays in the build tree (and a plain
# install).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tev-intro)
set(CPACK_PACKAGE_VENDOR "tev-intro developers")
set(CPACK_PACKAGE_CONTACT "tev-intro developers <tev-intro@example.org>")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL common deb deb-data)
set(CPACK_COMPONENT_COMMON_GROUP programs)
set(CPACK_COMPONENT_DEB_GROUP programs)
set(CPACK_COMPONENT_DEB-DATA_GROUP data)
set(CPACK_COMPONENTS_GROUPING ONE_PER_GROUP)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)

set(CPACK_DEBIAN_PROGRAMS_PACKAGE_NAME tev-intro)
set(CPACK_COMPONENT_PROGRAMS_DESCRIPTION [=[self-running real-time audiovisual show
130 seconds of fixed-function OpenGL scenes over tracker music, drawn in
real time. A small setup dialog picks the resolution, colour depth and
window mode; the show then plays by itself and leaves at its end, or on
Escape. Everything it shows and plays is made at build time.

The package also holds tev-capture (frames or a video of the show, drawn
offscreen), tev-pak (resource packs) and tev-textures (the procedural
textures as PNG).]=])
set(CPACK_DEBIAN_PROGRAMS_PACKAGE_SHLIBDEPS ON)
# SDL opens libGL.so.1 at run time for the window's GL context, out of
# dpkg-shlibdeps' sight; the pictures are in the data package, of the same
# version.
set(CPACK_DEBIAN_PROGRAMS_PACKAGE_DEPENDS
    "libgl1, tev-intro-data (= ${PROJECT_VERSION})")
# Only tev-capture's videos need it.
set(CPACK_DEBIAN_PROGRAMS_PACKAGE_SUGGESTS ffmpeg)

set(CPACK_DEBIAN_DATA_PACKAGE_NAME tev-intro-data)
set(CPACK_DEBIAN_DATA_PACKAGE_ARCHITECTURE all)
set(CPACK_COMPONENT_DATA_DESCRIPTION [=[self-running real-time audiovisual show (data)
The resource pack and the sprites that tev-intro shows: pictures made when
it was built, the same on every architecture.]=])
include(CPack)
