# cpack -G DEB (scripts/package.sh) makes zelvo_<version>_<arch>.deb: the
# version is the project's, Depends comes from the libraries the program links.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zelvo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${ZELVO_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "light movie player that fits its window round the movie")
set(CPACK_PACKAGE_DESCRIPTION "zelvo opens a movie or sound file, plays it at once and fits its window
round the picture, at a quarter of the screen or at the size chosen. It
plays Video CDs track by track, from a drive or from a disc image, keeps
the last five files at hand, answers media keys and desktop media widgets
(MPRIS) and keeps the screen on while a film plays. Playback is libmpv's.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ZELVO_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The X platform plugin is a plugin, not a linked library: dpkg-shlibdeps cannot see it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
include(CPack)
