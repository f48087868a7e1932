#include "impressora.h"

#include <algorithm>
#include <cstddef>
#include <system_error>
#include <tuple>

#include "arquivo.h"
#include "arquivo_atomico.h"
#include "comandos.h"
#include "estado.h"
#include "resposta.h"

namespace zubsim {

namespace {

// What a command may change that a fiscal printer must never lose: all
// but the position of a reading to the file.
bool MesmoFiscal(const Estado& a, const Estado& b, std::size_t reducoesDeA) {
    return a.coo == b.coo && a.ccf == b.ccf && a.crz == b.crz && a.grandeTotal == b.grandeTotal &&
           a.desvioRelogio == b.desvioRelogio && a.horarioVerao == b.horarioVerao &&
           a.diaMovimento == b.diaMovimento && a.diaUltimaZ == b.diaUltimaZ && a.diaPrimeiraLX == b.diaPrimeiraLX &&
           a.totaisDia == b.totaisDia && a.cupom.aberto == b.cupom.aberto && a.cupom.itens == b.cupom.itens &&
           a.cupom.total == b.cupom.total && a.cupom.pago == b.cupom.pago && reducoesDeA == b.reducoes.size();
}

constexpr const char* kArquivoTrava = "ZubSim-estado.txt.trava";
const char* const kInicioBobina = "* IMPRESSORA SIMULADA — NÃO É DOCUMENTO FISCAL *\n";

// The state of the printer folder last used, kept between commands.
struct Lembrado {
    std::filesystem::path pasta;
    Gravado gravado;
};

Lembrado& Lembranca() {
    static Lembrado lembrado;
    return lembrado;
}

}  // namespace

void EsqueceEstado() { Lembranca() = Lembrado{}; }

bool Executa(const std::string& comando, const Ambiente& ambiente, int64_t agoraNoHost, const Entrega& entrega,
             std::size_t* linhas) {
    namespace fs = std::filesystem;
    const fs::path& pasta = ambiente.diretorio;
    std::error_code erro;
    fs::create_directories(pasta, erro);
    // Load, run and save as one step for every process on this folder.
    // Without the lock (a folder that cannot be written) the state can
    // still be read, as every save replaces the file whole, but not saved.
    Trava trava(pasta / kArquivoTrava);
    Lembrado& lembrado = Lembranca();
    if (lembrado.pasta != pasta) lembrado = Lembrado{pasta, Gravado{}};
    Gravado& gravado = lembrado.gravado;
    // An unreadable state is never replaced: it may hold the only record
    // of the fiscal memory, so every command is refused until someone
    // looks at it.
    if (CarregaEstado(pasta, gravado) == Carga::Ilegivel) return entrega(Recusa(comando, Erro::EstadoIlegivel));

    // Everything but the records, which only ever grow, to put back.
    Estado& estado = gravado.estado;
    // A reading to the file may have gone on in another process since.
    // Without a position that names it (missing, damaged, another
    // reading's) no one can tell which block comes next: the reading is
    // over, rather than handing out some block again and again.
    if (estado.leitura.tipo != 0) {
        const int guardada = PosicaoGuardada(pasta, estado.leitura);
        if (guardada < 0)
            estado.leitura = LeituraEmCurso{};
        else
            estado.leitura.proximo = std::max(estado.leitura.proximo, guardada);
    }
    const std::size_t reducoesAntes = estado.reducoes.size();
    std::vector<Reducao> reducoes = std::move(estado.reducoes);
    const Estado antes = estado;
    estado.reducoes = std::move(reducoes);
    const std::string textoAntes = gravado.texto;
    const Memoria memoriaAntes = gravado.memoria;
    auto volta = [&] {
        std::vector<Reducao> registros = std::move(estado.reducoes);
        registros.resize(reducoesAntes);
        estado = antes;
        estado.reducoes = std::move(registros);
    };

    Feito feito = RodaComando(estado, ambiente, comando, agoraNoHost);
    std::string& resposta = feito.resposta;
    bool salvo = false;
    if (feito.alterou) {
        const bool duravel = !MesmoFiscal(antes, estado, reducoesAntes);
        if (Valido(estado, reducoesAntes) && trava.Obtida() && SalvaEstado(pasta, duravel, gravado)) {
            salvo = true;
        } else {
            volta();
            resposta = Recusa(comando, Erro::FalhaAoGravar);
            feito.bobina.clear();
        }
    }
    if (linhas) *linhas = static_cast<std::size_t>(std::count(feito.bobina.begin(), feito.bobina.end(), '\n'));
    if (!entrega(resposta)) {
        volta();
        if (salvo) {
            // The files as they were: the state file's old bytes (records
            // appended to the fiscal memory lie beyond what they vouch for).
            const fs::path arquivo = pasta / kArquivoEstado;
            gravado.texto = textoAntes;
            gravado.memoria = memoriaAntes;
            if (textoAntes.empty() ? !fs::remove(arquivo, erro) : !comum::GravaAtomico(arquivo, textoAntes))
                lembrado = Lembrado{};
        }
        return false;
    }
    // Every field: a new reading of the same kind, started within the same
    // second as the one it replaces, differs only in its range.
    const auto campos = [](const LeituraEmCurso& l) { return std::tie(l.tipo, l.inicio, l.fim, l.proximo, l.emissao); };
    if (trava.Obtida() && campos(estado.leitura) != campos(antes.leitura)) GuardaPosicao(pasta, estado.leitura);
    // The state is kept first: a paper roll that cannot be written loses a
    // copy, a lost state would lose the fiscal record.
    if (!feito.bobina.empty()) {
        const fs::path bobina = pasta / kArquivoBobina;
        Acrescenta(bobina, (fs::exists(bobina, erro) ? "" : kInicioBobina) + feito.bobina);
    }
    return true;
}

}  // namespace zubsim
