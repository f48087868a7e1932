// The state's files in a printer folder: loaded, saved, and the position
// of a reading kept beside them.
#include "estado.h"

#include <sstream>
#include <system_error>

#include "arquivo.h"
#include "arquivo_atomico.h"
#include "estado_regras.h"

namespace zubsim {

namespace fs = std::filesystem;

namespace {

// 0 for a missing file.
uint64_t Tamanho(const fs::path& arquivo) {
    std::error_code erro;
    const auto tamanho = fs::file_size(arquivo, erro);
    return erro ? 0 : tamanho;
}

}  // namespace

Carga CarregaEstado(const fs::path& pasta, Gravado& gravado) {
    std::string texto;
    switch (LeArquivo(pasta / kArquivoEstado, texto)) {
        case Leitura::Ausente: {
            // A new printer has no fiscal memory yet. One that has records
            // but lost its state (or whose state is a link to nothing) is
            // damaged: starting afresh would cut the fiscal memory at the
            // first Redução Z.
            std::error_code erro;
            const fs::file_type estado = fs::symlink_status(pasta / kArquivoEstado, erro).type();
            const fs::file_type memoria = fs::symlink_status(pasta / kArquivoMemoria, erro).type();
            const bool semMemoria = memoria == fs::file_type::not_found ||
                                    (memoria == fs::file_type::regular && Tamanho(pasta / kArquivoMemoria) == 0);
            if (estado != fs::file_type::not_found || !semMemoria) return Carga::Ilegivel;
            gravado = Gravado{};
            return Carga::Nova;
        }
        case Leitura::Falhou:
            return Carga::Ilegivel;
        case Leitura::Lido:
            break;
    }
    // Unchanged since this process last saw it: the fiscal memory behind
    // it is the one already in memory.
    // (A fiscal memory file cut meanwhile is read again and refused.)
    if (!gravado.texto.empty() && texto == gravado.texto && Tamanho(pasta / kArquivoMemoria) == gravado.tamanhoMemoria)
        return Carga::Lida;
    Gravado lido;
    if (!Interpreta(texto, lido.estado, lido.memoria)) return Carga::Ilegivel;
    std::string memoria;
    const bool temMemoria = lido.memoria.registros > 0 || lido.memoria.bytes > 0;
    if ((temMemoria && LeArquivo(pasta / kArquivoMemoria, memoria) != Leitura::Lido) ||
        !InterpretaMemoria(memoria, lido.memoria, lido.estado))
        return Carga::Ilegivel;
    lido.texto = std::move(texto);
    lido.tamanhoMemoria = Tamanho(pasta / kArquivoMemoria);
    gravado = std::move(lido);
    return Carga::Lida;
}

namespace {

// "leitura=tipo inicio fim proximo emissao", padded to one length so that
// each rewrite covers the last.
constexpr std::size_t kTamanhoPosicao = 80;

std::string TextoDaPosicao(const LeituraEmCurso& l) {
    std::string texto = "leitura=" + Junta({l.tipo, l.inicio, l.fim, l.proximo, l.emissao});
    texto.resize(kTamanhoPosicao - 1, ' ');
    return texto + '\n';
}

}  // namespace

int PosicaoGuardada(const fs::path& pasta, const LeituraEmCurso& leitura) {
    // Read at every command while a reading goes on: no more than its one
    // length and a byte, to tell a longer one.
    comum::Arquivo arquivo(pasta / kArquivoLeitura, comum::Abertura::Le);
    std::string texto;
    if (!arquivo.Regular() || !arquivo.Le(texto, kTamanhoPosicao + 1) || texto.size() != kTamanhoPosicao) return -1;
    std::istringstream campos(texto.substr(8));
    LeituraEmCurso guardada;
    if (texto.compare(0, 8, "leitura=") != 0 ||
        !(campos >> guardada.tipo >> guardada.inicio >> guardada.fim >> guardada.proximo >> guardada.emissao))
        return -1;
    const bool mesma = guardada.tipo == leitura.tipo && guardada.inicio == leitura.inicio &&
                       guardada.fim == leitura.fim && guardada.emissao == leitura.emissao;
    return mesma && Entre(guardada.proximo, 0, 1000000) ? guardada.proximo : -1;
}

bool GuardaPosicao(const fs::path& pasta, const LeituraEmCurso& leitura) {
    return SobrescreveNoLugar(pasta / kArquivoLeitura, TextoDaPosicao(leitura));
}

bool SalvaEstado(const fs::path& pasta, bool duravel, Gravado& gravado) {
    const Estado& estado = gravado.estado;
    std::error_code erro;
    fs::create_directories(pasta, erro);
    // What a process killed while saving left behind.
    comum::RemoveAbandonados(pasta / kArquivoEstado);
    Memoria memoria = gravado.memoria;
    if (estado.reducoes.size() != memoria.registros) {
        // The fiscal memory only grows: the new records go after the bytes
        // the state vouches for (dropping what an interrupted save left).
        if (estado.reducoes.size() < memoria.registros) return false;
        std::string novos;
        for (std::size_t i = memoria.registros; i < estado.reducoes.size(); ++i)
            novos += LinhaDeReducao(estado.reducoes[i]);
        if (!AcrescentaDuravel(pasta / kArquivoMemoria, memoria.bytes, novos)) return false;
        memoria = Memoria{estado.reducoes.size(), memoria.bytes + novos.size(),
                          Crc(memoria.crc, novos.data(), novos.size())};
    }
    std::string texto = Serializa(estado, memoria);
    if (!comum::GravaAtomico(pasta / kArquivoEstado, texto, duravel)) return false;
    gravado.texto = std::move(texto);
    gravado.memoria = memoria;
    gravado.tamanhoMemoria = Tamanho(pasta / kArquivoMemoria);
    return true;
}

}  // namespace zubsim
