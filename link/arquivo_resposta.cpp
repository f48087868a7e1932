#include "arquivo_resposta.h"

#include "zub_dll3.h"

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#if defined(_WIN32)
#include "texto_windows.h"
#else
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tavorin {

namespace {

// Waiting for a held lock: the system's own blocking wait, which wakes
// the moment the holder lets go (polling would keep losing to a reading
// that takes the lock again for its next block), run on a thread of its
// own so that it can be given up after `limite`, or when `interromper`
// says so (asked a few times a second). A wait given up keeps going and
// lets go of the lock as soon as it gets it.
struct Espera {
    std::mutex trava;
    std::condition_variable pronta;
    bool terminou = false, obtida = false, abandonada = false;
};

// `bloqueia` waits for the lock and says whether it got it; `solta` lets
// go of the lock and of the file, and is called whenever the lock is not
// the caller's.
template <typename Bloqueia, typename Solta>
TravaDePasta::Estado EsperaAte(std::chrono::milliseconds limite, const std::function<bool()>& interromper,
                               Bloqueia bloqueia, Solta solta) {
    using Estado = TravaDePasta::Estado;
    auto espera = std::make_shared<Espera>();
    std::thread([espera, bloqueia, solta] {
        const bool obtida = bloqueia();
        std::lock_guard<std::mutex> guarda(espera->trava);
        espera->terminou = true;
        espera->obtida = obtida;
        if (espera->abandonada || !obtida) solta();
        espera->pronta.notify_all();
    }).detach();
    const auto fim = std::chrono::steady_clock::now() + limite;
    std::unique_lock<std::mutex> guarda(espera->trava);
    for (;;) {
        const auto agora = std::chrono::steady_clock::now();
        const auto fatia = interromper ? std::min<std::chrono::steady_clock::duration>(std::chrono::milliseconds(100), fim - agora)
                                       : fim - agora;
        if (espera->pronta.wait_for(guarda, std::max(fatia, std::chrono::steady_clock::duration::zero()),
                                    [&espera] { return espera->terminou; }))
            return espera->obtida ? Estado::Obtida : Estado::Ocupada;
        const bool interrompida = interromper && interromper();
        if (interrompida || std::chrono::steady_clock::now() >= fim) {
            espera->abandonada = true;
            return interrompida ? Estado::Interrompida : Estado::Ocupada;
        }
    }
}

}  // namespace

std::string PrimeiraLinha(const std::string& bytes) {
    const std::size_t fim = bytes.find_first_of("\r\n");
    return fim == std::string::npos ? bytes : bytes.substr(0, fim);
}

#if defined(_WIN32)

namespace {

// Shared every way, so a driver that keeps the file open is not disturbed.
HANDLE AbreParaLer(const char* arquivo) {
    return CreateFileA(arquivo, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool LeAlca(HANDLE alca, std::string& bytes) {
    bytes.assign(kMaxResposta, '\0');
    std::size_t lidos = 0;
    while (lidos < kMaxResposta) {
        DWORD n = 0;
        if (!ReadFile(alca, &bytes[lidos], static_cast<DWORD>(kMaxResposta - lidos), &n, nullptr)) return false;
        if (n == 0) break;
        lidos += n;
    }
    bytes.resize(lidos);
    return true;
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

TravaDePasta::TravaDePasta(const char* arquivo, std::chrono::milliseconds limite,
                           const std::function<bool()>& interromper) {
    HANDLE alca = CreateFileA(arquivo, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    // A lock file another user made, that this one may only read, locks too.
    if (alca == INVALID_HANDLE_VALUE) alca = AbreParaLer(arquivo);
    if (alca == INVALID_HANDLE_VALUE) {
        const DWORD erro = GetLastError();
        // A folder that takes no new file (a write-protected medium, no
        // rights, no room): nobody locks there, and no driver leaves a new
        // answer there either.
        const bool ausente = GetFileAttributesA(arquivo) == INVALID_FILE_ATTRIBUTES &&
                             (GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND);
        if (ausente) {
            estado_ = Estado::Dispensada;
        } else {
            estado_ = Estado::Inacessivel;
            motivo_ = MensagemDoSistema(static_cast<int>(erro));
        }
        return;
    }
    const auto tranca = [alca](DWORD modo) {
        OVERLAPPED inicio{};
        return LockFileEx(alca, LOCKFILE_EXCLUSIVE_LOCK | modo, 0, 1, 0, &inicio) != 0;
    };
    if (tranca(LOCKFILE_FAIL_IMMEDIATELY)) {
        alca_ = alca;
        return;
    }
    estado_ = EsperaAte(limite, interromper, [tranca] { return tranca(0); }, [alca] { CloseHandle(alca); });
    // Given up, the handle now belongs to the wait.
    if (estado_ == Estado::Obtida) alca_ = alca;
}

TravaDePasta::~TravaDePasta() {
    if (!alca_) return;
    OVERLAPPED inicio{};
    UnlockFileEx(static_cast<HANDLE>(alca_), 0, 1, 0, &inicio);
    CloseHandle(static_cast<HANDLE>(alca_));
}

bool LeInicio(const char* arquivo, std::string& bytes) {
    HANDLE alca = AbreParaLer(arquivo);
    if (alca == INVALID_HANDLE_VALUE) return false;
    const bool ok = GetFileType(alca) == FILE_TYPE_DISK && LeAlca(alca, bytes);
    CloseHandle(alca);
    return ok;
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

bool EsvaziaArquivo(const char* arquivo) {
    const DWORD atributos = GetFileAttributesA(arquivo);
    if (atributos == INVALID_FILE_ATTRIBUTES || (atributos & FILE_ATTRIBUTE_DIRECTORY)) return false;
    HANDLE alca = CreateFileA(arquivo, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (alca == INVALID_HANDLE_VALUE) return false;
    const bool disco = GetFileType(alca) == FILE_TYPE_DISK;
    CloseHandle(alca);
    return disco;
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

// Non-blocking, so a pipe in the file's place is not waited on; no
// controlling terminal taken from a device.
int AbreSemEsperar(const char* arquivo, int modo) {
    return ::open(arquivo, modo | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
}

bool LeDescritor(int descritor, std::string& bytes) {
    bytes.assign(kMaxResposta, '\0');
    std::size_t lidos = 0;
    while (lidos < kMaxResposta) {
        const ssize_t n = ::read(descritor, &bytes[lidos], kMaxResposta - lidos);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;
        lidos += static_cast<std::size_t>(n);
    }
    bytes.resize(lidos);
    return true;
}

}  // namespace

std::string MensagemDoSistema(int codigo) { return std::strerror(codigo); }

TravaDePasta::TravaDePasta(const char* arquivo, std::chrono::milliseconds limite,
                           const std::function<bool()>& interromper) {
    // Made here: readable by every user whatever the umask, so that each
    // can open it (for reading is enough) to take the lock.
    descritor_ = ::open(arquivo, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0644);
    if (descritor_ >= 0)
        ::fchmod(descritor_, 0644);
    else if (errno == EEXIST)
        descritor_ = ::open(arquivo, O_RDWR | O_CLOEXEC | O_NOCTTY);
    // A lock file another user made, that this one may only read, locks too.
    if (descritor_ < 0 && errno != ENOENT && errno != ELOOP) descritor_ = ::open(arquivo, O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (descritor_ < 0) {
        const int erro = errno;
        // A folder that takes no new file (read-only, full): nobody locks
        // there, and no driver leaves a new answer there either. Anything
        // else that keeps the lock file from opening (a dangling link,
        // another user's file this one cannot read) leaves the folder
        // unguarded: no command goes then.
        struct stat dados {};
        const bool ausente = ::lstat(arquivo, &dados) != 0 && errno == ENOENT;
        if (ausente) {
            estado_ = Estado::Dispensada;
        } else {
            estado_ = Estado::Inacessivel;
            motivo_ = MensagemDoSistema(erro);
        }
        return;
    }
    // flock belongs to the open file, not to the process: two threads or
    // two copies of the link in one process exclude each other as well.
    const int descritor = descritor_;
    if (::flock(descritor, LOCK_EX | LOCK_NB) == 0) return;
    estado_ = EsperaAte(
        limite, interromper,
        [descritor] {
            int resultado;
            while ((resultado = ::flock(descritor, LOCK_EX)) != 0 && errno == EINTR) {
            }
            return resultado == 0;
        },
        [descritor] { ::close(descritor); });
    // Given up, the descriptor now belongs to the wait.
    if (estado_ != Estado::Obtida) descritor_ = -1;
}

TravaDePasta::~TravaDePasta() {
    if (descritor_ >= 0) ::close(descritor_);
}

bool LeInicio(const char* arquivo, std::string& bytes) {
    const int descritor = AbreSemEsperar(arquivo, O_RDONLY);
    if (descritor < 0) return false;
    struct stat dados {};
    const bool ok = ::fstat(descritor, &dados) == 0 && S_ISREG(dados.st_mode) && LeDescritor(descritor, bytes);
    ::close(descritor);
    return ok;
}

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

bool EsvaziaArquivo(const char* arquivo) {
    const int descritor = AbreSemEsperar(arquivo, O_WRONLY);
    if (descritor < 0) return false;
    struct stat dados {};
    const bool ok = ::fstat(descritor, &dados) == 0 && S_ISREG(dados.st_mode) && ::ftruncate(descritor, 0) == 0;
    ::close(descritor);
    return ok;
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

}  // namespace tavorin
