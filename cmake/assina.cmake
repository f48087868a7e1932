# Code signing of the Windows files with osslsigncode, given a certificate
# and its key as a PFX (PKCS#12) file and its password:
#   environment TAVORIN_ASSINATURA_PFX (or the CMake variable of that name
#   given when the build was configured) and TAVORIN_ASSINATURA_SENHA (the
#   environment only, so that no file of the build keeps it).
# The signature is time stamped by TAVORIN_ASSINATURA_CARIMBO (environment
# or CMake; default a public RFC 3161 server; "nenhum" for none) when that
# server answers; when it does not, the file is signed without a time stamp
# and one line says so.
#
# Included, it defines tavorin_assina(<file>...); run as a script it signs
# one file in place (what the setup's !finalize calls):
#   cmake -DARQUIVO=<file> -DCONFIG=<build>/assinatura.cmake -P assina.cmake

# Reads the settings into TAVORIN_PFX, TAVORIN_SENHA and TAVORIN_CARIMBO
# (the CMake ones from `config`, written at configure time).
macro(tavorin_assinatura config)
    if(EXISTS "${config}")
        include("${config}")
    endif()
    set(TAVORIN_SENHA "$ENV{TAVORIN_ASSINATURA_SENHA}")
    foreach(nome PFX CARIMBO)
        if(DEFINED ENV{TAVORIN_ASSINATURA_${nome}})
            set(TAVORIN_${nome} "$ENV{TAVORIN_ASSINATURA_${nome}}")
        else()
            set(TAVORIN_${nome} "${TAVORIN_ASSINATURA_${nome}}")
        endif()
    endforeach()
    if(TAVORIN_CARIMBO STREQUAL "")
        set(TAVORIN_CARIMBO "http://timestamp.digicert.com")
    endif()
endmacro()

function(tavorin_assina)
    find_program(osslsigncode osslsigncode)
    if(NOT osslsigncode)
        message(FATAL_ERROR "signing needs osslsigncode")
    endif()
    if(NOT EXISTS "${TAVORIN_PFX}")
        message(FATAL_ERROR "signing: no certificate at ${TAVORIN_PFX}")
    endif()
    # The password goes through a file only its owner reads, not the
    # command line that every process can see.
    string(RANDOM LENGTH 12 sufixo)
    set(senha "${CMAKE_CURRENT_BINARY_DIR}/.tavorin-senha-${sufixo}")
    file(TOUCH "${senha}")
    file(CHMOD "${senha}" PERMISSIONS OWNER_READ OWNER_WRITE)
    file(WRITE "${senha}" "${TAVORIN_SENHA}")
    foreach(arquivo IN LISTS ARGN)
        set(comando ${osslsigncode} sign -pkcs12 "${TAVORIN_PFX}" -readpass "${senha}"
            -h sha256 -n "Tavorin" -in "${arquivo}" -out "${arquivo}.assinado")
        set(resultado 1)
        if(NOT TAVORIN_CARIMBO STREQUAL "nenhum" AND NOT TAVORIN_SEM_CARIMBO)
            file(REMOVE "${arquivo}.assinado")
            execute_process(COMMAND ${comando} -ts "${TAVORIN_CARIMBO}" RESULT_VARIABLE resultado
                            OUTPUT_VARIABLE saida ERROR_VARIABLE saida TIMEOUT 60)
            if(NOT resultado EQUAL 0)
                # Said once; the other files go without trying again.
                message(STATUS "signing: time stamp server ${TAVORIN_CARIMBO} not reachable, signed without a time stamp")
                set(TAVORIN_SEM_CARIMBO ON PARENT_SCOPE)
                set(TAVORIN_SEM_CARIMBO ON)
            endif()
        endif()
        if(NOT resultado EQUAL 0)
            file(REMOVE "${arquivo}.assinado")
            execute_process(COMMAND ${comando} RESULT_VARIABLE resultado OUTPUT_VARIABLE saida ERROR_VARIABLE saida)
        endif()
        if(NOT resultado EQUAL 0)
            file(REMOVE "${senha}" "${arquivo}.assinado")
            message(FATAL_ERROR "signing ${arquivo} failed:\n${saida}")
        endif()
        file(RENAME "${arquivo}.assinado" "${arquivo}")
        get_filename_component(nome "${arquivo}" NAME)
        message(STATUS "signed ${nome}")
    endforeach()
    file(REMOVE "${senha}")
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE AND DEFINED ARQUIVO)
    tavorin_assinatura("${CONFIG}")
    tavorin_assina("${ARQUIVO}")
endif()
