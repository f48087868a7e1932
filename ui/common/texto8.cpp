#include "texto8.h"

#include "operacoes.h"

#if defined(Q_OS_WIN)
#include "texto_windows.h"
#else
#include "cp1252.h"
#endif

namespace tavorin {

#if defined(Q_OS_WIN)

// On Windows the printer's 8-bit text is in the ANSI code page, converted
// here by the system itself rather than by Qt: Qt maps a character the code
// page lacks to its "best fit" ("→" would reach the printer as ">") and
// an emoji to two "?".
QString DoDriver(const std::string& bytes) {
    const std::wstring texto = Largo(bytes, CP_ACP);
    return QString::fromWCharArray(texto.data(), static_cast<int>(texto.size()));
}

std::string ParaDriver(const QString& texto) {
    return AnsiDoLargo(reinterpret_cast<const wchar_t*>(texto.utf16()), static_cast<int>(texto.size()));
}

#else

QString DoDriver(const std::string& bytes) { return QString::fromStdString(Utf8DoCp1252(bytes)); }

// A lone surrogate reaches the conversion as one character it cannot hold.
std::string ParaDriver(const QString& texto) { return Cp1252DoUtf8(texto.toStdString()); }

#endif

QString Frase(const std::string& utf8) {
    QString texto = QString::fromStdString(utf8);
    if (!texto.isEmpty()) texto[0] = texto[0].toUpper();
    return texto;
}

QString TextoDoResultado(const Desfecho& desfecho) {
    // What the link knows and the answer cannot say comes instead of it.
    if (CausaConhecida(desfecho.classe)) return Frase(Explica(desfecho));
    const QString resultado = DoDriver(TextoResultado(desfecho.troca.resposta, desfecho.status));
    const std::string aviso = Aviso(desfecho);
    return aviso.empty() ? resultado : Frase(aviso) + QStringLiteral(" — ") + resultado;
}

}  // namespace tavorin
