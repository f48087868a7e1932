#include "sistema.h"

#include "driver_library.h"

#if defined(_WIN32)
#include "texto_windows.h"
#else
#include <sys/stat.h>
#include <sys/utsname.h>
#endif

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace tavorin::diagnostico {

namespace fs = std::filesystem;

namespace {

#if defined(_WIN32)
constexpr char kSeparador = '\\';
const char* const kSeparadores = "\\/";

std::string Utf8(const std::wstring& largo) { return Estreito(largo, CP_UTF8); }
fs::path Caminho(const std::string& utf8) { return fs::path(Largo(utf8, CP_UTF8)); }

// A function a system library may lack (RtlGetVersion is in every ntdll;
// wine_get_version only in wine's).
template <typename F>
F Procura(const wchar_t* modulo, const char* nome) {
    HMODULE alca = GetModuleHandleW(modulo);
    FARPROC endereco = alca ? GetProcAddress(alca, nome) : nullptr;
    F funcao = nullptr;
    static_assert(sizeof funcao == sizeof endereco, "function pointers differ in size");
    std::memcpy(&funcao, &endereco, sizeof funcao);
    return funcao;
}

// A text value of the Windows version's registry key; empty when absent.
std::string DoRegistro(const wchar_t* valor) {
    wchar_t texto[256] = {};
    DWORD tamanho = sizeof texto;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", valor, RRF_RT_REG_SZ,
                     nullptr, texto, &tamanho) != ERROR_SUCCESS)
        return {};
    return Utf8(texto);
}

std::string PastaDoWindows(UINT(WINAPI* consulta)(LPWSTR, UINT)) {
    wchar_t pasta[MAX_PATH + 1] = {};
    const UINT n = consulta(pasta, MAX_PATH + 1);
    return n == 0 || n > MAX_PATH ? std::string() : Utf8(std::wstring(pasta, n));
}

std::string Variavel(const wchar_t* nome) {
    const DWORD n = GetEnvironmentVariableW(nome, nullptr, 0);
    if (n == 0) return {};
    std::wstring valor(n, L'\0');
    const DWORD lidos = GetEnvironmentVariableW(nome, valor.data(), n);
    return lidos == 0 || lidos >= n ? std::string() : Utf8(valor.substr(0, lidos));
}
#else
constexpr char kSeparador = '/';
const char* const kSeparadores = "/";

fs::path Caminho(const std::string& texto) { return fs::path(texto); }

std::string Variavel(const char* nome) {
    const char* valor = std::getenv(nome);
    return valor ? valor : "";
}
#endif

// Without its trailing separators, unless that is all there is ("/", "C:\").
std::string SemSeparadorFinal(std::string pasta) {
    while (pasta.size() > 1 && std::strchr(kSeparadores, pasta.back()) && !(pasta.size() == 3 && pasta[1] == ':'))
        pasta.pop_back();
    return pasta;
}

bool Mesma(const std::string& a, const std::string& b) {
    std::error_code erro;
    return a == b || fs::equivalent(Caminho(a), Caminho(b), erro);
}

}  // namespace

std::vector<std::string> DescreveSistema() {
    std::vector<std::string> linhas;
#if defined(_WIN32)
    // RtlGetVersion tells the real version, which GetVersionEx hides from a
    // program whose manifest does not name that Windows.
    using ObtemVersao = LONG(WINAPI*)(OSVERSIONINFOW*);
    OSVERSIONINFOW versao{};
    versao.dwOSVersionInfoSize = sizeof versao;
    if (const auto obtem = Procura<ObtemVersao>(L"ntdll.dll", "RtlGetVersion"); obtem && obtem(&versao) == 0) {
        const std::string pacote = Utf8(versao.szCSDVersion);
        linhas.push_back("Windows: " + std::to_string(versao.dwMajorVersion) + "." + std::to_string(versao.dwMinorVersion) +
                         "." + std::to_string(versao.dwBuildNumber) + (pacote.empty() ? "" : " " + pacote));
    }
    const std::string produto = DoRegistro(L"ProductName");
    std::string edicao = DoRegistro(L"DisplayVersion");
    if (edicao.empty()) edicao = DoRegistro(L"ReleaseId");
    if (!produto.empty()) linhas.push_back("Edição do Windows: " + produto + (edicao.empty() ? "" : " " + edicao));
#if !defined(_WIN64)
    BOOL wow64 = FALSE;
    if (IsWow64Process(GetCurrentProcess(), &wow64))
        linhas.push_back(std::string("Windows de 64 bits: ") + (wow64 ? "sim (o Tavorin roda em 32 bits, no WOW64)" : "não"));
#endif
    using VersaoDoWine = const char*(CDECL*)();
    using SistemaDoWine = void(CDECL*)(const char**, const char**);
    if (const auto wine = Procura<VersaoDoWine>(L"ntdll.dll", "wine_get_version")) {
        linhas.push_back(std::string("Wine: ") + wine());
        const char* nome = nullptr;
        const char* lancamento = nullptr;
        if (const auto hospede = Procura<SistemaDoWine>(L"ntdll.dll", "wine_get_host_version")) hospede(&nome, &lancamento);
        if (nome && lancamento) linhas.push_back(std::string("Sistema sob o wine: ") + nome + " " + lancamento);
    }
    linhas.push_back("Página de código ANSI: " + std::to_string(GetACP()));
#else
    std::ifstream lancamento("/etc/os-release");
    for (std::string linha; std::getline(lancamento, linha);) {
        if (linha.rfind("PRETTY_NAME=", 0) != 0) continue;
        std::string nome = linha.substr(12);
        if (nome.size() >= 2 && (nome.front() == '"' || nome.front() == '\'') && nome.back() == nome.front())
            nome = nome.substr(1, nome.size() - 2);
        linhas.push_back("Distribuição: " + nome);
    }
    struct utsname sistema {};
    if (uname(&sistema) == 0)
        linhas.push_back(std::string("Núcleo: ") + sistema.sysname + " " + sistema.release + " (" + sistema.machine + ")");
#endif
    return linhas;
}

std::string PastaDeTrabalho() {
    std::error_code erro;
    const fs::path pasta = fs::current_path(erro);
    if (erro) return ".";
#if defined(_WIN32)
    return SemSeparadorFinal(Utf8(pasta.wstring()));
#else
    return SemSeparadorFinal(pasta.string());
#endif
}

std::string NaPasta(const std::string& pasta, const std::string& arquivo) {
    if (!pasta.empty() && std::strchr(kSeparadores, pasta.back())) return pasta + arquivo;
    return pasta + kSeparador + arquivo;
}

std::string PastaDe(const std::string& caminho) {
    const std::size_t barra = caminho.find_last_of(kSeparadores);
    return barra == std::string::npos ? std::string() : SemSeparadorFinal(caminho.substr(0, barra + 1));
}

std::optional<Visto> Ve(const std::string& caminho) {
    Visto visto;
#if defined(_WIN32)
    WIN32_FILE_ATTRIBUTE_DATA dados{};
    if (!GetFileAttributesExW(Largo(caminho, CP_UTF8).c_str(), GetFileExInfoStandard, &dados)) return std::nullopt;
    visto.regular = !(dados.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE));
    visto.tamanho = (static_cast<uint64_t>(dados.nFileSizeHigh) << 32) | dados.nFileSizeLow;
    // 100-ns intervals since 1601 to seconds since 1970.
    const uint64_t intervalos =
        (static_cast<uint64_t>(dados.ftLastWriteTime.dwHighDateTime) << 32) | dados.ftLastWriteTime.dwLowDateTime;
    visto.modificado = static_cast<std::time_t>(intervalos / 10000000 - 11644473600ull);
#else
    struct stat dados {};
    if (::stat(caminho.c_str(), &dados) != 0) return std::nullopt;
    visto.regular = S_ISREG(dados.st_mode);
    visto.tamanho = static_cast<uint64_t>(dados.st_size);
    visto.modificado = dados.st_mtime;
#endif
    return visto;
}

std::optional<uint64_t> EspacoLivre(const std::string& pasta, std::string& motivo) {
    std::error_code erro;
    const fs::space_info espaco = fs::space(Caminho(pasta), erro);
    if (erro) {
        motivo = erro.message();
        return std::nullopt;
    }
    return static_cast<uint64_t>(espaco.available);
}

std::vector<std::pair<std::string, std::string>> OutrasPastas(const std::string& pastaDoDriver) {
    const std::string programa = PastaDoPrograma();
    std::vector<std::pair<std::string, std::string>> candidatas{{"pasta do programa", programa},
                                                                {"pasta do driver", pastaDoDriver}};
#if defined(_WIN32)
    const std::string windows = PastaDoWindows(GetWindowsDirectoryW);
    candidatas.insert(candidatas.end(), {{"pasta do Windows", windows},
                                         {"pasta do sistema", PastaDoWindows(GetSystemDirectoryW)},
                                         {"raiz do disco do sistema", windows.size() >= 3 ? windows.substr(0, 3) : ""}});
    wchar_t temporaria[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathW(MAX_PATH + 1, temporaria);
    candidatas.emplace_back("pasta temporária", n == 0 || n > MAX_PATH ? "" : Utf8(std::wstring(temporaria, n)));
    candidatas.emplace_back("pasta do usuário", Variavel(L"USERPROFILE"));
    // Where Windows puts, for a program without a manifest asking
    // otherwise, what it writes in a protected folder (Program Files).
    const std::string local = Variavel(L"LOCALAPPDATA");
    if (!local.empty() && programa.size() > 3 && programa[1] == ':')
        candidatas.emplace_back("VirtualStore da pasta do programa", NaPasta(local, "VirtualStore") + programa.substr(2));
#else
    const std::string temporaria = Variavel("TMPDIR");
    candidatas.emplace_back("pasta temporária", temporaria.empty() ? "/tmp" : temporaria);
    candidatas.emplace_back("pasta do usuário", Variavel("HOME"));
    candidatas.emplace_back("raiz", "/");
#endif
    const std::string trabalho = PastaDeTrabalho();
    std::vector<std::pair<std::string, std::string>> pastas;
    for (auto& [nome, pasta] : candidatas) {
        if (pasta.empty()) continue;
        pasta = SemSeparadorFinal(pasta);
        bool repetida = Mesma(pasta, trabalho);
        for (const auto& outra : pastas) repetida = repetida || Mesma(pasta, outra.second);
        if (!repetida) pastas.emplace_back(nome, pasta);
    }
    return pastas;
}

}  // namespace tavorin::diagnostico
