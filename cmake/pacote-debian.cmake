# The Debian package, built from the normal build folder with `cpack`:
# tavorin_<version>_amd64.deb. It holds the program (and tavorin-cli when
# that is built), the simulated printer in a private folder the program's
# loader never searches (only the tavorin-simulador launcher puts it on the
# library path, so an installed Tavorin drives the maker's library or says
# the driver was not found, never a simulated printer by surprise), the
# menu entries, icon, AppStream data, manual pages, copyright and changelog.
if(APPLE OR NOT TARGET tavorin OR NOT TARGET Zub_Dll3)
    return()
endif()
find_program(TAVORIN_GZIP gzip)
if(NOT TAVORIN_GZIP)
    message(STATUS "No gzip: no Debian package")
    return()
endif()

set(TAVORIN_PACOTE ${PROJECT_SOURCE_DIR}/packaging/linux)
set(TAVORIN_PACOTE_GERADO ${PROJECT_BINARY_DIR}/pacote)
set(TAVORIN_APP_ID org.tavorin.Tavorin)
set(TAVORIN_MANTENEDOR "Equipe Tavorin <tavorin@example.org>" CACHE STRING
    "Maintainer field of the Debian package")

# Folders the install creates are 0755 whatever the umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS tavorin RUNTIME DESTINATION bin)
install(PROGRAMS ${TAVORIN_PACOTE}/tavorin-simulador DESTINATION bin)
install(TARGETS Zub_Dll3
        LIBRARY DESTINATION lib/tavorin/simulador
        PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
set(TAVORIN_MANUAIS tavorin tavorin-simulador)
if(TARGET tavorin-cli)
    install(TARGETS tavorin-cli RUNTIME DESTINATION bin)
    list(APPEND TAVORIN_MANUAIS tavorin-cli)
endif()

install(FILES ${TAVORIN_PACOTE}/${TAVORIN_APP_ID}.desktop ${TAVORIN_PACOTE}/${TAVORIN_APP_ID}.Simulador.desktop
        DESTINATION share/applications)
install(FILES ${TAVORIN_PACOTE}/${TAVORIN_APP_ID}.svg DESTINATION share/icons/hicolor/scalable/apps)
install(FILES ${TAVORIN_PACOTE}/${TAVORIN_APP_ID}.metainfo.xml DESTINATION share/metainfo)
install(FILES ${TAVORIN_PACOTE}/copyright DESTINATION share/doc/tavorin)

# Manual pages and the changelog go in compressed with gzip -9n (no name,
# no time stamp), as Debian wants them.
set(comprimidos)
foreach(manual IN LISTS TAVORIN_MANUAIS)
    list(APPEND comprimidos "${manual}.1")
endforeach()
set(gerados)
foreach(arquivo IN LISTS comprimidos ITEMS changelog)
    set(saida ${TAVORIN_PACOTE_GERADO}/${arquivo}.gz)
    add_custom_command(OUTPUT ${saida}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${TAVORIN_PACOTE_GERADO}
        COMMAND sh -c "\"$1\" -9nc \"$2\" > \"$3\"" sh ${TAVORIN_GZIP} ${TAVORIN_PACOTE}/${arquivo} ${saida}
        DEPENDS ${TAVORIN_PACOTE}/${arquivo}
        VERBATIM)
    list(APPEND gerados ${saida})
endforeach()
add_custom_target(tavorin_pacote_arquivos ALL DEPENDS ${gerados})
list(TRANSFORM comprimidos PREPEND ${TAVORIN_PACOTE_GERADO}/)
list(TRANSFORM comprimidos APPEND .gz)
install(FILES ${comprimidos} DESTINATION share/man/man1)
install(FILES ${TAVORIN_PACOTE_GERADO}/changelog.gz DESTINATION share/doc/tavorin)

if(BUILD_TESTING)
    add_test(NAME pacote_lancador
             COMMAND sh ${PROJECT_SOURCE_DIR}/tests/pacote/lancador.sh ${TAVORIN_PACOTE}/tavorin-simulador)
endif()

# The menu entries and the AppStream data are checked with the tools that
# desktops and software centres use to read them.
if(BUILD_TESTING)
    find_program(TAVORIN_DESKTOP_VALIDATE desktop-file-validate)
    find_program(TAVORIN_APPSTREAMCLI appstreamcli)
    if(TAVORIN_DESKTOP_VALIDATE)
        add_test(NAME pacote_desktop_validate
                 COMMAND ${TAVORIN_DESKTOP_VALIDATE}
                         ${TAVORIN_PACOTE}/${TAVORIN_APP_ID}.desktop
                         ${TAVORIN_PACOTE}/${TAVORIN_APP_ID}.Simulador.desktop)
        # desktop-file-validate exits 0 on hints; any output is a finding.
        set_tests_properties(pacote_desktop_validate PROPERTIES FAIL_REGULAR_EXPRESSION ".")
    endif()
    if(TAVORIN_APPSTREAMCLI)
        add_test(NAME pacote_appstream_validate
                 COMMAND ${TAVORIN_APPSTREAMCLI} validate --no-net --strict
                         ${TAVORIN_PACOTE}/${TAVORIN_APP_ID}.metainfo.xml)
    endif()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavorin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "${TAVORIN_FORNECEDOR}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TAVORIN_MANTENEDOR}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "exercise a Brazilian fiscal printer through its driver library")
set(CPACK_PACKAGE_DESCRIPTION
"Tavorin is a desktop utility with which an operator exercises a Brazilian
fiscal printer through the printer maker's driver library (libZub_Dll3.so):
it finds the printer on port 1 or 2 and shows its status and clock, runs
the daily reports (Leitura X, Redução Z), opens the drawer, reads the COO
and CCF counters, reads the fiscal memory to paper or to a file, issues a
test coupon, sends a hand-typed command and sets the printer's clock.

A simulated fiscal printer is included for training and demonstrations:
the second menu entry, Tavorin (impressora simulada), starts the program
on it.
The interface is in Portuguese.")
# The libraries come from dpkg-shlibdeps; a font to draw the windows' text
# is named as well, so a minimal system shows the captions.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core")
include(CPack)
