#include "arquivo_atomico.h"

#include <algorithm>
#include <optional>
#include <random>
#include <system_error>

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <pthread.h>
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
constexpr const char* kDisco = "é um disco, não um arquivo";

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
    // A device or a pipe gets it all at the end: nothing of a write given up.
    return noLugar_ || pendente_.size() < kLote || Descarrega();
}

bool GravaAtomico(const fs::path& caminho, const std::string& bytes, bool duravel) {
    ArquivoAtomico arquivo(caminho, duravel);
    return arquivo.Abre() && arquivo.Escreve(bytes) && arquivo.Conclui();
}

namespace {

// Each regular file of the temporary naming beside `caminho`.
template <typename F>
void ParaCadaTemporario(const fs::path& arquivo, F faz) {
    // Beside the file a link leads to, where the writer puts them.
    const fs::path caminho = Alvo(arquivo);
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

// Its own device names (NUL, CON, COM1, in any folder, on older versions
// with any extension too) and the \\.\ names (pipes, ports, disks), all of
// which the system spells \\.\ in full.
bool NomeDeDispositivo(const fs::path& caminho) {
    std::wstring completo(GetFullPathNameW(caminho.c_str(), 0, nullptr, nullptr), L'\0');
    if (completo.empty()) return false;
    completo.resize(GetFullPathNameW(caminho.c_str(), static_cast<DWORD>(completo.size()), completo.data(), nullptr));
    return completo.compare(0, 4, L"\\\\.\\") == 0;
}

namespace {

// The final path of an open file, links followed ("\\?\C:\..."), or none.
fs::path CaminhoFinal(HANDLE arquivo) {
    std::wstring nome(GetFinalPathNameByHandleW(arquivo, nullptr, 0, VOLUME_NAME_DOS), L'\0');
    if (nome.empty()) return {};
    nome.resize(GetFinalPathNameByHandleW(arquivo, nome.data(), static_cast<DWORD>(nome.size()), VOLUME_NAME_DOS));
    return nome;
}

// Through a reparse point (a symbolic link), the file it leads to; the
// system's error when it leads nowhere.
fs::path SegueLigacao(const fs::path& caminho, DWORD& erro) {
    erro = ERROR_SUCCESS;
    const DWORD atributos = GetFileAttributesW(caminho.c_str());
    if (atributos == INVALID_FILE_ATTRIBUTES || !(atributos & FILE_ATTRIBUTE_REPARSE_POINT)) return caminho;
    // Opened without FILE_FLAG_OPEN_REPARSE_POINT: the file it leads to.
    HANDLE arquivo = CreateFileW(caminho.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (arquivo == INVALID_HANDLE_VALUE) {
        erro = GetLastError();
        return caminho;
    }
    const fs::path nome = CaminhoFinal(arquivo);
    erro = nome.empty() ? GetLastError() : ERROR_SUCCESS;
    CloseHandle(arquivo);
    return nome.empty() ? caminho : nome;
}

}  // namespace

fs::path Alvo(const fs::path& caminho) {
    DWORD erro;
    return SegueLigacao(caminho, erro);
}

bool ArquivoAtomico::AbreNoLugar(int) {
    HANDLE h = CreateFileW(caminho_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        Falhou(static_cast<int>(GetLastError()));
        return false;
    }
    const DWORD tipo = GetFileType(h);
    if (tipo != FILE_TYPE_CHAR && tipo != FILE_TYPE_PIPE) {
        CloseHandle(h);
        erro_ = kDisco;
        return false;
    }
    arquivo_ = h;
    noLugar_ = true;
    destino_ = caminho_;
    return true;
}

bool ArquivoAtomico::Abre() {
    Descarta();
    if (NomeDeDispositivo(caminho_)) return AbreNoLugar(-1);
    // Through a symbolic link the file it leads to is replaced, not the
    // link; a link that leads nowhere is not replaced either.
    DWORD erroLigacao;
    const fs::path destino = SegueLigacao(caminho_, erroLigacao);
    if (erroLigacao != ERROR_SUCCESS) {
        Falhou(static_cast<int>(erroLigacao));
        return false;
    }
    const DWORD atributos = GetFileAttributesW(destino.c_str());
    if (atributos != INVALID_FILE_ATTRIBUTES && (atributos & FILE_ATTRIBUTE_DIRECTORY)) {
        Falhou(ERROR_DIRECTORY);
        return false;
    }
    // A read-only file is one its owner asked to keep.
    if (atributos != INVALID_FILE_ATTRIBUTES && (atributos & FILE_ATTRIBUTE_READONLY)) {
        erro_ = kProtegido;
        return false;
    }
    destino_ = destino;
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
    if (noLugar_) {
        CloseHandle(arquivo_);
        arquivo_ = nullptr;
        noLugar_ = false;
        return true;
    }
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
    noLugar_ = false;
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

// A pipe whose reader has gone fails the write (EPIPE) instead of ending
// the program: SIGPIPE is held back on this thread while it writes, and
// one it raised is taken away before it is let through again.
class SemSigpipe {
public:
    SemSigpipe() {
        sigemptyset(&sinal_);
        sigaddset(&sinal_, SIGPIPE);
        sigset_t pendentes;
        sigpending(&pendentes);
        jaPendente_ = sigismember(&pendentes, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &sinal_, &antes_);
    }
    ~SemSigpipe() {
        sigset_t pendentes;
        sigpending(&pendentes);
        const timespec nada{};
        if (!jaPendente_ && sigismember(&pendentes, SIGPIPE) == 1) sigtimedwait(&sinal_, nullptr, &nada);
        pthread_sigmask(SIG_SETMASK, &antes_, nullptr);
    }
    SemSigpipe(const SemSigpipe&) = delete;
    SemSigpipe& operator=(const SemSigpipe&) = delete;

private:
    sigset_t sinal_, antes_;
    bool jaPendente_ = false;
};

}  // namespace

fs::path Alvo(const fs::path& caminho) {
    fs::path atual = caminho;
    // Link by link, a relative one from its own folder; a loop stays a
    // link, and opening through it fails.
    for (int passo = 0; passo < 40; ++passo) {
        std::error_code erro;
        if (fs::symlink_status(atual, erro).type() != fs::file_type::symlink) break;
        const fs::path alvo = fs::read_symlink(atual, erro);
        if (erro) break;
        atual = alvo.is_absolute() ? alvo : atual.parent_path() / alvo;
    }
    return atual;
}

namespace {

// The descriptor of this process that `caminho` names through its links
// (/dev/stdout, /dev/fd/N, /proc/self/fd/N), or -1. Opening such a name
// anew would start at its beginning, or replace the file behind it (a
// log appended to would lose what it held): it is written through the
// descriptor itself instead, where it stands.
int Descritor(fs::path caminho) {
    const fs::path propria = "/proc/" + std::to_string(::getpid()) + "/fd";
    for (int passo = 0; passo < 40; ++passo) {
        std::error_code erro;
        const fs::path pasta = fs::canonical(caminho.has_parent_path() ? caminho.parent_path() : ".", erro);
        const std::string nome = caminho.filename().string();
        if (!erro && pasta == propria && !nome.empty() && nome.find_first_not_of("0123456789") == std::string::npos)
            return nome.size() < 9 ? std::stoi(nome) : -1;
        if (fs::symlink_status(caminho, erro).type() != fs::file_type::symlink) break;
        const fs::path alvo = fs::read_symlink(caminho, erro);
        if (erro) break;
        caminho = alvo.is_absolute() ? alvo : caminho.parent_path() / alvo;
    }
    return -1;
}

}  // namespace

bool NomeDeDispositivo(const fs::path&) { return false; }

bool ArquivoAtomico::AbreNoLugar(int descritor) {
    if (descritor >= 0) {
        arquivo_ = ::fcntl(descritor, F_DUPFD_CLOEXEC, 0);
        if (arquivo_ < 0) {
            Falhou(errno);
            return false;
        }
        noLugar_ = true;
        destino_ = caminho_;
        return true;
    }
    struct stat dados;
    if (::stat(caminho_.c_str(), &dados) != 0) {
        Falhou(errno);
        return false;
    }
    if (S_ISDIR(dados.st_mode)) {
        Falhou(EISDIR);
        return false;
    }
    if (!S_ISCHR(dados.st_mode) && !S_ISFIFO(dados.st_mode)) {
        erro_ = S_ISBLK(dados.st_mode) ? kDisco : S_ISSOCK(dados.st_mode) ? "é um socket, não um arquivo"
                                                                             : "não é um arquivo comum";
        return false;
    }
    // A pipe nobody reads is an error now, not a wait without end.
    arquivo_ = ::open(caminho_.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (arquivo_ < 0) {
        if (errno == ENXIO && S_ISFIFO(dados.st_mode))
            erro_ = "nenhum programa lê o pipe";
        else
            Falhou(errno);
        return false;
    }
    const int estado = ::fcntl(arquivo_, F_GETFL);
    if (estado != -1) (void)::fcntl(arquivo_, F_SETFL, estado & ~O_NONBLOCK);
    noLugar_ = true;
    destino_ = caminho_;
    return true;
}

bool ArquivoAtomico::Abre() {
    Descarta();
    struct stat antes;
    const bool existeDestino = ::stat(caminho_.c_str(), &antes) == 0;
    // A loop of links, a folder that cannot be searched: nothing to write.
    if (!existeDestino && errno != ENOENT) {
        Falhou(errno);
        return false;
    }
    // Every name of a descriptor is a link (/dev/fd/N through its folder).
    struct stat proprio;
    const bool ligacao = ::lstat(caminho_.c_str(), &proprio) == 0 && S_ISLNK(proprio.st_mode);
    const int descritor = ligacao ? Descritor(caminho_) : -1;
    if (existeDestino && (!S_ISREG(antes.st_mode) || descritor >= 0)) return AbreNoLugar(descritor);
    // Through a symbolic link the file it leads to is replaced, not the
    // link, and the temporary file goes beside it. A name the links do
    // not reach (another process's descriptor in /proc, of a file since
    // deleted) has no file to put in place.
    const fs::path destino = Alvo(caminho_);
    struct stat alvo;
    if (existeDestino &&
        (::stat(destino.c_str(), &alvo) != 0 || alvo.st_dev != antes.st_dev || alvo.st_ino != antes.st_ino)) {
        erro_ = "o caminho não leva a um arquivo com nome";
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
    std::optional<SemSigpipe> semSigpipe;
    if (noLugar_) semSigpipe.emplace();
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
    if (noLugar_) {
        ::close(arquivo_);
        arquivo_ = -1;
        noLugar_ = false;
        return true;
    }
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
    noLugar_ = false;
    if (arquivo_ >= 0) ::close(arquivo_);
    arquivo_ = -1;
    if (!temporario_.empty()) ::unlink(temporario_.c_str());
    temporario_.clear();
}

#endif

}  // namespace comum
