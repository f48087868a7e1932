# Read by CPack for each package it makes: the setup gets a name of its own
# and, given a certificate, signs itself and its uninstaller as makensis
# writes them.
if(CPACK_GENERATOR STREQUAL "NSIS")
    set(CPACK_PACKAGE_FILE_NAME "Tavorin-${CPACK_PACKAGE_VERSION}-win32-setup")
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
    include("${CPACK_TAVORIN_ASSINA}")
    tavorin_assinatura("${CPACK_TAVORIN_ASSINATURA_CONFIG}")
    if(TAVORIN_PFX)
        set(assina "\"${CPACK_TAVORIN_CMAKE}\" -DARQUIVO=\"%1\" -DCONFIG=\"${CPACK_TAVORIN_ASSINATURA_CONFIG}\" -P \"${CPACK_TAVORIN_ASSINA}\"")
        set(CPACK_TAVORIN_FINALIZA "!finalize '${assina}' = 0\n!uninstfinalize '${assina}' = 0")
    else()
        set(CPACK_TAVORIN_FINALIZA "; not signed: no certificate")
    endif()
endif()
