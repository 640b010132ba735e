# The packages, made by CPack from the install rules: on Linux a Debian
# package, vexar_<version>_amd64.deb; in the Windows build a zip,
# vexar-<version>-win64.zip, with everything at its top level.
set(CPACK_PACKAGE_NAME vexar)
set(CPACK_PACKAGE_VENDOR "The VEXAR developers")
set(CPACK_PACKAGE_CONTACT "The VEXAR developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "arcade game: shoot down the falling discs")
set(CPACK_PACKAGE_DESCRIPTION "Compact discs fall from the top of the screen; move the cannon with the
arrow keys and shoot them down with the space bar before they reach the
bottom. Full screen, 640 x 480.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME vexar-${PROJECT_VERSION}-win64)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION games)
  # The libraries it links come from dpkg-shlibdeps; the fonts it asks
  # fontconfig for at run time are named here.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-liberation2)
endif()
include(CPack)
