# Installation of everything besides the executables (installed where they
# are defined): the help file, the desktop entry and icon, the man pages; and
# a Debian package through CPack.

set(VORTAN_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)

# The program looks for its help here (VORTAN_DATADIR, compiled in).
if(EXISTS ${PROJECT_SOURCE_DIR}/vortan.hlp)
  install(FILES ${PROJECT_SOURCE_DIR}/vortan.hlp DESTINATION ${CMAKE_INSTALL_DATADIR}/vortan)
endif()

set(VORTAN_MAN1_DIR ${CMAKE_INSTALL_MANDIR}/man1)
foreach(tool vortan-render vortan-convert vortan-trace)
  if(TARGET ${tool})
    install(FILES ${VORTAN_PACKAGING_DIR}/${tool}.1 DESTINATION ${VORTAN_MAN1_DIR})
  endif()
endforeach()

if(TARGET vortan)
  # The page names the help file's installed place.
  configure_file(${VORTAN_PACKAGING_DIR}/vortan.1.in ${PROJECT_BINARY_DIR}/packaging/vortan.1 @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/packaging/vortan.1 DESTINATION ${VORTAN_MAN1_DIR})
  install(FILES ${VORTAN_PACKAGING_DIR}/vortan.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${VORTAN_PACKAGING_DIR}/vortan.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps)
endif()

# cpack -G DEB. The package installs below the same prefix the program was
# configured with, so it finds its help file; configure with
# -DCMAKE_INSTALL_PREFIX=/usr for a package in the usual Debian place.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vortan)
set(CPACK_PACKAGE_VENDOR "Vortan developers")
set(CPACK_PACKAGE_CONTACT "Vortan developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
    "Vortan reads streamlines exported from Mathematica (or converted from columns),\n"
    "draws each as a run of disks coloured by one colour table of a 256-entry\n"
    "palette and animates the picture by rotating the colour tables. Includes the\n"
    "headless renderer vortan-render (BMP, PNG, animated GIF) and vortan-convert.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Vortan developers")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
include(CPack)
