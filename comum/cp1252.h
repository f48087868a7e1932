// Windows-1252, the printer's 8-bit code page: the one conversion the
// windows, the command line, the link's log and the simulated printer all
// use, each choosing what becomes of text that does not fit. It differs from Latin-1
// only in 0x80-0x9F.
#pragma once

#include <cstddef>
#include <string>

namespace tavorin {

namespace detalhe {
inline constexpr char32_t kCp1252Alto[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};
}  // namespace detalhe

// The character a byte stands for. The five bytes the code page leaves
// undefined give the control character of the same value, as Windows does,
// so every byte survives a round trip.
inline char32_t DoCp1252(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? detalhe::kCp1252Alto[byte - 0x80] : byte;
}

// The byte for a character, or -1 when the code page lacks it.
inline int ParaCp1252(char32_t caractere) {
    if (caractere < 0x80 || (caractere >= 0xA0 && caractere < 0x100)) return static_cast<int>(caractere);
    for (std::size_t i = 0; i < 32; ++i)
        if (detalhe::kCp1252Alto[i] == caractere) return static_cast<int>(0x80 + i);
    return -1;
}

// Appends the UTF-8 form of one character.
inline void PoeUtf8(std::string& saida, char32_t c) {
    if (c < 0x80) {
        saida += static_cast<char>(c);
    } else if (c < 0x800) {
        saida += static_cast<char>(0xC0 | (c >> 6));
        saida += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        saida += static_cast<char>(0xE0 | (c >> 12));
        saida += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        saida += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        saida += static_cast<char>(0xF0 | (c >> 18));
        saida += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        saida += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        saida += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The character of UTF-8 text at `i`, moving `i` past it; -1 with one byte
// consumed where the bytes there are not UTF-8 (overlong forms and
// surrogates included).
inline long ProximoUtf8(const std::string& t, std::size_t& i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(t[k]); };
    const unsigned char c = byte(i);
    const std::size_t n = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : 4;
    if (n == 4 || i + n >= t.size()) return ++i, -1;
    long valor = n == 0 ? c : c & (0x3F >> n);
    for (std::size_t k = 1; k <= n; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return ++i, -1;
        valor = (valor << 6) | (byte(i + k) & 0x3F);
    }
    static const long minimo[] = {0, 0x80, 0x800, 0x10000};
    if (valor < minimo[n] || valor > 0x10FFFF || (valor >= 0xD800 && valor < 0xE000)) return ++i, -1;
    i += n + 1;
    return valor;
}

// What becomes of bytes that are not UTF-8 on their way to Windows-1252:
// "?", as for a character the code page lacks, or the byte itself (the
// system's own 8-bit text, passed on as it came).
enum class NaoUtf8 { Interrogacao, Mantem };

// UTF-8 as Windows-1252; a character the code page lacks becomes one "?".
inline std::string Cp1252DoUtf8(const std::string& utf8, NaoUtf8 naoUtf8 = NaoUtf8::Interrogacao) {
    std::string bytes;
    bytes.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t antes = i;
        const long c = ProximoUtf8(utf8, i);
        const int byte = c < 0 ? -1 : ParaCp1252(static_cast<char32_t>(c));
        if (c < 0 && naoUtf8 == NaoUtf8::Mantem)
            bytes += utf8[antes];
        else
            bytes += byte < 0 ? '?' : static_cast<char>(byte);
    }
    return bytes;
}

// What the five bytes the code page leaves undefined become: their control
// character, so every byte survives a round trip, or "?" where they would
// be printed.
enum class Indefinido { Controle, Interrogacao };

// Windows-1252 bytes as UTF-8, one character each.
inline std::string Utf8DoCp1252(const std::string& bytes, Indefinido indefinido = Indefinido::Controle) {
    std::string texto;
    texto.reserve(bytes.size());
    for (unsigned char c : bytes) {
        const char32_t ponto = DoCp1252(c);
        const bool semNome = ponto >= 0x80 && ponto < 0xA0;
        PoeUtf8(texto, semNome && indefinido == Indefinido::Interrogacao ? U'?' : ponto);
    }
    return texto;
}

// A byte shown as "\xHH" where it cannot be shown as itself.
inline std::string ByteEscapado(unsigned char byte) {
    static const char kHexa[] = "0123456789ABCDEF";
    return {'\\', 'x', kHexa[byte >> 4], kHexa[byte & 0xF]};
}

}  // namespace tavorin
