# Installation: headers, the two shared libraries with version and SONAME, the command-line host, a
# CMake package (find_package(VantrelBridge CONFIG) -> VantrelBridge::vantrel_bridge, ...) and a
# pkg-config file; and a Debian package of all of it through CPack.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# Every header goes into one folder of its own, which the CMake targets and pkg-config put on the
# include path: hosts write #include "IVantrelWrapper.h".
set(VANTREL_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/vantrel)

set_target_properties(vantrel_bridge tarvo_platform PROPERTIES INSTALL_RPATH "$ORIGIN")
if(TARGET vantrel_host)
  set_target_properties(vantrel_host PROPERTIES INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
endif()

install(TARGETS vantrel_bridge tarvo_platform EXPORT VantrelBridgeTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        INCLUDES DESTINATION ${VANTREL_INSTALL_INCLUDEDIR})
if(TARGET vantrel_host)
  install(TARGETS vantrel_host RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(DIRECTORY examples/sample_model DESTINATION ${CMAKE_INSTALL_DATADIR}/vantrel-bridge)
install(FILES include/IVantrelWrapper.h include/IUnifiedTagsManagerWrapper.h include/BridgeErrors.h
        DESTINATION ${VANTREL_INSTALL_INCLUDEDIR})

# What a host includes to make a resolver and a handle on it: TarvoUnifiedTags.h beside the interface
# headers, and the platform headers it pulls in, laid out as they are in the source tree so that one
# include directory serves them all.
install(FILES platform/TarvoUnifiedTags.h platform/platform_export.h
        DESTINATION ${VANTREL_INSTALL_INCLUDEDIR})
install(FILES platform/runtime/object.h platform/runtime/text.h platform/runtime/gc_handle.h
        DESTINATION ${VANTREL_INSTALL_INCLUDEDIR}/runtime)
install(FILES platform/model_container/unified_tags.h platform/model_container/tag_table_resolver.h
        DESTINATION ${VANTREL_INSTALL_INCLUDEDIR}/model_container)

install(EXPORT VantrelBridgeTargets NAMESPACE VantrelBridge::
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/VantrelBridge)
configure_package_config_file(cmake/VantrelBridgeConfig.cmake.in
                              ${CMAKE_CURRENT_BINARY_DIR}/VantrelBridgeConfig.cmake
                              INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/VantrelBridge)
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/VantrelBridgeConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/VantrelBridgeConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/VantrelBridgeConfigVersion.cmake
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/VantrelBridge)

configure_file(cmake/vantrel-bridge.pc.in ${CMAKE_CURRENT_BINARY_DIR}/vantrel-bridge.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/vantrel-bridge.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantrel-bridge)
set(CPACK_PACKAGE_VENDOR "Vantrel bridge team")
set(CPACK_PACKAGE_CONTACT "Vantrel bridge team <maintainers@example.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
include(CPack)
