// Text at the Windows API's edge: 8-bit text in a given code page (the
// ANSI one, UTF-8) to the system's wide characters and back.
#pragma once

#if defined(_WIN32)

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

namespace tavorin {

inline std::wstring Largo(const std::string& texto, UINT pagina) {
    const int tamanho = static_cast<int>(texto.size());
    const int n = MultiByteToWideChar(pagina, 0, texto.data(), tamanho, nullptr, 0);
    std::wstring largo(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(pagina, 0, texto.data(), tamanho, largo.data(), n);
    return largo;
}

inline std::string Estreito(const wchar_t* texto, int tamanho, UINT pagina) {
    const int n = WideCharToMultiByte(pagina, 0, texto, tamanho, nullptr, 0, nullptr, nullptr);
    std::string estreito(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(pagina, 0, texto, tamanho, estreito.data(), n, nullptr, nullptr);
    return estreito;
}

inline std::string Estreito(const std::wstring& texto, UINT pagina) {
    return Estreito(texto.data(), static_cast<int>(texto.size()), pagina);
}

// Text typed by the operator as the printer takes it, in the ANSI code
// page: a character the code page lacks, even outside the BMP, becomes
// exactly one "?", never its "best fit" ("→" would otherwise reach the
// printer as ">"). One character at a time for that.
inline std::string AnsiDoLargo(const wchar_t* texto, int tamanho) {
    // The UTF-8 code page (a Windows option) takes neither flag nor report.
    const bool utf8 = GetACP() == CP_UTF8;
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(tamanho));
    for (int i = 0; i < tamanho;) {
        const bool par = i + 1 < tamanho && texto[i] >= 0xD800 && texto[i] <= 0xDBFF && texto[i + 1] >= 0xDC00 &&
                         texto[i + 1] <= 0xDFFF;
        const int unidades = par ? 2 : 1;
        char saida[8];
        BOOL faltou = FALSE;
        const int n = WideCharToMultiByte(CP_ACP, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, texto + i, unidades, saida,
                                          sizeof saida, nullptr, utf8 ? nullptr : &faltou);
        if (n <= 0 || faltou)
            bytes.push_back('?');
        else
            bytes.append(saida, static_cast<std::size_t>(n));
        i += unidades;
    }
    return bytes;
}

}  // namespace tavorin

#endif
