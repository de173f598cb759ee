# Install layout, the same for `cmake --install --prefix <any>` and for the package:
#   bin/stowline, bin/stowline-cli
#   share/stowline/Stowline_StowlineApp.bundle   (app/resources.cmake; found as ../share/stowline
#                                                 from the executable's folder)
#   share/applications, share/icons/hicolor, share/metainfo, share/doc/stowline
# Nothing is written outside these files at install time, so removing them removes Stowline.
include(GNUInstallDirs)

# Everything the install rules below take from the build tree; scripts/package builds only this.
add_custom_target(stowline_packaged)
foreach(part stowline-cli stowline stowline_bundle StowlineAssets)
  if(TARGET ${part})
    add_dependencies(stowline_packaged ${part})
  endif()
endforeach()

install(TARGETS stowline-cli RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
install(FILES "${PROJECT_SOURCE_DIR}/LICENSE" "${PROJECT_SOURCE_DIR}/packaging/copyright"
  DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/stowline")

# The desktop integration describes the window application, so it ships only with it.
if(TARGET stowline)
  install(TARGETS stowline RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")

  set(STOWLINE_APP_ID io.stowline.Stowline)
  # Bump together with the project version; AppStream wants a date for every release.
  set(STOWLINE_RELEASE_DATE 2026-12-06)
  configure_file("${PROJECT_SOURCE_DIR}/packaging/${STOWLINE_APP_ID}.metainfo.xml.in"
    "${CMAKE_BINARY_DIR}/packaging/${STOWLINE_APP_ID}.metainfo.xml" @ONLY)

  install(FILES "${PROJECT_SOURCE_DIR}/packaging/${STOWLINE_APP_ID}.desktop"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
  install(FILES "${CMAKE_BINARY_DIR}/packaging/${STOWLINE_APP_ID}.metainfo.xml"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
  install(DIRECTORY "${PROJECT_SOURCE_DIR}/packaging/icons/hicolor"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/icons")
endif()
