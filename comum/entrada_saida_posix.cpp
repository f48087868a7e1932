#if !defined(_WIN32)

#include "entrada_saida.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

namespace comum {

namespace {

int Modo(Abertura abertura) {
    switch (abertura) {
        case Abertura::Le:
            return O_RDONLY;
        case Abertura::Existente:
            return O_WRONLY;
        case Abertura::Nova:
            return O_WRONLY | O_CREAT | O_EXCL;
        case Abertura::Cria:
            return O_WRONLY | O_CREAT | O_TRUNC;
        case Abertura::Acrescenta:
            return O_WRONLY | O_CREAT | O_APPEND;
        case Abertura::Altera:
            break;
    }
    return O_RDWR | O_CREAT;
}

}  // namespace

Arquivo AbreSemEsperar(const char* caminho, int modo, unsigned permissoes) {
    Arquivo arquivo(::open(caminho, modo | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, static_cast<mode_t>(permissoes)));
    // Open: from here on, reads and writes wait as usual.
    const int estado = arquivo.Aberto() ? ::fcntl(arquivo.Nativa(), F_GETFL) : -1;
    if (estado != -1 && (estado & O_NONBLOCK)) (void)::fcntl(arquivo.Nativa(), F_SETFL, estado & ~O_NONBLOCK);
    return arquivo;
}

Arquivo::Arquivo(Alca alca) : alca_(alca < 0 ? kFechada : alca), erro_(alca < 0 ? errno : 0) {}

Arquivo::Arquivo(const std::filesystem::path& caminho, Abertura abertura)
    : Arquivo(AbreSemEsperar(caminho.c_str(), Modo(abertura))) {}

bool Arquivo::Falhou() {
    erro_ = errno;
    return false;
}

bool Arquivo::Fecha() {
    if (!Aberto()) return true;
    return ::close(Solta()) == 0 || Falhou();
}

bool Arquivo::Regular() const {
    struct stat dados {};
    return Aberto() && ::fstat(alca_, &dados) == 0 && S_ISREG(dados.st_mode);
}

bool Arquivo::Tamanho(uint64_t& tamanho) {
    struct stat dados {};
    if (::fstat(alca_, &dados) != 0) return Falhou();
    tamanho = static_cast<uint64_t>(dados.st_size);
    return true;
}

bool Arquivo::Posiciona(uint64_t posicao) {
    return ::lseek(alca_, static_cast<off_t>(posicao), SEEK_SET) >= 0 || Falhou();
}

bool Arquivo::Corta(uint64_t tamanho) {
    return (::ftruncate(alca_, static_cast<off_t>(tamanho)) == 0 || Falhou()) && Posiciona(tamanho);
}

bool Arquivo::Escreve(const char* bytes, std::size_t tamanho) {
    for (std::size_t feito = 0; feito < tamanho;) {
        const ssize_t n = ::write(alca_, bytes + feito, tamanho - feito);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            // Nothing taken and no error: no room.
            if (n == 0) errno = ENOSPC;
            return Falhou();
        }
        feito += static_cast<std::size_t>(n);
    }
    return true;
}

bool Arquivo::Le(std::string& bytes, std::size_t maximo) {
    bytes.clear();
    while (bytes.size() < maximo) {
        const std::size_t lidos = bytes.size(), parte = std::min<std::size_t>(maximo - lidos, 64 * 1024);
        bytes.resize(lidos + parte);
        const ssize_t n = ::read(alca_, &bytes[lidos], parte);
        bytes.resize(lidos + static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return Falhou();
        if (n == 0) break;
    }
    return true;
}

bool Arquivo::Sincroniza() { return ::fsync(alca_) == 0 || Falhou(); }

SemSigpipe::SemSigpipe() {
    sigemptyset(&sinal_);
    sigaddset(&sinal_, SIGPIPE);
    sigset_t pendentes;
    sigpending(&pendentes);
    jaPendente_ = sigismember(&pendentes, SIGPIPE) == 1;
    pthread_sigmask(SIG_BLOCK, &sinal_, &antes_);
}

SemSigpipe::~SemSigpipe() {
    sigset_t pendentes;
    sigpending(&pendentes);
    const timespec nada{};
    if (!jaPendente_ && sigismember(&pendentes, SIGPIPE) == 1) sigtimedwait(&sinal_, nullptr, &nada);
    pthread_sigmask(SIG_SETMASK, &antes_, nullptr);
}

}  // namespace comum

#endif
