// The printer's 8-bit text as UTF-8 for whatever is not a window (the
// command line, the operations' messages): the ANSI code page on Windows,
// Windows-1252 elsewhere, as the windows convert it.
#pragma once

#include <string>

namespace tavorin {

std::string Utf8DoDriver(const std::string& bytes);

}  // namespace tavorin
