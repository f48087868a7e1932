// The command line's edge: the printer's 8-bit text and the system's own
// 8-bit text (arguments, file names) to UTF-8 and back, and writing
// UTF-8 to standard output or error as this platform's terminals and
// files expect it.
#pragma once

#include "conversao.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace tavorin::cli {

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
// unchanged elsewhere. False when it could not all be written.
bool Escreve(std::FILE* saida, const std::string& utf8, bool json = false);

bool EhTerminal(std::FILE* saida);

// The program's arguments, argv[0] included, as 8-bit text: on Windows
// taken from the wide command line into the ANSI code page as the windows
// convert typed text ("?" for a character it lacks); elsewhere as given.
std::vector<std::string> ArgumentosDoPrograma(int argc, char* argv[]);

// What the operator typed, quoted, for a message.
std::string Aspas(const std::string& argumento);

// "na porta 2", "nas portas 1 e 2".
std::string ListaDePortas(const std::vector<int32_t>& portas);

// The printer's bytes for the terminal and for JSON alike: its 8-bit text
// as the windows show it, control bytes spelled out as the exchange log
// spells them.
std::string Visivel(const std::string& bytes);
std::string Texto(const std::string& bytes);

}  // namespace tavorin::cli
