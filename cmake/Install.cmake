# cmake --install puts the bundle in <prefix>/lib/tavlen with <prefix>/bin/tavlen linking to it.
include(GNUInstallDirs)
install(DIRECTORY "${TAVLEN_BUNDLE_DIR}/" DESTINATION "${CMAKE_INSTALL_LIBDIR}/tavlen" USE_SOURCE_PERMISSIONS)
install(CODE "
    file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    file(CREATE_LINK \"../${CMAKE_INSTALL_LIBDIR}/tavlen/bin/tavlen\"
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/tavlen\" SYMBOLIC)
")
install(FILES "${PROJECT_SOURCE_DIR}/resources/org.tavlen.Tavlen.desktop"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/applications" OPTIONAL)
