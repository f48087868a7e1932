#include "arquivo_atomico.h"

#include "conversao.h"
#include "trava.h"

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
#endif

namespace comum {

namespace fs = std::filesystem;

namespace {

// Blocks smaller than this are gathered before they reach the system.
constexpr std::size_t kLote = 64 * 1024;
constexpr const char* kSufixo = ".tmp";

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

// Held by its writer from the moment it is made, and never opened again by
// a writer once let go: one free to take is one whose writer has died.
Trava TravaDoTemporario(const fs::path& temporario, Trava::Abertura abertura) {
    return Trava(temporario, std::chrono::milliseconds(0), {}, abertura, Trava::Forma::SemPartilha);
}

}  // namespace

// "<final name>.<digits>.tmp": the one pattern RemoveAbandonados knows.
fs::path ArquivoAtomico::NomeTemporario(const fs::path& destino) {
    thread_local std::mt19937 aleatorio{std::random_device{}()};
    fs::path nome = destino;
    nome += "." + std::to_string(aleatorio() % 1000000000u) + kSufixo;
    return nome;
}

ArquivoAtomico::ArquivoAtomico(fs::path caminho, bool duravel) : caminho_(std::move(caminho)), duravel_(duravel) {}

ArquivoAtomico::~ArquivoAtomico() { Descarta(); }

bool ArquivoAtomico::CriaTemporario() {
#if defined(_WIN32)
    constexpr int kExiste = ERROR_FILE_EXISTS;
#else
    constexpr int kExiste = EEXIST;
#endif
    int codigo = kExiste;
    for (int tentativa = 0; tentativa < 100 && codigo == kExiste; ++tentativa) {
        temporario_ = NomeTemporario(destino_);
        Trava trava = TravaDoTemporario(temporario_, Trava::Abertura::Nova);
        if (trava.Obtida()) {
            arquivo_ = trava.TomaArquivo();
            return true;
        }
        // Held by a clean-up the moment it was made, which removes it: as
        // if the name had been taken.
        if (trava.Situacao() != Trava::Estado::Ocupada) codigo = trava.Erro();
    }
    Falhou(codigo);
    temporario_.clear();
    return false;
}

bool ArquivoAtomico::Escreve(const std::string& bytes) {
    pendente_ += bytes;
    // A device or a pipe gets it all at the end: nothing of a write given up.
    return noLugar_ || pendente_.size() < kLote || Descarrega();
}

bool ArquivoAtomico::Descarrega() {
#if !defined(_WIN32)
    std::optional<SemSigpipe> semSigpipe;
    if (noLugar_) semSigpipe.emplace();
#endif
    if (!arquivo_.Escreve(pendente_)) {
        Falhou(arquivo_.Erro());
        Descarta();
        return false;
    }
    pendente_.clear();
    return true;
}

std::optional<bool> ArquivoAtomico::AntesDeTrocar() {
    if (!arquivo_.Aberto() || !Descarrega()) return false;
    if (noLugar_) {
        arquivo_.Fecha();
        noLugar_ = false;
        return true;
    }
    if (duravel_ && !arquivo_.Sincroniza()) {
        Falhou(arquivo_.Erro());
        Descarta();
        return false;
    }
    return std::nullopt;
}

void ArquivoAtomico::Descarta() {
    pendente_.clear();
    noLugar_ = false;
    arquivo_.Fecha();
    std::error_code erro;
    if (!temporario_.empty()) fs::remove(temporario_, erro);
    temporario_.clear();
}

bool GravaAtomico(const fs::path& caminho, const std::string& bytes, bool duravel) {
    ArquivoAtomico arquivo(caminho, duravel);
    return arquivo.Abre() && arquivo.Escreve(bytes) && arquivo.Conclui();
}

std::string GravaTexto(const fs::path& caminho, const std::string& texto) {
    std::string bytes;
#if defined(_WIN32)
    for (char c : texto) bytes += c == '\n' ? std::string("\r\n") : std::string(1, c);
#else
    bytes = texto;
#endif
    ArquivoAtomico arquivo(caminho);
    if (arquivo.Abre() && arquivo.Escreve(bytes) && arquivo.Conclui()) return {};
#if defined(_WIN32)
    // The system's messages come in the ANSI code page.
    return tavorin::Utf8DoDriver(arquivo.Erro());
#else
    return arquivo.Erro();
#endif
}

void RemoveAbandonados(const fs::path& caminho) {
    ParaCadaTemporario(caminho, [](const fs::path& temporario) {
        // Let go before it is removed (held without sharing, Windows would
        // refuse): no writer takes a name again, so nothing can come of it.
        if (!TravaDoTemporario(temporario, Trava::Abertura::Existente).Obtida()) return;
        std::error_code erro;
        fs::remove(temporario, erro);
    });
}

}  // namespace comum
