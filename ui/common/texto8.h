// The printer's text is 8-bit: Windows' ANSI code page on Windows,
// Windows-1252 elsewhere (what the printer maker's library uses). The
// windows convert at their edge and nowhere else.
#pragma once

#include <QString>
#include <string>

namespace tavorin {

// Every byte becomes one character, so any answer can be shown.
QString DoDriver(const std::string& bytes);
// Characters that the code page cannot hold become "?".
std::string ParaDriver(const QString& texto);

struct Desfecho;

// The outcome of a command as the windows show it: the whole answer line
// when the printer accepted the command, otherwise "ERRO " and the error
// code at positions 21-22 (what of it the line holds). A command not sent
// because the previous answer file could not be removed is said so.
QString TextoDoResultado(const Desfecho& desfecho);

// Names the answer file that could not be removed, so the operator knows
// why no command reaches the printer.
QString TextoDaRespostaPresa();

}  // namespace tavorin
