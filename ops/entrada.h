// How the program reads what an operator types as a date, a time or a
// number, and how it writes the value back. The windows' boxes and the
// command line read alike: a text that does not read as the wanted kind
// gives nothing here (the boxes then keep it as typed, the command line
// refuses it).
//
// Dates are read day first with "/" between the fields, whatever the
// machine's regional settings: d/m/yy, d/m/yyyy (one or two digits for
// day and month, one, two or four for the year), or a bare run of six or
// eight digits (ddmmyy, ddmmyyyy). A two-digit year is 2000-2099, as the
// fiscal printer reads it; a four-digit year outside 2000-2099 is no date
// the printer can hold, and does not read as a date.
//
// Times are read on the 24-hour clock: h:m or h:m:s (one or two digits
// each), or a bare run of two, four or six digits (hh, hhmm, hhmmss).
//
// Numbers: an optional sign, digits and an optional decimal part after a
// "," (the Brazilian decimal comma; a "." is not read, since operators use
// it to group thousands); written back as a whole number, rounded half
// away from zero, with at least four digits.
//
// Blanks around any of these are ignored. Texts are UTF-8; only ASCII
// digits count as digits.
#pragma once

#include <optional>
#include <string>

#include "calendario_civil.h"

namespace tavorin {

using comum::Data;

std::optional<Data> LeData(const std::string& texto);
// "dd/mm/yy".
std::optional<std::string> NormalizaData(const std::string& texto);
// "ddmmyy", as the printer takes a date.
std::optional<std::string> DataSeisDigitos(const std::string& texto);
// "hh:mm:ss".
std::optional<std::string> NormalizaHora(const std::string& texto);
// At least four digits ("7" gives "0007"), a "-" in front when negative.
std::optional<std::string> NormalizaNumero(const std::string& texto);

}  // namespace tavorin
