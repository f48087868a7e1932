// How the program reads what the operator types into its date, time and
// number boxes, and how it writes the value back. A text that does not
// read as the wanted kind is handed back exactly as typed; nothing is
// ever refused.
//
// Dates are read day first with "/" between the fields, whatever the
// machine's regional settings: d/m/yy, d/m/yyyy (one or two digits for
// day and month, one, two or four for the year), or a bare run of six or
// eight digits (ddmmyy, ddmmyyyy). A two-digit year falls in 2000-2029 or
// 1930-1999; it only decides whether 29 February exists.
//
// Times are read on the 24-hour clock: h:m or h:m:s (one or two digits
// each), or a bare run of two, four or six digits (hh, hhmm, hhmmss).
//
// Numbers: an optional sign, digits and an optional decimal part after a
// "," (the Brazilian decimal comma; a "." is not read, since operators use
// it to group thousands); written back as a whole number, rounded half
// away from zero, with at least four digits.
//
// Blanks around any of these are ignored.
#pragma once

#include <QString>

namespace tavorin {

// "dd/mm/yy", or the text unchanged.
QString NormalizaData(const QString& texto);
// "ddmmyy" (for the printer's date fields), or the text unchanged.
QString DataSeisDigitos(const QString& texto);
// "hh:mm:ss", or the text unchanged.
QString NormalizaHora(const QString& texto);
// At least four digits ("7" gives "0007"), or the text unchanged.
QString NormalizaNumero(const QString& texto);

}  // namespace tavorin
