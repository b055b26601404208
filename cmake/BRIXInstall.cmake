# Installation: the programs, the manual page, every library with its headers,
# and a CMake package, so that a project can write
#   find_package(BRIX REQUIRED)
#   target_link_libraries(app PRIVATE BRIX::brix)
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(BRIX_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/BRIX)

# The whole solver in one name: brix_driver brings every layer below it, and
# the layers bring GMP, Xt and X11.
add_library(brix_package INTERFACE)
target_link_libraries(brix_package INTERFACE brix_driver)
set_target_properties(brix_package PROPERTIES EXPORT_NAME brix)
add_library(BRIX::brix ALIAS brix_package)

install(TARGETS brix brix-plot RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/docs/brix.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The static libraries reference brix_warnings as a link-only dependency (it
# carries compile options only), so it is exported with them.
install(TARGETS brix_system brix_interval brix_lang brix_win brix_tuning brix_solver
                brix_driver brix_package brix_warnings
        EXPORT BRIXTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/brix)
# Headers keep the layout of src/: the code includes "Interval/Iv_Itvl.h". No
# installed header includes a generated one (only the scanner includes the
# parser's header).
install(DIRECTORY ${PROJECT_SOURCE_DIR}/src/
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/brix
        FILES_MATCHING PATTERN "*.h")

install(EXPORT BRIXTargets NAMESPACE BRIX:: DESTINATION ${BRIX_INSTALL_CMAKEDIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/BRIXConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/BRIXConfig.cmake
                              INSTALL_DESTINATION ${BRIX_INSTALL_CMAKEDIR})
# Before 1.0 a minor version may change the interface.
write_basic_package_version_file(${PROJECT_BINARY_DIR}/BRIXConfigVersion.cmake
                                 COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/BRIXConfig.cmake ${PROJECT_BINARY_DIR}/BRIXConfigVersion.cmake
        DESTINATION ${BRIX_INSTALL_CMAKEDIR})
