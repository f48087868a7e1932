// The command line's edge: the printer's 8-bit text and the system's own
// 8-bit text (arguments, file names) to UTF-8 and back, and writing
// UTF-8 to standard output or error as this platform's terminals and
// files expect it.
#pragma once

#include "cp1252.h"  // Utf8DoCp1252: JSON is UTF-8 whatever the machine's code page

#include <cstdio>
#include <string>

namespace tavorin::cli {

// The printer's bytes as text, as the windows convert them: the ANSI code
// page on Windows, Windows-1252 elsewhere.
std::string Utf8DoDriver(const std::string& bytes);
// An argument as the printer takes it: UTF-8 on Linux becomes
// Windows-1252 ("?" for a character it lacks; a byte that is not UTF-8
// goes as it is); on Windows the arguments already come in the ANSI code
// page.
std::string DriverDoArgumento(const std::string& argumento);
// An argument (a file name) as UTF-8 for a message; on Linux a byte that
// is not UTF-8 shows as \xHH.
std::string Utf8DoArgumento(const std::string& argumento);

// Writes UTF-8 text: to a Windows console as Unicode; redirected on
// Windows, `json` stays UTF-8 and other text goes in the ANSI code page;
// unchanged elsewhere.
void Escreve(std::FILE* saida, const std::string& utf8, bool json = false);

bool EhTerminal(std::FILE* saida);

}  // namespace tavorin::cli
