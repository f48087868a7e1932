#include "arquivo_atomico.h"

#include <algorithm>
#include <random>
#include <system_error>

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace comum {

namespace fs = std::filesystem;

namespace {

// Blocks smaller than this are gathered before they reach the system.
constexpr std::size_t kLote = 64 * 1024;
constexpr const char* kSufixo = ".tmp";
constexpr const char* kProtegido = "arquivo somente para leitura";

// "<final name>.<digits>.tmp": the one pattern RemoveTemporarios knows.
fs::path NomeTemporario(const fs::path& caminho) {
    thread_local std::mt19937 aleatorio{std::random_device{}()};
    fs::path nome = caminho;
    nome += "." + std::to_string(aleatorio() % 1000000000u) + kSufixo;
    return nome;
}

}  // namespace

ArquivoAtomico::ArquivoAtomico(fs::path caminho, bool duravel) : caminho_(std::move(caminho)), duravel_(duravel) {}

ArquivoAtomico::~ArquivoAtomico() { Descarta(); }

bool ArquivoAtomico::Escreve(const std::string& bytes) {
    pendente_ += bytes;
    return pendente_.size() < kLote || Descarrega();
}

bool GravaAtomico(const fs::path& caminho, const std::string& bytes, bool duravel) {
    ArquivoAtomico arquivo(caminho, duravel);
    return arquivo.Abre() && arquivo.Escreve(bytes) && arquivo.Conclui();
}

namespace {

// Each regular file of the temporary naming beside `caminho`.
template <typename F>
void ParaCadaTemporario(const fs::path& caminho, F faz) {
    const std::string prefixo = caminho.filename().string() + ".", sufixo = kSufixo;
    fs::path pasta = caminho.parent_path();
    if (pasta.empty()) pasta = ".";
    std::error_code erro;
    for (fs::directory_iterator i(pasta, erro), fim; !erro && i != fim; i.increment(erro)) {
        const std::string nome = i->path().filename().string();
        if (nome.size() <= prefixo.size() + sufixo.size() || nome.compare(0, prefixo.size(), prefixo) != 0 ||
            nome.compare(nome.size() - sufixo.size(), sufixo.size(), sufixo) != 0)
            continue;
        bool numero = true;
        for (std::size_t k = prefixo.size(); k < nome.size() - sufixo.size(); ++k)
            numero = numero && nome[k] >= '0' && nome[k] <= '9';
        std::error_code outro;
        if (numero && fs::symlink_status(i->path(), outro).type() == fs::file_type::regular) faz(i->path());
    }
}

}  // namespace

void RemoveTemporarios(const fs::path& caminho) {
    ParaCadaTemporario(caminho, [](const fs::path& temporario) {
        std::error_code erro;
        fs::remove(temporario, erro);
    });
}

void RemoveAbandonados(const fs::path& caminho) {
    ParaCadaTemporario(caminho, [](const fs::path& temporario) {
#if defined(_WIN32)
        // Its writer has it open without sharing: deleting it fails then.
        DeleteFileW(temporario.c_str());
#else
        // Its writer holds a lock on it, which dies with the writer.
        const int descritor = ::open(temporario.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (descritor < 0) return;
        if (::flock(descritor, LOCK_EX | LOCK_NB) == 0) ::unlink(temporario.c_str());
        ::close(descritor);
#endif
    });
}

#if defined(_WIN32)

namespace {

// What another program holding the file open (an editor, an antivirus
// scan) gives for a moment; worth waiting out briefly.
bool Passageiro(DWORD codigo) {
    return codigo == ERROR_SHARING_VIOLATION || codigo == ERROR_LOCK_VIOLATION || codigo == ERROR_ACCESS_DENIED;
}

constexpr int kTentativas = 20;  // 50 ms apart: about a second

}  // namespace

void SincronizaPasta(const fs::path&) {}

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
    const DWORD atributos = GetFileAttributesW(caminho_.c_str());
    if (atributos != INVALID_FILE_ATTRIBUTES && (atributos & FILE_ATTRIBUTE_DIRECTORY)) {
        Falhou(ERROR_DIRECTORY);
        return false;
    }
    // A read-only file is one its owner asked to keep.
    if (atributos != INVALID_FILE_ATTRIBUTES && (atributos & FILE_ATTRIBUTE_READONLY)) {
        erro_ = kProtegido;
        return false;
    }
    destino_ = caminho_;
    for (int tentativa = 0; tentativa < 100; ++tentativa) {
        temporario_ = NomeTemporario(destino_);
        HANDLE h = CreateFileW(temporario_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                               nullptr);
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
    const bool duravel = !duravel_ || FlushFileBuffers(arquivo_);
    const DWORD erroDuravel = GetLastError();
    CloseHandle(arquivo_);
    arquivo_ = nullptr;
    if (!duravel) {
        Falhou(static_cast<int>(erroDuravel));
        Descarta();
        return false;
    }
    const std::wstring de = temporario_.wstring(), para = destino_.wstring();
    // A read-only file stays: Windows itself refuses to replace it, and
    // moving it aside would leave it where its owner did not put it.
    const DWORD atributos = GetFileAttributesW(para.c_str());
    if (atributos != INVALID_FILE_ATTRIBUTES && (atributos & FILE_ATTRIBUTE_READONLY)) {
        erro_ = kProtegido;
        Descarta();
        return false;
    }
    const DWORD atraves = duravel_ ? MOVEFILE_WRITE_THROUGH : 0;
    // A file that another program holds open cannot be replaced in one
    // step even when it shares deletion: it is then moved aside under a
    // temporary name, the new one put in its place and the old one deleted
    // (it goes when that program lets go of it). Without delete sharing
    // even that fails; it is tried again for about a second, then reported.
    for (int tentativa = 0;; ++tentativa) {
        if (MoveFileExW(de.c_str(), para.c_str(), MOVEFILE_REPLACE_EXISTING | atraves)) {
            temporario_.clear();
            return true;
        }
        DWORD codigo = GetLastError();
        const std::wstring aParte = NomeTemporario(destino_).wstring();
        if (Passageiro(codigo) && MoveFileExW(para.c_str(), aParte.c_str(), atraves)) {
            bool novo = MoveFileExW(de.c_str(), para.c_str(), atraves) != 0;
            codigo = GetLastError();
            // The final name is never left empty: the old file goes back,
            // or, should that keep failing, the new one takes the name.
            for (int volta = 1; !novo && !MoveFileExW(aParte.c_str(), para.c_str(), atraves); ++volta) {
                if (volta % kTentativas == 0) novo = MoveFileExW(de.c_str(), para.c_str(), atraves) != 0;
                if (volta == 10 * kTentativas) break;
                if (!novo) Sleep(50);
            }
            if (novo) {
                DeleteFileW(aParte.c_str());
                temporario_.clear();
                return true;
            }
        }
        if (!Passageiro(codigo) || tentativa == kTentativas) {
            Falhou(static_cast<int>(codigo));
            break;
        }
        Sleep(50);
    }
    Descarta();
    return false;
}

void ArquivoAtomico::Descarta() {
    pendente_.clear();
    if (arquivo_) CloseHandle(arquivo_);
    arquivo_ = nullptr;
    if (!temporario_.empty()) DeleteFileW(temporario_.c_str());
    temporario_.clear();
}

#else

void SincronizaPasta(const fs::path& caminho) {
    fs::path pasta = caminho.parent_path();
    if (pasta.empty()) pasta = ".";
    const int diretorio = ::open(pasta.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (diretorio >= 0) {
        ::fsync(diretorio);
        ::close(diretorio);
    }
}

void ArquivoAtomico::Falhou(int codigo) { erro_ = std::strerror(codigo); }

namespace {

// No write permission for anyone, or none for this user: a protection
// that a rename would otherwise walk past (and root past any of it).
bool Protegido(const fs::path& caminho) {
    struct stat dados;
    if (::stat(caminho.c_str(), &dados) != 0 || !S_ISREG(dados.st_mode)) return false;
    return (dados.st_mode & 0222) == 0 || (::access(caminho.c_str(), W_OK) != 0 && errno == EACCES);
}

}  // namespace

bool ArquivoAtomico::Abre() {
    Descarta();
    // Through a symbolic link the file it points to is replaced, not the link.
    fs::path destino = caminho_;
    struct stat antes;
    if (lstat(caminho_.c_str(), &antes) == 0 && S_ISLNK(antes.st_mode)) {
        std::error_code erro;
        const fs::path real = fs::canonical(caminho_, erro);
        if (!erro) destino = real;
    }
    const bool existeDestino = stat(destino.c_str(), &antes) == 0;
    if (existeDestino && S_ISDIR(antes.st_mode)) {
        Falhou(EISDIR);
        return false;
    }
    if (existeDestino && Protegido(destino)) {
        erro_ = kProtegido;
        return false;
    }
    for (int tentativa = 0; tentativa < 100; ++tentativa) {
        temporario_ = NomeTemporario(destino);
        arquivo_ = ::open(temporario_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (arquivo_ >= 0) {
            // Held while it is written; see RemoveAbandonados.
            (void)::flock(arquivo_, LOCK_EX | LOCK_NB);
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
        const ssize_t n = ::write(arquivo_, pendente_.data() + feito, pendente_.size() - feito);
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
    if (duravel_ && ::fsync(arquivo_) != 0) {
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
    if (::rename(temporario_.c_str(), destino_.c_str()) != 0) {
        Falhou(errno);
        Descarta();
        return false;
    }
    temporario_.clear();
    ::close(arquivo_);
    arquivo_ = -1;
    // The new name must reach the disk too, or a crash could bring back
    // the old file after the caller was told the new one was kept.
    if (duravel_) SincronizaPasta(destino_);
    return true;
}

void ArquivoAtomico::Descarta() {
    pendente_.clear();
    if (arquivo_ >= 0) ::close(arquivo_);
    arquivo_ = -1;
    if (!temporario_.empty()) ::unlink(temporario_.c_str());
    temporario_.clear();
}

#endif

}  // namespace comum
