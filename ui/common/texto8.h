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
// code at positions 21-22 (what of it the line holds). What the link
// knows and the answer cannot say comes instead (a command not sent, no
// driver library, a port that did not open, an answer file in the way);
// the first command to find the answer file held says so ahead of its
// result.
QString TextoDoResultado(const Desfecho& desfecho);

// The operations' UTF-8 text as a sentence for a box: its first letter in
// upper case.
QString Frase(const std::string& utf8);

}  // namespace tavorin
