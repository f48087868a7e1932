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
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
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

// "<name>.<digits>.tmp": one of NomeTemporario's names for `nome`.
bool TemporarioDe(const std::string& candidato, const std::string& nome) {
    const std::string sufixo = ".tmp";
    if (candidato.size() <= nome.size() + 1 + sufixo.size() || candidato.compare(0, nome.size(), nome) != 0 ||
        candidato[nome.size()] != '.' ||
        candidato.compare(candidato.size() - sufixo.size(), sufixo.size(), sufixo) != 0)
        return false;
    for (std::size_t i = nome.size() + 1; i < candidato.size() - sufixo.size(); ++i)
        if (candidato[i] < '0' || candidato[i] > '9') return false;
    return true;
}

const char* const kProtegido = "o arquivo está protegido contra gravação";

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

namespace {

// Temporary files of the same target that a killed program left: one
// still being written is open without sharing and cannot be deleted.
void RemoveAbandonados(const std::string& caminho) {
    const std::size_t barra = caminho.find_last_of("\\/");
    const std::string pasta = barra == std::string::npos ? std::string() : caminho.substr(0, barra + 1);
    const std::string nome = caminho.substr(barra == std::string::npos ? 0 : barra + 1);
    WIN32_FIND_DATAW achado;
    HANDLE busca = FindFirstFileW(Largo(caminho + ".*.tmp", CP_ACP).c_str(), &achado);
    if (busca == INVALID_HANDLE_VALUE) return;
    do {
        const std::string candidato = Estreito(achado.cFileName, CP_ACP);
        if (!(achado.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) &&
            TemporarioDe(candidato, nome))
            DeleteFileW(Largo(pasta + candidato, CP_ACP).c_str());
    } while (FindNextFileW(busca, &achado));
    FindClose(busca);
}

bool Protegido(const std::string& caminho) {
    const DWORD atributos = GetFileAttributesW(Largo(caminho, CP_ACP).c_str());
    return atributos != INVALID_FILE_ATTRIBUTES && (atributos & FILE_ATTRIBUTE_READONLY);
}

}  // namespace

bool ArquivoAtomico::Abre() {
    Descarta();
    const DWORD atributos = GetFileAttributesW(Largo(caminho_, CP_ACP).c_str());
    if (atributos != INVALID_FILE_ATTRIBUTES && (atributos & FILE_ATTRIBUTE_DIRECTORY)) {
        Falhou(ERROR_DIRECTORY);
        return false;
    }
    // A read-only file is one its owner asked to keep.
    if (Protegido(caminho_)) {
        erro_ = kProtegido;
        return false;
    }
    RemoveAbandonados(caminho_);
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
    if (Protegido(caminho_)) {
        erro_ = kProtegido;
        Descarta();
        return false;
    }
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

namespace {

// Temporary files of the same target that a killed program left. The
// program writing one holds a lock on it, which dies with the program:
// a file whose lock can be taken is abandoned.
void RemoveAbandonados(const std::string& caminho) {
    const std::size_t barra = caminho.find_last_of('/');
    const std::string pasta = barra == std::string::npos ? "." : caminho.substr(0, barra + 1);
    const std::string nome = caminho.substr(barra == std::string::npos ? 0 : barra + 1);
    DIR* diretorio = opendir(pasta.c_str());
    if (!diretorio) return;
    while (const dirent* entrada = readdir(diretorio)) {
        if (!TemporarioDe(entrada->d_name, nome)) continue;
        const std::string candidato = (barra == std::string::npos ? std::string() : pasta) + entrada->d_name;
        const int descritor = open(candidato.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (descritor < 0) continue;
        struct stat dados;
        if (fstat(descritor, &dados) == 0 && S_ISREG(dados.st_mode) && flock(descritor, LOCK_EX | LOCK_NB) == 0)
            unlink(candidato.c_str());
        close(descritor);
    }
    closedir(diretorio);
}

// No write permission for anyone, or none for this user: a protection
// that a rename would otherwise walk past (and root past any of it).
bool Protegido(const std::string& caminho) {
    struct stat dados;
    if (stat(caminho.c_str(), &dados) != 0 || !S_ISREG(dados.st_mode)) return false;
    return (dados.st_mode & 0222) == 0 || (access(caminho.c_str(), W_OK) != 0 && errno == EACCES);
}

}  // namespace

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
    if (Protegido(destino)) {
        erro_ = kProtegido;
        return false;
    }
    RemoveAbandonados(destino);
    for (int tentativa = 0; tentativa < 100; ++tentativa) {
        temporario_ = NomeTemporario(destino);
        arquivo_ = open(temporario_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (arquivo_ >= 0) {
            // Held while it is written; see RemoveAbandonados.
            (void)flock(arquivo_, LOCK_EX | LOCK_NB);
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
    if (fsync(arquivo_) != 0) {
        Falhou(errno);
        Descarta();
        return false;
    }
    if (Protegido(destino_)) {
        erro_ = kProtegido;
        Descarta();
        return false;
    }
    // Renamed while still open, so its lock keeps another program's
    // clean-up away until it has its final name.
    if (rename(temporario_.c_str(), destino_.c_str()) != 0) {
        Falhou(errno);
        Descarta();
        return false;
    }
    temporario_.clear();
    close(arquivo_);
    arquivo_ = -1;
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
