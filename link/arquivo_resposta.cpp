#include "arquivo_resposta.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#if defined(_WIN32)
#include "texto_windows.h"
#else
#include <cerrno>
#include <cstdio>
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
// own so that it can be given up after `limite`. A wait given up keeps
// going and lets go of the lock as soon as it gets it.
struct Espera {
    std::mutex trava;
    std::condition_variable pronta;
    bool terminou = false, obtida = false, abandonada = false;
};

// `bloqueia` waits for the lock and says whether it got it; `solta` lets
// go of the lock and of the file, and is called whenever the lock is not
// the caller's. True: obtained within `limite`.
template <typename Bloqueia, typename Solta>
bool EsperaAte(std::chrono::milliseconds limite, Bloqueia bloqueia, Solta solta) {
    auto espera = std::make_shared<Espera>();
    std::thread([espera, bloqueia, solta] {
        const bool obtida = bloqueia();
        std::lock_guard<std::mutex> guarda(espera->trava);
        espera->terminou = true;
        espera->obtida = obtida;
        if (espera->abandonada || !obtida) solta();
        espera->pronta.notify_all();
    }).detach();
    std::unique_lock<std::mutex> guarda(espera->trava);
    if (espera->pronta.wait_for(guarda, limite, [&espera] { return espera->terminou; })) return espera->obtida;
    espera->abandonada = true;
    return false;
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

TravaDePasta::TravaDePasta(const char* arquivo, std::chrono::milliseconds limite) {
    HANDLE alca = CreateFileA(arquivo, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (alca == INVALID_HANDLE_VALUE) alca = AbreParaLer(arquivo);
    if (alca == INVALID_HANDLE_VALUE) return;
    const auto tranca = [alca](DWORD modo) {
        OVERLAPPED inicio{};
        return LockFileEx(alca, LOCKFILE_EXCLUSIVE_LOCK | modo, 0, 1, 0, &inicio) != 0;
    };
    if (tranca(LOCKFILE_FAIL_IMMEDIATELY)) {
        alca_ = alca;
        return;
    }
    obtida_ = EsperaAte(limite, [tranca] { return tranca(0); }, [alca] { CloseHandle(alca); });
    // Given up, the handle now belongs to the wait.
    if (obtida_) alca_ = alca;
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

bool RemoveArquivo(const char* arquivo) {
    // Deleted while another program holds it open (with delete sharing),
    // a file may stay at its name, pending deletion, until it lets go: only
    // a name that is gone counts.
    DeleteFileA(arquivo);
    if (GetFileAttributesA(arquivo) != INVALID_FILE_ATTRIBUTES) return false;
    const DWORD erro = GetLastError();
    return erro == ERROR_FILE_NOT_FOUND || erro == ERROR_PATH_NOT_FOUND;
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

TravaDePasta::TravaDePasta(const char* arquivo, std::chrono::milliseconds limite) {
    descritor_ = ::open(arquivo, O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666);
    // A lock file another user made, that this one may only read, locks too.
    if (descritor_ < 0) descritor_ = ::open(arquivo, O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (descritor_ < 0) return;
    // flock belongs to the open file, not to the process: two threads or
    // two copies of the link in one process exclude each other as well.
    const int descritor = descritor_;
    if (::flock(descritor, LOCK_EX | LOCK_NB) == 0) return;
    obtida_ = EsperaAte(
        limite,
        [descritor] {
            int resultado;
            while ((resultado = ::flock(descritor, LOCK_EX)) != 0 && errno == EINTR) {
            }
            return resultado == 0;
        },
        [descritor] { ::close(descritor); });
    // Given up, the descriptor now belongs to the wait.
    if (!obtida_) descritor_ = -1;
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

bool RemoveArquivo(const char* arquivo) {
    if (std::remove(arquivo) == 0 || errno == ENOENT) return true;
    struct stat dados {};
    // Gone meanwhile; a folder that cannot even be looked into cannot be
    // trusted either.
    return ::lstat(arquivo, &dados) != 0 && errno == ENOENT;
}

bool EsvaziaArquivo(const char* arquivo) {
    const int descritor = AbreSemEsperar(arquivo, O_WRONLY);
    if (descritor < 0) return false;
    struct stat dados {};
    const bool ok = ::fstat(descritor, &dados) == 0 && S_ISREG(dados.st_mode) && ::ftruncate(descritor, 0) == 0;
    ::close(descritor);
    return ok;
}

#endif

}  // namespace tavorin
