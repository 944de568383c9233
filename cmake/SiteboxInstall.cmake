# `cmake --install`: the template bundle under lib/sitebox/, the `sitebox` command on the PATH
# (a link to the bundle's program, which finds its bundle through the link), and the template's
# own desktop entry and icon, named after its application id.
include(GNUInstallDirs)

set(SITEBOX_INSTALL_BUNDLE ${CMAKE_INSTALL_FULL_LIBDIR}/sitebox/Sitebox.app)
set(SITEBOX_APPLICATION_ID ${SITEBOX_BUNDLE_IDENTIFIER})

install(DIRECTORY ${SITEBOX_BUNDLE_DIR}
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/sitebox
    USE_SOURCE_PERMISSIONS
    # What running the build's bundle as an app wrote into it stays out of the template.
    PATTERN "userscripts.json" EXCLUDE
    PATTERN "CorvaCreationToolSettings.plist" EXCLUDE
    PATTERN "EnterpriseSettings.plist" EXCLUDE)

file(RELATIVE_PATH SITEBOX_LINK_TARGET ${CMAKE_INSTALL_FULL_BINDIR}
     ${SITEBOX_INSTALL_BUNDLE}/Contents/MacOS/Sitebox)
install(CODE "
    file(MAKE_DIRECTORY \"\$ENV{DESTDIR}${CMAKE_INSTALL_FULL_BINDIR}\")
    file(REMOVE \"\$ENV{DESTDIR}${CMAKE_INSTALL_FULL_BINDIR}/sitebox\")
    file(CREATE_LINK \"${SITEBOX_LINK_TARGET}\"
         \"\$ENV{DESTDIR}${CMAKE_INSTALL_FULL_BINDIR}/sitebox\" SYMBOLIC)
    message(STATUS \"Installing: \$ENV{DESTDIR}${CMAKE_INSTALL_FULL_BINDIR}/sitebox\")")

configure_file(${CMAKE_SOURCE_DIR}/resources/sitebox.desktop.in
    ${CMAKE_BINARY_DIR}/${SITEBOX_APPLICATION_ID}.desktop @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/${SITEBOX_APPLICATION_ID}.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_BINARY_DIR}/sitebox-icon-128.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/128x128/apps
    RENAME ${SITEBOX_APPLICATION_ID}.png)
