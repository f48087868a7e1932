# Run by CPack once the files are staged, before each package is made.
# Signs what the project builds (the programs, the simulated printer), given
# a certificate; the Qt and mingw DLLs are their makers' and stay as they
# come. For the setup, the simulated printer's folder gets a copy of the
# program of its own: a program loads Zub_Dll3.dll from its own folder
# first, so the copy beside the simulator never reaches the maker's driver,
# and the program beside the maker's driver never reaches the simulator.
include("${CPACK_TAVORIN_ASSINA}")
tavorin_assinatura("${CPACK_TAVORIN_ASSINATURA_CONFIG}")

set(raiz "${CPACK_TEMPORARY_DIRECTORY}")
if(CPACK_INCLUDE_TOPLEVEL_DIRECTORY AND EXISTS "${raiz}/${CPACK_PACKAGE_FILE_NAME}")
    set(raiz "${raiz}/${CPACK_PACKAGE_FILE_NAME}")
endif()
if(NOT EXISTS "${raiz}/tavorin.exe")
    message(FATAL_ERROR "no tavorin.exe staged in ${raiz}")
endif()

set(proprios)
foreach(arquivo tavorin.exe tavorin-cli.exe simulador/Zub_Dll3.dll)
    if(EXISTS "${raiz}/${arquivo}")
        list(APPEND proprios "${raiz}/${arquivo}")
    endif()
endforeach()
if(TAVORIN_PFX)
    tavorin_assina(${proprios})
else()
    message(STATUS "${CPACK_GENERATOR}: nothing signed (no certificate: TAVORIN_ASSINATURA_PFX)")
endif()

if(CPACK_GENERATOR STREQUAL "NSIS")
    file(GLOB pecas RELATIVE "${raiz}" "${raiz}/*")
    foreach(peca IN LISTS pecas)
        if(NOT peca MATCHES "^(simulador|LEIAME\\.txt)$")
            file(COPY "${raiz}/${peca}" DESTINATION "${raiz}/simulador")
        endif()
    endforeach()
endif()
