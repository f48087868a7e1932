#include "texto8.h"

#include "driver.h"
#include "link.h"
#include "zub_dll3.h"

#include <QDir>
#include <QFileInfo>

#if defined(Q_OS_WIN)
#include <QByteArray>
#else
#include "cp1252.h"
#endif

namespace tavorin {

#if defined(Q_OS_WIN)

// On Windows the local 8-bit encoding is the ANSI code page.
QString DoDriver(const std::string& bytes) {
    return QString::fromLocal8Bit(bytes.data(), static_cast<int>(bytes.size()));
}

std::string ParaDriver(const QString& texto) {
    const QByteArray bytes = texto.toLocal8Bit();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
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
    return QStringLiteral("Arquivo de resposta não pode ser substituído: ") + QDir::toNativeSeparators(arquivo);
}

QString TextoDoResultado() {
    if (RespostaPresa()) return TextoDaRespostaPresa();
    return Status == "+" ? DoDriver(Resposta) : QStringLiteral("ERRO ") + DoDriver(Mid(Resposta, 21, 2));
}

}  // namespace tavorin
