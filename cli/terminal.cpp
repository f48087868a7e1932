#include "terminal.h"

#include "cp1252.h"

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace tavorin::cli {

namespace {

void PoeUtf8(std::string& saida, char32_t c) {
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

#if defined(_WIN32)
std::wstring Largo(const std::string& texto, UINT pagina) {
    const int n = MultiByteToWideChar(pagina, 0, texto.data(), static_cast<int>(texto.size()), nullptr, 0);
    std::wstring largo(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(pagina, 0, texto.data(), static_cast<int>(texto.size()), largo.data(), n);
    return largo;
}

std::string Estreito(const std::wstring& texto, UINT pagina) {
    const int n = WideCharToMultiByte(pagina, 0, texto.data(), static_cast<int>(texto.size()), nullptr, 0, nullptr,
                                      nullptr);
    std::string estreito(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(pagina, 0, texto.data(), static_cast<int>(texto.size()), estreito.data(), n, nullptr, nullptr);
    return estreito;
}
#else
// The next character of UTF-8 text, or -1 (one byte consumed) where the
// bytes are not UTF-8.
long ProximoUtf8(const std::string& t, std::size_t& i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(t[k]); };
    const unsigned char c = byte(i);
    std::size_t n = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : 4;
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
#endif

}  // namespace

std::string Utf8DoCp1252(const std::string& bytes) {
    std::string texto;
    for (unsigned char c : bytes) PoeUtf8(texto, DoCp1252(c));
    return texto;
}

#if defined(_WIN32)

std::string Utf8DoDriver(const std::string& bytes) { return Estreito(Largo(bytes, CP_ACP), CP_UTF8); }
std::string DriverDoArgumento(const std::string& argumento) { return argumento; }
std::string Utf8DoArgumento(const std::string& argumento) { return Utf8DoDriver(argumento); }

void Escreve(std::FILE* saida, const std::string& utf8, bool json) {
    std::fflush(saida);
    HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(saida)));
    DWORD modo = 0;
    if (h != INVALID_HANDLE_VALUE && GetConsoleMode(h, &modo)) {
        const std::wstring largo = Largo(utf8, CP_UTF8);
        DWORD escritos = 0;
        WriteConsoleW(h, largo.data(), static_cast<DWORD>(largo.size()), &escritos, nullptr);
        return;
    }
    const std::string bytes = json ? utf8 : Estreito(Largo(utf8, CP_UTF8), CP_ACP);
    std::fwrite(bytes.data(), 1, bytes.size(), saida);
    std::fflush(saida);
}

bool EhTerminal(std::FILE* saida) { return _isatty(_fileno(saida)) != 0; }

#else

std::string Utf8DoDriver(const std::string& bytes) { return Utf8DoCp1252(bytes); }

std::string DriverDoArgumento(const std::string& argumento) {
    std::string bytes;
    for (std::size_t i = 0; i < argumento.size();) {
        const std::size_t antes = i;
        const long c = ProximoUtf8(argumento, i);
        if (c < 0) {
            bytes += argumento[antes];
        } else {
            const int byte = ParaCp1252(static_cast<char32_t>(c));
            bytes += byte < 0 ? '?' : static_cast<char>(byte);
        }
    }
    return bytes;
}

std::string Utf8DoArgumento(const std::string& argumento) { return argumento; }

void Escreve(std::FILE* saida, const std::string& utf8, bool) {
    std::fwrite(utf8.data(), 1, utf8.size(), saida);
    std::fflush(saida);
}

bool EhTerminal(std::FILE* saida) { return isatty(fileno(saida)) != 0; }

#endif

}  // namespace tavorin::cli
