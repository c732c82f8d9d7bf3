# What an installation holds besides the programs (installed by their own
# folders into bin/): the module library, the licence and the example patches
# under share/permuto (where the programs look when they find nothing beside
# themselves), manual pages, and what a desktop needs: the desktop entry, the
# icon, the patch file type and the AppStream metadata.
include(GNUInstallDirs)
set(PERMUTO_ID "org.example.permuto") # the desktop and AppStream id
set(PermutoData ${CMAKE_INSTALL_DATADIR}/permuto)

install(FILES ${PROJECT_SOURCE_DIR}/resources/patch303.txt DESTINATION ${PermutoData}/resources)
install(FILES ${PROJECT_SOURCE_DIR}/COPYING DESTINATION ${PermutoData})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${PermutoData}/examples FILES_MATCHING PATTERN "*.pch")

# Manual pages and the changelog go compressed, without time stamps.
find_program(GZIP gzip REQUIRED)
set(Compressed)
foreach(Page app/permuto.1 cli/permuto-cli.1 resources/changelog)
    get_filename_component(Name ${Page} NAME)
    set(Out ${CMAKE_CURRENT_BINARY_DIR}/compressed/${Name}.gz)
    add_custom_command(OUTPUT ${Out}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/compressed
        COMMAND ${GZIP} -9nc ${PROJECT_SOURCE_DIR}/${Page} > ${Out}
        DEPENDS ${PROJECT_SOURCE_DIR}/${Page} VERBATIM)
    list(APPEND Compressed ${Out})
endforeach()
add_custom_target(permuto_compressed ALL DEPENDS ${Compressed})
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/compressed/permuto.1.gz ${CMAKE_CURRENT_BINARY_DIR}/compressed/permuto-cli.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/compressed/changelog.gz ${PROJECT_SOURCE_DIR}/resources/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/permuto)

if(PERMUTO_BUILD_APP)
    set(PERMUTO_LAUNCHER ${CMAKE_INSTALL_FULL_BINDIR}/permuto)
    set(PERMUTO_HOMEPAGE "${PERMUTO_WWW}")
    if(NOT PERMUTO_HOMEPAGE)
        set(PERMUTO_HOMEPAGE "example.org/permuto")
    endif()
    configure_file(${PROJECT_SOURCE_DIR}/resources/permuto.desktop.in ${CMAKE_CURRENT_BINARY_DIR}/${PERMUTO_ID}.desktop @ONLY)
    configure_file(${PROJECT_SOURCE_DIR}/resources/permuto.metainfo.xml.in
                   ${CMAKE_CURRENT_BINARY_DIR}/${PERMUTO_ID}.metainfo.xml @ONLY)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${PERMUTO_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${PERMUTO_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/permuto.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/128x128/apps
            RENAME ${PERMUTO_ID}.png)
    # The patch file type, so that file managers open *.pch with Permuto.
    install(FILES ${PROJECT_SOURCE_DIR}/resources/permuto-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
            RENAME ${PERMUTO_ID}.xml)
endif()
