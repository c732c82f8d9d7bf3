# A cross build takes its header-only and source-only dependencies from the
# build machine's Debian packages: CLI11's headers (package libcli11-dev)
# and GoogleTest's sources (package googletest), compiled with the cross
# compiler. The build machine's /usr/include itself must never be searched,
# so CLI11's headers are reached through a folder of their own.
set(HostCli11 /usr/include/CLI)
if(PERMUTO_BUILD_CLI AND NOT TARGET CLI11::CLI11)
    if(NOT EXISTS ${HostCli11}/CLI.hpp)
        message(FATAL_ERROR "CLI11's headers are missing: apt-get install libcli11-dev")
    endif()
    file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/host-include)
    file(CREATE_LINK ${HostCli11} ${PROJECT_BINARY_DIR}/host-include/CLI SYMBOLIC)
    add_library(CLI11::CLI11 INTERFACE IMPORTED)
    set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${PROJECT_BINARY_DIR}/host-include)
endif()

set(HostGoogleTest /usr/src/googletest)
if(PERMUTO_BUILD_TESTS AND NOT TARGET GTest::gtest)
    if(NOT EXISTS ${HostGoogleTest}/CMakeLists.txt)
        message(FATAL_ERROR "GoogleTest's sources are missing: apt-get install googletest")
    endif()
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(${HostGoogleTest} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
endif()
