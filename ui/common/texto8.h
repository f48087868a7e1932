// The printer's text is 8-bit: Windows' ANSI code page on Windows,
// Windows-1252 elsewhere (what the printer maker's library uses). The
// windows convert at their edge and nowhere else.
#pragma once

#include <QString>
#include <cstdint>
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
// knows and the answer cannot say comes instead: a command not sent
// because another Tavorin program kept the folder, a port another program
// holds, an answer file held by another program (said once, and whenever
// it kept the answer from being read).
QString TextoDoResultado(const Desfecho& desfecho);

// Names the answer file that another program holds.
QString TextoDaRespostaPresa();
// Another Tavorin program's exchange in this folder outlasted the wait.
QString TextoDaTravaOcupada();
// "Porta N em uso por outro programa".
QString TextoDaPortaEmUso(int32_t porta);

}  // namespace tavorin
