# The Windows zip, Tavorin-<version>-win32.zip, and the setup,
# Tavorin-<version>-win32-setup.exe (NSIS, when makensis is at hand), made
# by CPack. The zip: the program,
# the Qt DLLs and plugins it needs, the mingw runtime those DLLs need, a
# LEIAME.txt, and the simulated printer in a folder of its own. Never
# beside tavorin.exe: a technician who forgets the maker's Zub_Dll3.dll must
# see "driver not found", not a program that talks to a simulated printer.
#   cmake --build <build> --target package
if(NOT TARGET tavorin)
    return()
endif()

install(TARGETS tavorin RUNTIME DESTINATION .)
if(TARGET tavorin-cli)
    install(TARGETS tavorin-cli RUNTIME DESTINATION .)
endif()
if(TARGET Zub_Dll3)
    install(TARGETS Zub_Dll3 RUNTIME DESTINATION simulador)
endif()

# Qt's DLLs as tavorin.exe imports them, and the plugins Qt loads from the
# program's folder: the Windows platform and the native style.
foreach(modulo Core Gui Widgets)
    install(FILES $<TARGET_FILE:${TAVORIN_QT}::${modulo}> DESTINATION .)
endforeach()
install(FILES $<TARGET_FILE:${TAVORIN_QT}::QWindowsIntegrationPlugin> DESTINATION platforms)
if(TARGET ${TAVORIN_QT}::QWindowsVistaStylePlugin)
    install(FILES $<TARGET_FILE:${TAVORIN_QT}::QWindowsVistaStylePlugin> DESTINATION styles)
endif()

# The program is linked with a static runtime, Qt's DLLs are not: the mingw
# runtime DLLs they need, from Qt's folder or else from the compiler's.
if(MINGW)
    get_filename_component(tavorin_pasta_qt_bin "${${TAVORIN_QT}_DIR}/../../../bin" ABSOLUTE)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-libgcc-file-name
        OUTPUT_VARIABLE tavorin_libgcc OUTPUT_STRIP_TRAILING_WHITESPACE)
    get_filename_component(tavorin_pasta_libgcc "${tavorin_libgcc}" DIRECTORY)
    foreach(dll libstdc++-6.dll libgcc_s_dw2-1.dll libwinpthread-1.dll)
        find_file(TAVORIN_RUNTIME_${dll} ${dll}
            PATHS ${tavorin_pasta_qt_bin} ${tavorin_pasta_libgcc} ${CMAKE_FIND_ROOT_PATH}
            PATH_SUFFIXES lib bin NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
        if(NOT TAVORIN_RUNTIME_${dll})
            message(FATAL_ERROR "Windows zip: ${dll} not found beside Qt or the compiler")
        endif()
        install(FILES ${TAVORIN_RUNTIME_${dll}} DESTINATION .)
    endforeach()
endif()

# LEIAME.txt with Windows line ends and a UTF-8 mark (the Notepad of Windows
# 7 reads a file without it in the ANSI code page), naming the Qt and
# compiler it was built with.
set(TAVORIN_VERSAO ${PROJECT_VERSION})
if(MINGW)
    set(tavorin_compilador "GCC ${CMAKE_CXX_COMPILER_VERSION} mingw-w64 (i686)")
else()
    set(tavorin_compilador "${CMAKE_CXX_COMPILER_ID} ${CMAKE_CXX_COMPILER_VERSION}")
endif()
set(TAVORIN_COMPILADO_COM "Qt ${${TAVORIN_QT}Core_VERSION} e ${tavorin_compilador}")
configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/LEIAME.txt ${CMAKE_BINARY_DIR}/LEIAME-lf.txt @ONLY)
file(READ ${CMAKE_BINARY_DIR}/LEIAME-lf.txt tavorin_leiame)
string(REPLACE "\r\n" "\n" tavorin_leiame "${tavorin_leiame}")
string(REPLACE "\n" "\r\n" tavorin_leiame "${tavorin_leiame}")
file(WRITE ${CMAKE_BINARY_DIR}/LEIAME.txt "${tavorin_leiame}")
install(FILES ${CMAKE_BINARY_DIR}/LEIAME.txt DESTINATION .)

# The programs and the simulator are built with debugging symbols the
# technician has no use for: stripped, they are half the size.
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_NAME Tavorin)
set(CPACK_PACKAGE_VENDOR "${TAVORIN_FORNECEDOR}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_SYSTEM_NAME win32)
set(CPACK_PACKAGE_FILE_NAME Tavorin-${PROJECT_VERSION}-win32)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)

# The setup: NSIS from Debian, driven by CPack with a template of our own
# (packaging/windows/nsis), in Portuguese, per user without administrator
# rights. See the template for what it does.
find_program(TAVORIN_MAKENSIS makensis)
if(TAVORIN_MAKENSIS)
    set(CPACK_GENERATOR ZIP NSIS)
    set(CPACK_NSIS_EXECUTABLE ${TAVORIN_MAKENSIS})
else()
    set(CPACK_GENERATOR ZIP)
    message(STATUS "No setup: makensis (Debian's nsis) not found; the zip only")
endif()
list(APPEND CMAKE_MODULE_PATH ${PROJECT_SOURCE_DIR}/packaging/windows/nsis)
set(CPACK_NSIS_MUI_ICON ${CMAKE_BINARY_DIR}/app/identidade-tavorin/tavorin.ico)
set(tavorin_versao4 ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR})
foreach(parte PATCH TWEAK)
    if(PROJECT_VERSION_${parte} STREQUAL "")
        string(APPEND tavorin_versao4 .0)
    else()
        string(APPEND tavorin_versao4 .${PROJECT_VERSION_${parte}})
    endif()
endforeach()
set(CPACK_TAVORIN_VERSAO4 ${tavorin_versao4})

# Signing, for the zip and the setup alike (cmake/assina.cmake): the
# certificate through the environment when packing, or these variables.
# Its password through the environment only: a CMake variable would stay
# in plain text in CMakeCache.txt.
set(TAVORIN_ASSINATURA_PFX "" CACHE FILEPATH "Code-signing certificate and key (PFX) for the Windows files")
set(TAVORIN_ASSINATURA_CARIMBO "" CACHE STRING "RFC 3161 time stamp server; \"nenhum\" for none")
if(DEFINED TAVORIN_ASSINATURA_SENHA)
    unset(TAVORIN_ASSINATURA_SENHA CACHE)
    message(FATAL_ERROR "TAVORIN_ASSINATURA_SENHA is taken from the environment only; it was removed from the cache")
endif()
set(CPACK_TAVORIN_ASSINATURA_CONFIG ${CMAKE_BINARY_DIR}/assinatura.cmake)
file(WRITE ${CPACK_TAVORIN_ASSINATURA_CONFIG}
    "set(TAVORIN_ASSINATURA_PFX [==[${TAVORIN_ASSINATURA_PFX}]==])\n"
    "set(TAVORIN_ASSINATURA_CARIMBO [==[${TAVORIN_ASSINATURA_CARIMBO}]==])\n")
set(CPACK_TAVORIN_ASSINA ${PROJECT_SOURCE_DIR}/cmake/assina.cmake)
set(CPACK_TAVORIN_CMAKE ${CMAKE_COMMAND})
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/pacote-windows-preparo.cmake)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/pacote-windows-gerador.cmake)
include(CPack)
