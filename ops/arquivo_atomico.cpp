#include "arquivo_atomico.h"

#include <algorithm>
#include <chrono>
#include <random>

#if defined(_WIN32)
#include "texto_windows.h"

#include <thread>
#else
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tavorin {

namespace {

// Blocks smaller than this are gathered before they reach the system.
constexpr std::size_t kLote = 64 * 1024;

std::string NomeTemporario(const std::string& caminho) {
    static std::mt19937 aleatorio{std::random_device{}()};
    return caminho + "." + std::to_string(aleatorio() % 1000000000u) + ".tmp";
}

}  // namespace

ArquivoAtomico::ArquivoAtomico(std::string caminho) : caminho_(std::move(caminho)) {}

ArquivoAtomico::~ArquivoAtomico() { Descarta(); }

bool ArquivoAtomico::Escreve(const std::string& bytes) {
    pendente_ += bytes;
    return pendente_.size() < kLote || Descarrega();
}

#if defined(_WIN32)

namespace {

// What another program holding the file open (an editor, an antivirus
// scan) gives for a moment; worth waiting out briefly.
bool Passageiro(DWORD codigo) {
    return codigo == ERROR_SHARING_VIOLATION || codigo == ERROR_LOCK_VIOLATION || codigo == ERROR_ACCESS_DENIED;
}

}  // namespace

void ArquivoAtomico::Falhou(int codigo) {
    char* texto = nullptr;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, static_cast<DWORD>(codigo), 0, reinterpret_cast<char*>(&texto), 0, nullptr);
    erro_ = texto ? texto : "erro " + std::to_string(codigo);
    LocalFree(texto);
    while (!erro_.empty() && (erro_.back() == '\n' || erro_.back() == '\r' || erro_.back() == '.')) erro_.pop_back();
}

bool ArquivoAtomico::Abre() {
    Descarta();
    const DWORD atributos = GetFileAttributesW(Largo(caminho_, CP_ACP).c_str());
    if (atributos != INVALID_FILE_ATTRIBUTES && (atributos & FILE_ATTRIBUTE_DIRECTORY)) {
        Falhou(ERROR_DIRECTORY);
        return false;
    }
    for (int tentativa = 0; tentativa < 100; ++tentativa) {
        temporario_ = NomeTemporario(caminho_);
        HANDLE h = CreateFileW(Largo(temporario_, CP_ACP).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            arquivo_ = h;
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS) break;
    }
    Falhou(static_cast<int>(GetLastError()));
    temporario_.clear();
    return false;
}

bool ArquivoAtomico::Descarrega() {
    std::size_t feito = 0;
    while (feito < pendente_.size()) {
        DWORD escrito = 0;
        const DWORD parte = static_cast<DWORD>(std::min<std::size_t>(pendente_.size() - feito, 1u << 20));
        if (!WriteFile(arquivo_, pendente_.data() + feito, parte, &escrito, nullptr) || escrito == 0) {
            Falhou(static_cast<int>(GetLastError()));
            Descarta();
            return false;
        }
        feito += escrito;
    }
    pendente_.clear();
    return true;
}

bool ArquivoAtomico::Conclui() {
    if (!arquivo_ || !Descarrega()) return false;
    const bool duravel = FlushFileBuffers(arquivo_);
    const DWORD erroDuravel = GetLastError();
    CloseHandle(arquivo_);
    arquivo_ = nullptr;
    if (!duravel) {
        Falhou(static_cast<int>(erroDuravel));
        Descarta();
        return false;
    }
    // Replaces an existing file as well. A file that another program holds
    // open cannot be replaced in one step even when it shares deletion: it
    // is then moved aside, the new one put in its place and the old one
    // deleted (it goes when that program lets go of it). Without delete
    // sharing even that fails; it is tried again for about a second, then
    // reported.
    const std::wstring de = Largo(temporario_, CP_ACP), para = Largo(caminho_, CP_ACP);
    for (int tentativa = 0;; ++tentativa) {
        if (MoveFileExW(de.c_str(), para.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            temporario_.clear();
            return true;
        }
        DWORD codigo = GetLastError();
        const std::wstring aParte = Largo(NomeTemporario(caminho_) + ".velho", CP_ACP);
        if (Passageiro(codigo) && MoveFileExW(para.c_str(), aParte.c_str(), MOVEFILE_WRITE_THROUGH)) {
            if (MoveFileExW(de.c_str(), para.c_str(), MOVEFILE_WRITE_THROUGH)) {
                DeleteFileW(aParte.c_str());
                temporario_.clear();
                return true;
            }
            codigo = GetLastError();
            MoveFileExW(aParte.c_str(), para.c_str(), MOVEFILE_WRITE_THROUGH);
        }
        if (!Passageiro(codigo) || tentativa == 20) {
            Falhou(static_cast<int>(codigo));
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    Descarta();
    return false;
}

void ArquivoAtomico::Descarta() {
    pendente_.clear();
    if (arquivo_) CloseHandle(arquivo_);
    arquivo_ = nullptr;
    if (!temporario_.empty()) DeleteFileW(Largo(temporario_, CP_ACP).c_str());
    temporario_.clear();
}

#else

void ArquivoAtomico::Falhou(int codigo) { erro_ = std::strerror(codigo); }

bool ArquivoAtomico::Abre() {
    Descarta();
    // Through a symbolic link the file it points to is replaced, not the link.
    std::string destino = caminho_;
    char real[PATH_MAX];
    struct stat antes;
    const bool existe = lstat(caminho_.c_str(), &antes) == 0;
    if (existe && S_ISLNK(antes.st_mode) && realpath(caminho_.c_str(), real)) destino = real;
    const bool existeDestino = stat(destino.c_str(), &antes) == 0;
    if (existeDestino && S_ISDIR(antes.st_mode)) {
        Falhou(EISDIR);
        return false;
    }
    for (int tentativa = 0; tentativa < 100; ++tentativa) {
        temporario_ = NomeTemporario(destino);
        arquivo_ = open(temporario_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (arquivo_ >= 0) {
            // The new file keeps the old one's permissions.
            if (existeDestino) (void)fchmod(arquivo_, antes.st_mode & 07777);
            destino_ = destino;
            return true;
        }
        if (errno != EEXIST) break;
    }
    Falhou(errno);
    temporario_.clear();
    return false;
}

bool ArquivoAtomico::Descarrega() {
    std::size_t feito = 0;
    while (feito < pendente_.size()) {
        const ssize_t n = write(arquivo_, pendente_.data() + feito, pendente_.size() - feito);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            Falhou(n < 0 ? errno : ENOSPC);
            Descarta();
            return false;
        }
        feito += static_cast<std::size_t>(n);
    }
    pendente_.clear();
    return true;
}

bool ArquivoAtomico::Conclui() {
    if (arquivo_ < 0 || !Descarrega()) return false;
    const bool duravel = fsync(arquivo_) == 0;
    const int erroDuravel = errno;
    const bool fechou = close(arquivo_) == 0;
    arquivo_ = -1;
    if (!duravel || !fechou) {
        Falhou(duravel ? errno : erroDuravel);
        Descarta();
        return false;
    }
    if (rename(temporario_.c_str(), destino_.c_str()) != 0) {
        Falhou(errno);
        Descarta();
        return false;
    }
    temporario_.clear();
    return true;
}

void ArquivoAtomico::Descarta() {
    pendente_.clear();
    if (arquivo_ >= 0) close(arquivo_);
    arquivo_ = -1;
    if (!temporario_.empty()) unlink(temporario_.c_str());
    temporario_.clear();
}

#endif

}  // namespace tavorin
