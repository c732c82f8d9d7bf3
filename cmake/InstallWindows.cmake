# What "cmake --install" lays out on Windows, in the installation folder
# (for instance C:\Program Files\Permuto): permuto.exe and permuto-cli.exe,
# resources\patch303.txt beside them (where the programs look first), the
# licence and the examples, and the libraries the window needs at run time:
# the DLLs it is linked with (libjpeg's among them) and, by windeployqt,
# Qt's libraries and plugins.
install(FILES ${PROJECT_SOURCE_DIR}/resources/patch303.txt DESTINATION resources)
install(FILES ${PROJECT_SOURCE_DIR}/COPYING DESTINATION .)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION examples FILES_MATCHING PATTERN "*.pch")

if(TARGET permuto)
    install(FILES $<TARGET_RUNTIME_DLLS:permuto> DESTINATION .)
    get_target_property(QtCoreDll Qt6::Core IMPORTED_LOCATION_RELEASE)
    if(NOT QtCoreDll)
        get_target_property(QtCoreDll Qt6::Core LOCATION)
    endif()
    get_filename_component(QtBin "${QtCoreDll}" DIRECTORY)
    find_program(PERMUTO_WINDEPLOYQT windeployqt HINTS "${QtBin}" "${QtBin}/../bin")
    if(PERMUTO_WINDEPLOYQT)
        install(CODE "execute_process(COMMAND \"${PERMUTO_WINDEPLOYQT}\" --no-translations
                                      \"\${CMAKE_INSTALL_PREFIX}/permuto.exe\" COMMAND_ERROR_IS_FATAL ANY)")
    else()
        message(WARNING "windeployqt was not found beside Qt: the installed permuto.exe will lack Qt's libraries")
    endif()
endif()
