include(GNUInstallDirs)

install(TARGETS vantrel_bridge tarvo_platform
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES include/IVantrelWrapper.h include/BridgeErrors.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
