#if !defined(_WIN32)

#include "arquivo_atomico.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace comum {

namespace fs = std::filesystem;

namespace {

constexpr const char* kProtegido = "arquivo somente para leitura";

// No write permission for anyone, or none for this user: a protection
// that a rename would otherwise walk past (and root past any of it).
bool Protegido(const fs::path& caminho) {
    struct stat dados;
    if (::stat(caminho.c_str(), &dados) != 0 || !S_ISREG(dados.st_mode)) return false;
    return (dados.st_mode & 0222) == 0 || (::access(caminho.c_str(), W_OK) != 0 && errno == EACCES);
}

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

void SincronizaPasta(const fs::path& caminho) {
    fs::path pasta = caminho.parent_path();
    if (pasta.empty()) pasta = ".";
    Arquivo diretorio = AbreSemEsperar(pasta.c_str(), O_RDONLY | O_DIRECTORY);
    if (diretorio.Aberto()) diretorio.Sincroniza();
}

void ArquivoAtomico::Falhou(int codigo) { erro_ = std::strerror(codigo); }

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

bool NomeDeDispositivo(const fs::path&) { return false; }

bool ArquivoAtomico::AbreNoLugar(int descritor) {
    if (descritor >= 0) {
        arquivo_ = Arquivo(::fcntl(descritor, F_DUPFD_CLOEXEC, 0));
        if (!arquivo_.Aberto()) {
            Falhou(arquivo_.Erro());
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
        erro_ = S_ISBLK(dados.st_mode) ? "é um disco, não um arquivo"
                : S_ISSOCK(dados.st_mode) ? "é um socket, não um arquivo"
                                          : "não é um arquivo comum";
        return false;
    }
    // A pipe nobody reads is an error now, not a wait without end.
    arquivo_ = Arquivo(caminho_, Abertura::Existente);
    if (!arquivo_.Aberto()) {
        if (arquivo_.Erro() == ENXIO && S_ISFIFO(dados.st_mode))
            erro_ = "nenhum programa lê o pipe";
        else
            Falhou(arquivo_.Erro());
        return false;
    }
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
    destino_ = Alvo(caminho_);
    struct stat alvo;
    if (existeDestino &&
        (::stat(destino_.c_str(), &alvo) != 0 || alvo.st_dev != antes.st_dev || alvo.st_ino != antes.st_ino)) {
        erro_ = "o caminho não leva a um arquivo com nome";
        return false;
    }
    if (existeDestino && Protegido(destino_)) {
        erro_ = kProtegido;
        return false;
    }
    if (!CriaTemporario()) return false;
    // The new file keeps the old one's permissions.
    if (existeDestino) (void)::fchmod(arquivo_.Nativa(), antes.st_mode & 07777);
    return true;
}

bool ArquivoAtomico::Conclui() {
    if (const std::optional<bool> feito = AntesDeTrocar()) return *feito;
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
    arquivo_.Fecha();
    // The new name must reach the disk too, or a crash could bring back
    // the old file after the caller was told the new one was kept.
    if (duravel_) SincronizaPasta(destino_);
    return true;
}

}  // namespace comum

#endif
