#include "terminal.h"

#include "cp1252.h"
#include "registro.h"
#include "texto_windows.h"

#if defined(_WIN32)
#include <io.h>
#include <shellapi.h>

#include <cwchar>
#else
#include <unistd.h>
#endif

namespace tavorin::cli {

#if defined(_WIN32)

std::string DriverDoArgumento(const std::string& argumento) { return argumento; }
std::string Utf8DoArgumento(const std::string& argumento) { return Utf8DoDriver(argumento); }

namespace {
// A console, and only a console: _isatty is also true for NUL and any other
// character device, where nobody reads a question or watches progress.
bool EhConsole(HANDLE h) {
    DWORD modo = 0;
    return h != INVALID_HANDLE_VALUE && h != nullptr && GetConsoleMode(h, &modo);
}
HANDLE Handle(std::FILE* arquivo) { return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(arquivo))); }
}  // namespace

bool Escreve(std::FILE* saida, const std::string& utf8, bool json) {
    std::fflush(saida);
    HANDLE h = Handle(saida);
    if (EhConsole(h)) {
        const std::wstring largo = Largo(utf8, CP_UTF8);
        DWORD escritos = 0;
        return largo.empty() ||
               (WriteConsoleW(h, largo.data(), static_cast<DWORD>(largo.size()), &escritos, nullptr) &&
                escritos == largo.size());
    }
    const std::string bytes = json ? utf8 : Estreito(Largo(utf8, CP_UTF8), CP_ACP);
    const bool escrito = std::fwrite(bytes.data(), 1, bytes.size(), saida) == bytes.size();
    return std::fflush(saida) == 0 && escrito;
}

bool EhTerminal(std::FILE* saida) { return EhConsole(Handle(saida)); }

std::vector<std::string> ArgumentosDoPrograma(int, char*[]) {
    int quantos = 0;
    wchar_t** largos = CommandLineToArgvW(GetCommandLineW(), &quantos);
    std::vector<std::string> argumentos;
    for (int i = 0; largos && i < quantos; ++i) argumentos.push_back(AnsiDoLargo(largos[i], static_cast<int>(wcslen(largos[i]))));
    LocalFree(largos);
    return argumentos;
}

#else

std::string DriverDoArgumento(const std::string& argumento) { return Cp1252DoUtf8(argumento, NaoUtf8::Mantem); }

std::string Utf8DoArgumento(const std::string& argumento) {
    // A name that is not UTF-8 keeps each stray byte visible as \xHH, so
    // two such names stay apart and every message stays text.
    std::string texto;
    for (std::size_t i = 0; i < argumento.size();) {
        const std::size_t antes = i;
        if (ProximoUtf8(argumento, i) >= 0) {
            texto.append(argumento, antes, i - antes);
        } else {
            texto += ByteEscapado(static_cast<unsigned char>(argumento[antes]));
        }
    }
    return texto;
}

bool Escreve(std::FILE* saida, const std::string& utf8, bool) {
    const bool escrito = std::fwrite(utf8.data(), 1, utf8.size(), saida) == utf8.size();
    return std::fflush(saida) == 0 && escrito;
}

bool EhTerminal(std::FILE* saida) { return isatty(fileno(saida)) != 0; }

std::vector<std::string> ArgumentosDoPrograma(int argc, char* argv[]) { return {argv, argv + argc}; }

#endif

std::string Aspas(const std::string& argumento) { return "\"" + Utf8DoArgumento(argumento) + "\""; }

std::string ListaDePortas(const std::vector<int32_t>& portas) {
    std::string texto = portas.size() == 1 ? "na porta " : "nas portas ";
    for (std::size_t i = 0; i < portas.size(); ++i)
        texto += (i == 0 ? "" : i + 1 == portas.size() ? " e " : ", ") + std::to_string(portas[i]);
    return texto;
}

std::string Visivel(const std::string& bytes) { return Utf8DoDriver(ControlesVisiveis(bytes)); }
std::string Texto(const std::string& bytes) { return Utf8DoDriver(bytes); }

}  // namespace tavorin::cli
