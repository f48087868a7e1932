#include "modulo.h"

#include "driver_library.h"

#if !defined(_WIN32)
#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#endif

#include <vector>

namespace tavorin {

namespace modulo {

#if defined(_WIN32)
namespace {

using DefineDiretorios = BOOL(WINAPI*)(DWORD);

// SetDefaultDllDirectories and the LOAD_LIBRARY_SEARCH_* flags: Windows 8,
// and Windows 7 with KB2533623; null on a Windows 7 without that update.
DefineDiretorios DefinicaoDeDiretorios() {
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    return kernel ? ComoFuncao<DefineDiretorios>(reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")))
                  : nullptr;
}

// How the driver and the libraries it depends on are looked for: the
// driver by its full path, what it needs in its own folder, the
// program's and the system's, never in the working folder or on PATH.
// Without the search flags, the older way: what it needs in its own folder
// first, then the standard search with the working folder taken out
// (PATH stays in that search; nothing older can take it out).
DWORD BandeirasDeCarga() {
    static const DWORD bandeiras = [] {
        if (DefinicaoDeDiretorios()) return DWORD{LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS};
        SetDllDirectoryW(L"");
        return DWORD{LOAD_WITH_ALTERED_SEARCH_PATH};
    }();
    return bandeiras;
}

// The system's reason in the system's language, with its number; "%1"
// (as in "%1 is not a valid Win32 application") stands for the file.
std::string MotivoDoSistema(DWORD erro, const std::string& nome) {
    wchar_t* texto = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, erro, 0,
        reinterpret_cast<wchar_t*>(&texto), 0, nullptr);
    std::string mensagem = n && texto ? Estreito(texto, static_cast<int>(n), CP_UTF8) : std::string();
    if (texto) LocalFree(texto);
    while (!mensagem.empty() && std::strchr(" \r\n", mensagem.back())) mensagem.pop_back();
    for (auto marca = mensagem.find("%1"); marca != std::string::npos; marca = mensagem.find("%1", marca + nome.size()))
        mensagem.replace(marca, 2, nome);
    return "erro " + std::to_string(erro) + (mensagem.empty() ? "" : ": " + mensagem);
}

}  // namespace

// Paths are UTF-8 here and wide at the system's edge: the ANSI functions
// turn a folder name the code page lacks ("Łódź", "日本") into "?", so the
// library beside the program would not be found by its full path.
std::filesystem::path Caminho(const std::string& caminho) { return std::filesystem::path(Largo(caminho, CP_UTF8)); }

void* AbreModulo(const std::string& caminho, const std::string& nome, std::string& motivo) {
    // A damaged image must not stop the program at a system message box
    // nobody may be there to answer (a scheduled tavorin-cli).
    DWORD modo = 0;
    SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &modo);
    HMODULE modulo = LoadLibraryExW(Largo(caminho, CP_UTF8).c_str(), nullptr, BandeirasDeCarga());
    const DWORD erro = modulo ? 0 : GetLastError();
    SetThreadErrorMode(modo, nullptr);
    if (!modulo) motivo = MotivoDoSistema(erro, nome);
    return reinterpret_cast<void*>(modulo);
}
void* Funcao(void* modulo, const char* nome) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(modulo), nome));
}
void FechaModulo(void* modulo) { FreeLibrary(static_cast<HMODULE>(modulo)); }
std::string CaminhoDoModulo(void* modulo, const std::string& pedido) {
    std::vector<wchar_t> caminho(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameW(static_cast<HMODULE>(modulo), caminho.data(), static_cast<DWORD>(caminho.size()));
        if (n == 0) return pedido;
        if (n < caminho.size()) return Estreito(caminho.data(), static_cast<int>(n), CP_UTF8);
        caminho.resize(caminho.size() * 2);
    }
}
std::string PastaDoSistema(UINT(WINAPI* consulta)(LPWSTR, UINT)) {
    std::vector<wchar_t> pasta(MAX_PATH);
    UINT n = consulta(pasta.data(), static_cast<UINT>(pasta.size()));
    if (n >= pasta.size()) {
        pasta.resize(n + 1);
        n = consulta(pasta.data(), static_cast<UINT>(pasta.size()));
    }
    if (n == 0 || n >= pasta.size()) return {};
    std::string texto = Estreito(pasta.data(), static_cast<int>(n), CP_UTF8);
    if (texto.back() != '\\' && texto.back() != '/') texto += '\\';
    return texto;
}
#else
std::filesystem::path Caminho(const std::string& caminho) { return std::filesystem::path(caminho); }

void* AbreModulo(const std::string& caminho, const std::string&, std::string& motivo) {
    void* modulo = dlopen(caminho.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!modulo) {
        const char* erro = dlerror();
        motivo = erro ? erro : "dlopen falhou";
        // dlerror puts the name asked for first; the line already names it.
        if (motivo.rfind(caminho + ": ", 0) == 0) motivo.erase(0, caminho.size() + 2);
    }
    return modulo;
}
void* Funcao(void* modulo, const char* nome) { return dlsym(modulo, nome); }
void FechaModulo(void* modulo) { dlclose(modulo); }
// A full path asked for is where the module is; a bare name is in the
// folder the system's search found it in.
std::string CaminhoDoModulo(void* modulo, const std::string& pedido) {
    if (pedido.find('/') != std::string::npos) return pedido;
    std::vector<char> origem(PATH_MAX + 1, '\0');
    if (dlinfo(modulo, RTLD_DI_ORIGIN, origem.data()) != 0 || !origem[0]) return pedido;
    return std::string(origem.data()) + "/" + pedido;
}
bool NadaNaBusca(const std::string& motivo) {
    const std::string ausente = std::string(": ") + std::strerror(ENOENT);
    return motivo.size() >= ausente.size() && motivo.compare(motivo.size() - ausente.size(), ausente.size(), ausente) == 0;
}
#endif

}  // namespace modulo

std::string PastaDoPrograma() {
#if defined(_WIN32)
    std::vector<wchar_t> caminho(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, caminho.data(), static_cast<DWORD>(caminho.size()));
        if (n == 0) return {};
        if (n < caminho.size()) {
            std::string texto = Estreito(caminho.data(), static_cast<int>(n), CP_UTF8);
            auto barra = texto.find_last_of("\\/");
            return barra == std::string::npos ? std::string() : texto.substr(0, barra + 1);
        }
        caminho.resize(caminho.size() * 2);
    }
#else
    std::vector<char> caminho(4096);
    for (;;) {
        ssize_t n = readlink("/proc/self/exe", caminho.data(), caminho.size());
        if (n < 0) return {};
        if (static_cast<size_t>(n) < caminho.size()) {
            std::string texto(caminho.data(), static_cast<size_t>(n));
            auto barra = texto.find_last_of('/');
            return barra == std::string::npos ? std::string() : texto.substr(0, barra + 1);
        }
        caminho.resize(caminho.size() * 2);
    }
#endif
}

void ProtegeBuscaDeBibliotecas() {
#if defined(_WIN32)
    // What this protects: every library loaded by name from here on — the
    // system libraries Qt and the mingw runtime load as they need them,
    // Qt's plugins and what they import. The working folder goes out of the
    // standard search on every Windows since XP SP1; where the system has
    // the search flags, the search becomes the program's folder and the
    // system's, without PATH either.
    // What it cannot: the libraries in the programs' import tables (Qt's,
    // the mingw runtime's, the system's) are found by Windows before main
    // runs — the program's folder, then the system folders, only then the
    // working folder and PATH. Those the program ships stand beside it and
    // the system's are in the system folder, so only a library missing
    // from both would be taken from the working folder.
    SetDllDirectoryW(L"");
    if (const auto define = modulo::DefinicaoDeDiretorios()) define(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
#endif
}

}  // namespace tavorin
