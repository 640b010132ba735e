# The packages, made by CPack from the install rules: on Linux a Debian
# package, vexar_<version>_amd64.deb; in the Windows build a zip,
# vexar-<version>-win64.zip, with everything at its top level.
# With SOURCE_DATE_EPOCH set (scripts/package.sh takes it from the commit),
# every file in them carries that time, so that one commit gives the same
# bytes wherever and whenever it is packaged.
set(CPACK_PACKAGE_NAME vexar)
set(CPACK_PACKAGE_VENDOR "The VEXAR developers")
set(CPACK_PACKAGE_CONTACT "${VEXAR_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "arcade game of shooting down falling discs")
set(CPACK_PACKAGE_DESCRIPTION "Compact discs fall from the top of the screen; move the cannon along the
bottom with the arrow keys or a game controller and shoot them down before
they land. A disc shot down scores 3 points; every disc that lands costs
one of the 5 lives. Full screen or a window, its 640 x 480 picture scaled
to fit.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/package_times.cmake)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME vexar-${PROJECT_VERSION}-win64)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION games)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VEXAR_MAINTAINER}")
  if(VEXAR_HOMEPAGE)
    set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${VEXAR_HOMEPAGE}")
  endif()
  # The libraries it links come from dpkg-shlibdeps; the fonts it asks
  # fontconfig for at run time are named here.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-liberation2)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
endif()
include(CPack)
