# The report viewer's browser files, gathered in the build tree's share/vantrel/ where
# vantrel-atlas finds them at run time, as it finds them in the installed share/vantrel/.
# NiiVue comes from node_modules (npm ci, which scripts/setup runs); without it reports are
# written without their viewer.
include(GNUInstallDirs)

set(VANTREL_SHARE_BUILD_DIR ${PROJECT_BINARY_DIR}/share/vantrel)
set(VANTREL_SHARE_INSTALL_DIR ${CMAKE_INSTALL_DATADIR}/vantrel)
set(VANTREL_VIEWER_FILES niivue.js viewer.js viewer.css)

# NiiVue's single-file build that a classic <script> loads: browsers refuse module scripts
# from file:// pages.
set(VANTREL_NIIVUE_BUILD ${PROJECT_SOURCE_DIR}/node_modules/@niivue/niivue/dist/niivue.umd.js)

if(EXISTS ${VANTREL_NIIVUE_BUILD})
  set(VANTREL_VIEWER ON)
  configure_file(${VANTREL_NIIVUE_BUILD} ${VANTREL_SHARE_BUILD_DIR}/niivue.js COPYONLY)
  foreach(file viewer.js viewer.css)
    configure_file(${PROJECT_SOURCE_DIR}/report/${file}
                   ${VANTREL_SHARE_BUILD_DIR}/${file} COPYONLY)
  endforeach()
else()
  set(VANTREL_VIEWER OFF)
  message(STATUS "NiiVue is not in node_modules (scripts/setup runs npm ci): "
                 "reports are written without their interactive viewer")
endif()
