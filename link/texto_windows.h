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

}  // namespace tavorin

#endif
