# What a Windows file carries about itself: a version resource (product,
# version, a description in Portuguese) and, for the programs, the icon
# drawn from the Debian package's SVG at build time; for programs with
# windows, the manifest that declares them aware of each screen's DPI.
#
#   tavorin_identidade(<target> "<description>" [ICONE] [DPI])
#
# The icon is also the one Qt gives the windows on Windows (IDI_ICON1).
set(TAVORIN_ICONE_SVG ${PROJECT_SOURCE_DIR}/packaging/linux/org.tavorin.Tavorin.svg)
find_program(TAVORIN_RSVG rsvg-convert)
find_program(TAVORIN_ICOTOOL icotool)

# The icon's PNGs at `tamanhos` pixels in `pasta`, made from the SVG; their
# paths in `variavel`. Empty when rsvg-convert is missing.
function(tavorin_icone_pngs variavel pasta)
    set(pngs)
    if(TAVORIN_RSVG)
        foreach(t 16 24 32 48 64 256)
            set(png ${pasta}/tavorin-${t}.png)
            add_custom_command(OUTPUT ${png}
                COMMAND ${CMAKE_COMMAND} -E make_directory ${pasta}
                COMMAND ${TAVORIN_RSVG} -w ${t} -h ${t} -o ${png} ${TAVORIN_ICONE_SVG}
                DEPENDS ${TAVORIN_ICONE_SVG} VERBATIM)
            list(APPEND pngs ${png})
        endforeach()
    endif()
    set(${variavel} ${pngs} PARENT_SCOPE)
endfunction()

function(tavorin_identidade alvo descricao)
    if(NOT WIN32)
        return()
    endif()
    cmake_parse_arguments(TI "ICONE;DPI" "" "" ${ARGN})
    set(pasta ${CMAKE_CURRENT_BINARY_DIR}/identidade-${alvo})
    set(TAVORIN_RC_ICONE "")
    if(TI_ICONE)
        if(NOT TAVORIN_RSVG OR NOT TAVORIN_ICOTOOL)
            message(FATAL_ERROR "${alvo}: the icon needs rsvg-convert (librsvg2-bin) and icotool (icoutils)")
        endif()
        tavorin_icone_pngs(pngs ${pasta})
        # Every size but 256 as plain bitmaps, which any Windows reads;
        # 256 as PNG, as Windows Vista and later keep it.
        list(FILTER pngs EXCLUDE REGEX "-256\\.png$")
        set(ico ${pasta}/tavorin.ico)
        add_custom_command(OUTPUT ${ico}
            COMMAND ${TAVORIN_ICOTOOL} -c -o ${ico} ${pngs} -r ${pasta}/tavorin-256.png
            DEPENDS ${pngs} ${pasta}/tavorin-256.png VERBATIM)
        set(TAVORIN_RC_ICONE "IDI_ICON1 ICON \"${ico}\"")
    endif()
    set(TAVORIN_RC_MANIFESTO "")
    set(manifesto ${PROJECT_SOURCE_DIR}/packaging/windows/tavorin.manifest)
    if(TI_DPI)
        set(TAVORIN_RC_MANIFESTO "1 24 \"${manifesto}\"")
    endif()
    set(TAVORIN_RC_DESCRICAO "${descricao}")
    set(TAVORIN_RC_NOME ${alvo})
    get_target_property(tipo ${alvo} TYPE)
    if(tipo STREQUAL "EXECUTABLE")
        set(TAVORIN_RC_TIPO VFT_APP)
        set(TAVORIN_RC_ARQUIVO ${alvo}.exe)
    else()
        set(TAVORIN_RC_TIPO VFT_DLL)
        set(TAVORIN_RC_ARQUIVO ${alvo}.dll)
    endif()
    set(numeros ${PROJECT_VERSION_MAJOR} ${PROJECT_VERSION_MINOR} ${PROJECT_VERSION_PATCH} ${PROJECT_VERSION_TWEAK})
    set(TAVORIN_RC_VERSAO)
    foreach(n IN LISTS numeros)
        if(n STREQUAL "")
            set(n 0)
        endif()
        list(APPEND TAVORIN_RC_VERSAO ${n})
    endforeach()
    string(REPLACE ";" "," TAVORIN_RC_VERSAO "${TAVORIN_RC_VERSAO}")
    configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/versao.rc.in ${pasta}/versao.rc @ONLY)
    target_sources(${alvo} PRIVATE ${pasta}/versao.rc)
    set(dependencias)
    if(TI_ICONE)
        list(APPEND dependencias ${ico})
    endif()
    if(TI_DPI)
        list(APPEND dependencias ${manifesto})
    endif()
    if(dependencias)
        set_source_files_properties(${pasta}/versao.rc PROPERTIES OBJECT_DEPENDS "${dependencias}")
    endif()
endfunction()
