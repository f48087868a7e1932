#include "driver_library.h"

#if defined(_WIN32)
#include "texto_windows.h"
#else
#include <dlfcn.h>
#include <unistd.h>
#endif

#include <cstring>
#include <filesystem>
#include <vector>

namespace tavorin {

namespace {

#if defined(_WIN32)
// Paths are UTF-8 here and wide at the system's edge: the ANSI functions
// turn a folder name the code page lacks ("Łódź", "日本") into "?", so the
// library beside the program would not be found by its full path.
void* AbreModulo(const std::string& caminho) {
    return reinterpret_cast<void*>(LoadLibraryW(Largo(caminho, CP_UTF8).c_str()));
}
void* Funcao(void* modulo, const char* nome) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(modulo), nome));
}
void FechaModulo(void* modulo) { FreeLibrary(static_cast<HMODULE>(modulo)); }
// Where the system found the module, whichever candidate named it.
std::string CaminhoDoModulo(void* modulo, void*, const std::string& pedido) {
    std::vector<wchar_t> caminho(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameW(static_cast<HMODULE>(modulo), caminho.data(), static_cast<DWORD>(caminho.size()));
        if (n == 0) return pedido;
        if (n < caminho.size()) return Estreito(caminho.data(), static_cast<int>(n), CP_UTF8);
        caminho.resize(caminho.size() * 2);
    }
}
#else
void* AbreModulo(const std::string& caminho) { return dlopen(caminho.c_str(), RTLD_NOW | RTLD_LOCAL); }
void* Funcao(void* modulo, const char* nome) { return dlsym(modulo, nome); }
void FechaModulo(void* modulo) { dlclose(modulo); }
std::string CaminhoDoModulo(void*, void* simbolo, const std::string& pedido) {
    Dl_info info{};
    if (!dladdr(simbolo, &info) || !info.dli_fname || !*info.dli_fname) return pedido;
    std::error_code erro;
    const std::filesystem::path absoluto = std::filesystem::absolute(info.dli_fname, erro);
    return erro ? std::string(info.dli_fname) : absoluto.string();
}
#endif

// Function pointers and object pointers are converted through memcpy so
// that no compiler warns about the cast that dlsym and GetProcAddress need.
template <typename F>
F ComoFuncao(void* simbolo) {
    F funcao = nullptr;
    static_assert(sizeof funcao == sizeof simbolo, "function and object pointers differ in size");
    std::memcpy(&funcao, &simbolo, sizeof funcao);
    return funcao;
}

}  // namespace

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

DriverLibrary::DriverLibrary(std::string arquivo) : arquivo_(std::move(arquivo)) {}

DriverLibrary::~DriverLibrary() {
    if (modulo_) FechaModulo(modulo_);
}

bool DriverLibrary::Carrega() {
    if (modulo_) return true;
    // The program's own folder first, then the platform's search path.
    std::vector<std::string> candidatos;
    const std::string pasta = PastaDoPrograma();
    if (!pasta.empty()) candidatos.push_back(pasta + arquivo_);
    candidatos.push_back(arquivo_);

    for (const auto& caminho : candidatos) {
        void* modulo = AbreModulo(caminho);
        if (!modulo) continue;
        auto abre = ComoFuncao<ZubAbre>(Funcao(modulo, "Abre"));
        auto fecha = ComoFuncao<ZubFecha>(Funcao(modulo, "Fecha"));
        auto txrx = ComoFuncao<ZubTXRX>(Funcao(modulo, "TXRX"));
        if (!abre || !fecha || !txrx) {
            falha_ = {arquivo_, !abre ? "Abre" : !fecha ? "Fecha" : "TXRX"};
            FechaModulo(modulo);
            return false;
        }
        modulo_ = modulo;
        abre_ = abre;
        fecha_ = fecha;
        txrx_ = txrx;
        // A bare name found on the search path is told by its full path.
        const std::string encontrado = CaminhoDoModulo(modulo, Funcao(modulo, "Abre"), caminho);
        std::lock_guard<std::mutex> trava(caminhoTrava_);
        caminho_ = encontrado;
        falha_ = {};
        return true;
    }
    falha_ = {arquivo_, {}};
    return false;
}

// Each call tries to load the library while it is missing, so a library
// put in place while the program runs is picked up at the next command.
int16_t DriverLibrary::Abre(int16_t porta) { return Carrega() ? abre_(porta) : kSemDriver; }

int16_t DriverLibrary::Fecha(int16_t porta) { return Carrega() ? fecha_(porta) : kSemDriver; }

int16_t DriverLibrary::TXRX(int16_t porta, int16_t espera, const char* comando) {
    return Carrega() ? txrx_(porta, espera, comando) : kSemDriver;
}

}  // namespace tavorin
