# Where `cmake --install` puts the programs, manual pages, service unit and
# documentation, in Debian's layout under the chosen prefix; and the .deb package.
include(GNUInstallDirs)

set(VANTREL_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/vantrel)
set(VANTREL_SYSTEMD_UNIT_DIR lib/systemd/system)

install(TARGETS Vantrel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES man/Vantrel.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES README.md DESTINATION ${VANTREL_DOC_DIR})

if(TARGET orvod)
  install(TARGETS orvod RUNTIME DESTINATION ${CMAKE_INSTALL_SBINDIR})
  install(FILES man/orvod.8 DESTINATION ${CMAKE_INSTALL_MANDIR}/man8)
  install(FILES orvod/orvod.service DESTINATION ${VANTREL_SYSTEMD_UNIT_DIR})
endif()
if(TARGET vantrel-batch)
  install(TARGETS vantrel-batch RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES man/vantrel-batch.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
if(TARGET vantrel-atlas)
  install(TARGETS vantrel-atlas RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES man/vantrel-atlas.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES man/vantrel-atlas-clusters.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
if(VANTREL_VIEWER)
  list(TRANSFORM VANTREL_VIEWER_FILES PREPEND ${VANTREL_SHARE_BUILD_DIR}/ OUTPUT_VARIABLE files)
  install(FILES ${files} DESTINATION ${VANTREL_SHARE_INSTALL_DIR})
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantrel)
set(CPACK_PACKAGE_VENDOR "Vantrel developers")
set(CPACK_PACKAGE_CONTACT "Vantrel developers <vantrel@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "client and daemon for atlas labels at Talairach coordinates")
set(CPACK_PACKAGE_DESCRIPTION
    "Vantrel asks an Orvo daemon for the atlas labels at one point of Talairach\n\
space, or for the labels in a cube around it. orvod answers such questions\n\
from the atlases of the mricron-data package, vantrel-batch labels whole\n\
tables of coordinates, and vantrel-atlas labels MNI points in-process with\n\
every atlas of the package.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps adds the shared libraries the programs link; the atlases are data.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "mricron-data")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${PROJECT_SOURCE_DIR}/packaging/postinst
    ${PROJECT_SOURCE_DIR}/packaging/prerm
    ${PROJECT_SOURCE_DIR}/packaging/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
