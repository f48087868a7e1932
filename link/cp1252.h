// Windows-1252, the printer's 8-bit code page: the one table that both the
// windows and the simulated printer convert with. It differs from Latin-1
// only in 0x80-0x9F.
#pragma once

#include <cstddef>

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

}  // namespace tavorin
