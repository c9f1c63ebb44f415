include(GNUInstallDirs)

install(TARGETS vantrel_bridge tarvo_platform
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES include/IVantrelWrapper.h include/IUnifiedTagsManagerWrapper.h include/BridgeErrors.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

# What a host includes to make a resolver and a handle on it: TarvoUnifiedTags.h beside the interface
# headers, and the platform headers it pulls in, laid out as they are in the source tree so that one
# include directory serves them all.
install(FILES platform/TarvoUnifiedTags.h platform/platform_export.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES platform/runtime/object.h platform/runtime/text.h platform/runtime/gc_handle.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/runtime)
install(FILES platform/model_container/unified_tags.h platform/model_container/tag_table_resolver.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/model_container)
