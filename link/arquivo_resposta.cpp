#include "arquivo_resposta.h"

#include "zub_dll3.h"

#if defined(_WIN32)
#include "texto_windows.h"
#else
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tavorin {

#if defined(_WIN32)

namespace {

bool Ausente(const char* arquivo) {
    return GetFileAttributesA(arquivo) == INVALID_FILE_ATTRIBUTES &&
           (GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND);
}

}  // namespace

std::string MensagemDoSistema(int codigo) {
    wchar_t* texto = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, static_cast<DWORD>(codigo), 0, reinterpret_cast<wchar_t*>(&texto), 0, nullptr);
    std::string mensagem = n ? Estreito(texto, static_cast<int>(n), CP_UTF8) : std::string();
    LocalFree(texto);
    while (!mensagem.empty() && (mensagem.back() == '\n' || mensagem.back() == '\r' || mensagem.back() == '.'))
        mensagem.pop_back();
    return mensagem.empty() ? "erro " + std::to_string(codigo) : mensagem;
}

Retrato Retrata(const char* arquivo) {
    Retrato retrato;
    // Size and time come from the folder, readable even while the driver
    // keeps the file to itself.
    WIN32_FILE_ATTRIBUTE_DATA dados{};
    if (!GetFileAttributesExA(arquivo, GetFileExInfoStandard, &dados)) return retrato;
    retrato.tamanho = (static_cast<uint64_t>(dados.nFileSizeHigh) << 32) | dados.nFileSizeLow;
    retrato.modificado = static_cast<int64_t>((static_cast<uint64_t>(dados.ftLastWriteTime.dwHighDateTime) << 32) |
                                              dados.ftLastWriteTime.dwLowDateTime);
    retrato.regular = !(dados.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && LeInicio(arquivo, retrato.inicio);
    return retrato;
}

bool RemoveArquivo(const char* arquivo, std::string& motivo) {
    // Deleted while another program holds it open (with delete sharing),
    // a file may stay at its name, pending deletion, until it lets go: only
    // a name that is gone counts.
    const bool apagou = DeleteFileA(arquivo) != 0;
    const DWORD erroDaExclusao = GetLastError();
    if (GetFileAttributesA(arquivo) != INVALID_FILE_ATTRIBUTES) {
        motivo = apagou ? "a exclusão ficou pendente: o arquivo continua aberto" : MensagemDoSistema(static_cast<int>(erroDaExclusao));
        return false;
    }
    const DWORD erro = GetLastError();
    if (erro == ERROR_FILE_NOT_FOUND || erro == ERROR_PATH_NOT_FOUND) return true;
    motivo = MensagemDoSistema(static_cast<int>(erro));
    return false;
}

std::string PastaNaoGrava() {
    const std::string nome = std::string(kArquivoResposta) + "." + std::to_string(GetCurrentProcessId()) + ".teste";
    HANDLE alca = CreateFileA(nome.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (alca == INVALID_HANDLE_VALUE) return MensagemDoSistema(static_cast<int>(GetLastError()));
    char bloco[512] = {};
    DWORD escritos = 0;
    const bool escreveu = WriteFile(alca, bloco, sizeof bloco, &escritos, nullptr) && escritos == sizeof bloco;
    const DWORD erro = escreveu ? 0 : GetLastError();
    CloseHandle(alca);
    return escreveu ? std::string() : MensagemDoSistema(static_cast<int>(erro ? erro : ERROR_DISK_FULL));
}

#else

namespace {

bool Ausente(const char* arquivo) {
    struct stat dados {};
    return ::lstat(arquivo, &dados) != 0 && errno == ENOENT;
}

}  // namespace

std::string MensagemDoSistema(int codigo) { return std::strerror(codigo); }

Retrato Retrata(const char* arquivo) {
    Retrato retrato;
    struct stat dados {};
    if (::stat(arquivo, &dados) != 0) return retrato;
    retrato.tamanho = static_cast<uint64_t>(dados.st_size);
    retrato.modificado = static_cast<int64_t>(dados.st_mtim.tv_sec) * 1000000000 + dados.st_mtim.tv_nsec;
    retrato.regular = S_ISREG(dados.st_mode) && LeInicio(arquivo, retrato.inicio);
    return retrato;
}

bool RemoveArquivo(const char* arquivo, std::string& motivo) {
    if (std::remove(arquivo) == 0 || errno == ENOENT) return true;
    const int erro = errno;
    struct stat dados {};
    // Gone meanwhile; a folder that cannot even be looked into cannot be
    // trusted either.
    if (::lstat(arquivo, &dados) != 0 && errno == ENOENT) return true;
    motivo = MensagemDoSistema(erro);
    return false;
}

std::string PastaNaoGrava() {
    const std::string nome = std::string(kArquivoResposta) + "." + std::to_string(::getpid()) + ".teste";
    const int descritor = ::open(nome.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0600);
    if (descritor < 0) return MensagemDoSistema(errno);
    // A file can often still be made in a full folder; its first bytes cannot.
    const char bloco[512] = {};
    const ssize_t n = ::write(descritor, bloco, sizeof bloco);
    const int erro = n < 0 ? errno : ENOSPC;
    ::close(descritor);
    ::unlink(nome.c_str());
    return n == static_cast<ssize_t>(sizeof bloco) ? std::string() : MensagemDoSistema(erro);
}

#endif

TravaDePasta::TravaDePasta(const char* arquivo, std::chrono::milliseconds limite,
                           const std::function<bool()>& interromper)
    : trava_(arquivo, limite, interromper) {
    switch (trava_.Situacao()) {
        case comum::Trava::Estado::Obtida:
            estado_ = Estado::Obtida;
            break;
        case comum::Trava::Estado::Ocupada:
            estado_ = Estado::Ocupada;
            break;
        case comum::Trava::Estado::Interrompida:
            estado_ = Estado::Interrompida;
            break;
        case comum::Trava::Estado::Inacessivel:
            // A folder that takes no new file (read-only, full): nobody
            // locks there, and no driver leaves a new answer there either.
            // Anything else that keeps the lock file from opening (a
            // dangling link, another user's file this one cannot read)
            // leaves the folder unguarded: no command goes then.
            if (Ausente(arquivo)) {
                estado_ = Estado::Dispensada;
            } else {
                estado_ = Estado::Inacessivel;
                motivo_ = MensagemDoSistema(trava_.Erro());
            }
            break;
    }
}

bool LeInicio(const char* arquivo, std::string& bytes) {
    comum::Arquivo aberto(arquivo, comum::Abertura::Le);
    return aberto.Regular() && aberto.Le(bytes, kMaxResposta);
}

bool EsvaziaArquivo(const char* arquivo) {
    comum::Arquivo aberto(arquivo, comum::Abertura::Existente);
    return aberto.Regular() && aberto.Corta(0);
}

std::string PrimeiraLinha(const std::string& bytes) {
    const std::size_t fim = bytes.find_first_of("\r\n");
    return fim == std::string::npos ? bytes : bytes.substr(0, fim);
}

}  // namespace tavorin
