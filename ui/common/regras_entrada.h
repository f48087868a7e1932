// The entry rules of entrada.h for the windows' boxes: a text that does
// not read as the wanted kind is handed back exactly as typed; nothing is
// ever refused. Blanks around a text are those Qt counts as blanks.
#pragma once

#include "entrada.h"

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
