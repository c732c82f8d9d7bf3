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

# The window cannot be linked for Windows here (Debian has no Qt for
# Windows), but each of its sources is compiled, not linked, by the cross
# compiler against the build machine's Qt and libjpeg headers: what only a
# Windows compiler would reject in them shows here.
option(PERMUTO_CHECK_WINDOW_SOURCES "Compile the window's sources (not linked) against the build machine's Qt headers" OFF)
if(PERMUTO_CHECK_WINDOW_SOURCES)
    set(HostQt /usr/include/x86_64-linux-gnu/qt6)
    if(NOT EXISTS ${HostQt}/QtWidgets/QWidget)
        message(FATAL_ERROR "Qt's headers are missing: apt-get install qt6-base-dev")
    endif()
    if(NOT EXISTS /usr/include/jpeglib.h)
        message(FATAL_ERROR "libjpeg's headers are missing: apt-get install libjpeg62-turbo-dev")
    endif()
    file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/host-jpeg)
    foreach(Header /usr/include/jpeglib.h /usr/include/jmorecfg.h /usr/include/x86_64-linux-gnu/jconfig.h)
        get_filename_component(Name ${Header} NAME)
        file(CREATE_LINK ${Header} ${PROJECT_BINARY_DIR}/host-jpeg/${Name} SYMBOLIC)
    endforeach()
    file(GLOB WindowSources ${PROJECT_SOURCE_DIR}/app/*.cpp)
    enable_language(RC)
    configure_file(${PROJECT_SOURCE_DIR}/app/permuto.rc.in ${PROJECT_BINARY_DIR}/permuto.rc @ONLY)
    add_library(permuto_window_sources OBJECT ${WindowSources} ${PROJECT_BINARY_DIR}/permuto.rc)
    target_include_directories(permuto_window_sources SYSTEM PRIVATE
        ${HostQt} ${HostQt}/QtCore ${HostQt}/QtGui ${HostQt}/QtWidgets ${PROJECT_BINARY_DIR}/host-jpeg)
    target_include_directories(permuto_window_sources PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/app)
    target_compile_definitions(permuto_window_sources PRIVATE
        PERMUTO_DESKTOP_ID="org.example.permuto" PERMUTO_VERSION="${PROJECT_VERSION}" UNICODE _UNICODE)
endif()
