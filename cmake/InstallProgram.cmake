# Installs a program of ours into <prefix>/lib/permuto, where it finds its
# module library beside itself, with a relative link in <prefix>/bin.
include(GNUInstallDirs)
set(PERMUTO_INSTALL_DIR lib/permuto)

function(permuto_install_program Target)
    install(TARGETS ${Target} RUNTIME DESTINATION ${PERMUTO_INSTALL_DIR})
    file(RELATIVE_PATH LinkTarget /root/${CMAKE_INSTALL_BINDIR} /root/${PERMUTO_INSTALL_DIR}/${Target})
    install(CODE "
        set(Bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
        file(MAKE_DIRECTORY \"\${Bin}\")
        file(REMOVE \"\${Bin}/${Target}\")
        file(CREATE_LINK \"${LinkTarget}\" \"\${Bin}/${Target}\" SYMBOLIC)
        message(STATUS \"Installing: \${Bin}/${Target} -> ${LinkTarget}\")
    ")
endfunction()
