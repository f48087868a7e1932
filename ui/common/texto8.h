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

}  // namespace tavorin
