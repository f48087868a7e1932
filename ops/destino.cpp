#include "destino.h"

#include "arquivo_atomico.h"
#include "arquivo_resposta.h"
#include "variaveis.h"
#include "zub_dll3.h"

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <type_traits>
#include <vector>

#if defined(_WIN32)
#include "texto_windows.h"
#else
#include <sys/stat.h>
#endif

namespace tavorin {

namespace fs = std::filesystem;

namespace {

// The program's 8-bit file name (the ANSI code page on Windows) as the
// system's path.
fs::path Caminho(const std::string& arquivo) {
#if defined(_WIN32)
    return fs::path(Largo(arquivo, CP_ACP));
#else
    return fs::path(arquivo);
#endif
}

// The file name in lower case when it is ASCII, as every protected name
// is; otherwise empty.
std::string NomeAscii(const fs::path& caminho) {
    std::string nome;
    const fs::path arquivo = caminho.filename();
    for (const auto c : arquivo.native()) {
        const auto codigo = static_cast<std::make_unsigned_t<std::decay_t<decltype(c)>>>(c);
        if (codigo == 0 || codigo > 127) return {};
        nome += static_cast<char>(codigo >= 'A' && codigo <= 'Z' ? codigo - 'A' + 'a' : codigo);
    }
    return nome;
}

// The driver's answer file and its lock, and whatever the simulated
// printer keeps (its state, fiscal memory, paper roll, locks, the position
// of a reading, their temporary files).
bool NomeProtegido(const std::string& nome) {
    static const std::string resposta = NomeAscii(kArquivoResposta), trava = NomeAscii(kArquivoTrava);
    return !nome.empty() && (nome == resposta || nome == trava || nome.rfind(resposta + ".", 0) == 0 ||
                             nome.rfind("zubsim-", 0) == 0);
}

// The file a name leads to, links followed: the same two values for every
// name of it.
struct Identidade {
    unsigned long long volume = 0, indice = 0;
    bool operator==(const Identidade& outra) const { return volume == outra.volume && indice == outra.indice; }
};

std::optional<Identidade> IdentidadeDe(const fs::path& caminho) {
#if defined(_WIN32)
    // Opening a port or a pipe only to look at it could disturb it.
    if (comum::NomeDeDispositivo(caminho)) return std::nullopt;
    HANDLE arquivo = CreateFileW(caminho.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (arquivo == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION dados;
    const bool lido = GetFileInformationByHandle(arquivo, &dados) != 0;
    CloseHandle(arquivo);
    if (!lido) return std::nullopt;
    return Identidade{dados.dwVolumeSerialNumber,
                      (static_cast<unsigned long long>(dados.nFileIndexHigh) << 32) | dados.nFileIndexLow};
#else
    struct stat dados;
    if (::stat(caminho.c_str(), &dados) != 0) return std::nullopt;
    return Identidade{static_cast<unsigned long long>(dados.st_dev), static_cast<unsigned long long>(dados.st_ino)};
#endif
}

// The folders whose protected files a reading must not reach: the working
// folder, where the driver writes its answer, and the simulated printer's.
std::vector<fs::path> Pastas() {
    std::vector<fs::path> pastas = {"."};
#if defined(_WIN32)
    // Wide, so that a folder name outside the code page survives.
    const wchar_t* simulador = _wgetenv(Largo(zubsim::kVariavelPasta, CP_UTF8).c_str());
#else
    const char* simulador = std::getenv(zubsim::kVariavelPasta);
#endif
    if (simulador && *simulador) pastas.emplace_back(simulador);
    return pastas;
}

std::string Milhares(unsigned long long numero) {
    std::string texto = std::to_string(numero);
    for (std::size_t i = texto.size(); i > 3; i -= 3) texto.insert(i - 3, ".");
    return texto;
}

}  // namespace

std::string ArquivoProtegido(const std::string& arquivo) {
    const fs::path caminho = Caminho(arquivo);
    // By name, also where it does not exist yet.
    for (const fs::path& nome : {caminho, comum::Alvo(caminho)})
        if (NomeProtegido(NomeAscii(nome))) return nome.filename().string();
    // By what it is.
    const std::optional<Identidade> alvo = IdentidadeDe(caminho);
    if (!alvo) return {};
    for (const fs::path& pasta : Pastas()) {
        std::error_code erro;
        for (fs::directory_iterator i(pasta, erro), fim; !erro && i != fim; i.increment(erro))
            if (NomeProtegido(NomeAscii(i->path())) && IdentidadeDe(i->path()) == alvo)
                return i->path().filename().string();
    }
    return {};
}

std::string ForaDoLimite(const LimiteLeitura& limite, int blocos, std::uint64_t bytes) {
    const char* const sem = " sem terminar, mais do que uma memória fiscal contém";
    if (blocos > limite.blocos) return "passou de " + Milhares(static_cast<unsigned long long>(limite.blocos)) + " blocos" + sem;
    if (bytes > limite.bytes) return "passou de " + Milhares(limite.bytes) + " bytes" + sem;
    return {};
}

}  // namespace tavorin
