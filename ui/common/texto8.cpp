#include "texto8.h"

#include "link.h"

#if defined(Q_OS_WIN)
#include <QByteArray>
#else
#include <array>
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

namespace {

// 0x80-0x9F of Windows-1252. The five bytes that the code page leaves
// undefined map to the control characters of the same value, as Windows
// does, so every byte survives a round trip.
constexpr std::array<char16_t, 32> kAlto = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

QString DoDriver(const std::string& bytes) {
    QString texto;
    texto.reserve(static_cast<int>(bytes.size()));
    for (unsigned char c : bytes)
        texto.append(QChar(c >= 0x80 && c < 0xA0 ? kAlto[c - 0x80] : static_cast<char16_t>(c)));
    return texto;
}

std::string ParaDriver(const QString& texto) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(texto.size()));
    for (int i = 0; i < texto.size(); ++i) {
        const char16_t u = texto[i].unicode();
        // A character outside the BMP is one character: one "?".
        if (texto[i].isHighSurrogate() && i + 1 < texto.size() && texto[i + 1].isLowSurrogate()) ++i;
        char c = '?';
        if (u < 0x80 || (u >= 0xA0 && u < 0x100)) {
            c = static_cast<char>(u);
        } else {
            for (std::size_t j = 0; j < kAlto.size(); ++j)
                if (kAlto[j] == u) {
                    c = static_cast<char>(0x80 + j);
                    break;
                }
        }
        bytes.push_back(c);
    }
    return bytes;
}

#endif

QString TextoDoResultado() {
    return Status == "+" ? DoDriver(Resposta) : QStringLiteral("ERRO ") + DoDriver(Mid(Resposta, 21, 2));
}

}  // namespace tavorin
