# Installation: the programs, the manual page, the libraries with the facade
# header, and a CMake package, so that a project can write
#   find_package(BRIX REQUIRED)
#   target_link_libraries(app PRIVATE BRIX::brix)
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(BRIX_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/BRIX)

# The whole solver in one name: brix_driver links every layer below it and
# GMP, privately; with static libraries the package still hands them to the
# linker ($<LINK_ONLY:...>), and nothing else: no internal header, no
# compile option, no X11.
add_library(brix_package INTERFACE)
target_link_libraries(brix_package INTERFACE brix_driver)
set_target_properties(brix_package PROPERTIES EXPORT_NAME brix)
add_library(BRIX::brix ALIAS brix_package)

install(TARGETS brix brix-plot brix-mpi brix-smt2 RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/docs/brix.1 ${PROJECT_SOURCE_DIR}/docs/brix-mpi.1
              ${PROJECT_SOURCE_DIR}/docs/brix-smt2.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# brix_warnings and brix_rounding carry compile options only; the libraries
# name them as link-only dependencies, so they are exported with them.
install(TARGETS brix_system brix_interval brix_lang brix_win brix_tuning brix_solver
                brix_driver brix_package brix_warnings brix_rounding
        EXPORT BRIXTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/brix)
# The headers a program includes to solve, by their path under src/: the
# facade and whatever it includes (standard headers only). They keep the
# layout of src/ ("Driver/BRIX_Solve.h"); the libraries' other headers are
# not installed, so a header added here may include only headers listed here.
set(BRIX_PUBLIC_HEADERS
    Driver/BRIX_Solve.h)
foreach(header ${BRIX_PUBLIC_HEADERS})
    get_filename_component(folder ${header} DIRECTORY)
    install(FILES ${PROJECT_SOURCE_DIR}/src/${header}
            DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/brix/${folder})
endforeach()

install(EXPORT BRIXTargets NAMESPACE BRIX:: DESTINATION ${BRIX_INSTALL_CMAKEDIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/BRIXConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/BRIXConfig.cmake
                              INSTALL_DESTINATION ${BRIX_INSTALL_CMAKEDIR})
# Before 1.0 a minor version may change the interface.
write_basic_package_version_file(${PROJECT_BINARY_DIR}/BRIXConfigVersion.cmake
                                 COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/BRIXConfig.cmake ${PROJECT_BINARY_DIR}/BRIXConfigVersion.cmake
        DESTINATION ${BRIX_INSTALL_CMAKEDIR})
