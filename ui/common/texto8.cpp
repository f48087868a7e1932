#include "texto8.h"

#include "operacoes.h"
#include "zub_dll3.h"

#include <QDir>
#include <QFileInfo>

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

QString DoDriver(const std::string& bytes) {
    QString texto;
    texto.reserve(static_cast<int>(bytes.size()));
    for (unsigned char c : bytes) texto.append(QChar(static_cast<char16_t>(DoCp1252(c))));
    return texto;
}

std::string ParaDriver(const QString& texto) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(texto.size()));
    for (int i = 0; i < texto.size(); ++i) {
        char32_t caractere = texto[i].unicode();
        // A character outside the BMP is one character: one "?".
        if (texto[i].isHighSurrogate() && i + 1 < texto.size() && texto[i + 1].isLowSurrogate()) {
            caractere = QChar::surrogateToUcs4(texto[i], texto[i + 1]);
            ++i;
        }
        const int byte = ParaCp1252(caractere);
        bytes.push_back(byte < 0 ? '?' : static_cast<char>(byte));
    }
    return bytes;
}

#endif

QString TextoDaRespostaPresa() {
    const QString arquivo = QFileInfo(QString::fromLatin1(kArquivoResposta)).absoluteFilePath();
    return QStringLiteral("Arquivo de resposta preso por outro programa: ") + QDir::toNativeSeparators(arquivo);
}

QString TextoDaTravaOcupada() {
    return QStringLiteral("Outro programa do Tavorin nesta pasta não liberou a impressora em %1 s; nada foi enviado")
        .arg(LimiteDaTrava().count() / 1000);
}

QString TextoDaPortaEmUso(int32_t porta) { return QStringLiteral("Porta %1 em uso por outro programa").arg(porta); }

QString TextoDoResultado(const Desfecho& desfecho) {
    const ContaDaTroca& conta = desfecho.conta;
    if (!conta.enviado) return TextoDaTravaOcupada();
    if (desfecho.status != "+" && conta.portaEmUso) return TextoDaPortaEmUso(conta.portaEmUso);
    // Said once while the answer file stays held, ahead of the result, and
    // whenever it kept this command's answer from being read.
    static bool avisado = false;
    const bool avisa = conta.respostaPresa && !avisado;
    avisado = conta.respostaPresa;
    const QString resultado = DoDriver(TextoResultado(desfecho.resposta, desfecho.status));
    if (desfecho.RespostaPresa()) return TextoDaRespostaPresa();
    if (avisa) return TextoDaRespostaPresa() + QStringLiteral(" — ") + resultado;
    return resultado;
}

}  // namespace tavorin
