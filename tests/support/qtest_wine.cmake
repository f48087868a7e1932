# Runs a QtTest program under wine and shows its report: under wine the
# report does not reach the console, so it is written to a file and printed
# from there (ctest shows it when the test fails).
#   cmake -DEMULADOR=wine -DPROGRAMA=x.exe -DRELATORIO=x.txt -DPASTA_QT=<Qt bin> -P qtest_wine.cmake
file(REMOVE "${RELATORIO}")
# The Qt DLLs and the mingw runtime from the Qt folder, not copied beside the
# tests: a simulated printer that needed the runtime must still fail to load.
string(REPLACE "/" "\\" pasta_qt "Z:${PASTA_QT}")
set(ENV{WINEPATH} "${pasta_qt}")
# Wine's own output goes to a file too: a wine service started by the test
# (the desktop process) inherits it and would hold ctest's pipe open.
execute_process(COMMAND ${EMULADOR} "${PROGRAMA}" -o "${RELATORIO},txt" RESULT_VARIABLE resultado
    OUTPUT_FILE "${RELATORIO}.wine" ERROR_FILE "${RELATORIO}.wine")
foreach(arquivo "${RELATORIO}" "${RELATORIO}.wine")
    if(EXISTS "${arquivo}")
        file(READ "${arquivo}" texto)
        message("${texto}")
    endif()
endforeach()
if(NOT EXISTS "${RELATORIO}")
    message("no report from ${PROGRAMA}")
endif()
if(NOT resultado STREQUAL "0")
    message(FATAL_ERROR "${PROGRAMA} ended with ${resultado}")
endif()
