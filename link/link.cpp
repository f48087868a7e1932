#include "link.h"

#include "arquivo_resposta.h"
#include "driver.h"
#include "registro.h"
#include "zub_dll3.h"

namespace tavorin {

int32_t Porta = 0;
std::string Resposta;
std::string Status;

namespace {

std::chrono::milliseconds limiteDaTrava(30000);
std::function<bool()> interrupcao;
// The previous exchange found the answer file held.
bool presaAntes = false;
// LeResposta's answer: the last exchange's.
std::string ultimaResposta;
// The folder's lock this thread holds for a sequence (VezDaPasta).
thread_local TravaDePasta* vezDestaLinha = nullptr;

std::string Segundos(std::chrono::milliseconds limite) { return std::to_string(limite.count() / 1000) + " s"; }

// The exchange proper, under the folder's lock.
void Troque(Troca& troca) {
    // A driver that writes no answer must not leave the previous command's
    // answer to be read as this one's. A file that cannot be removed (a
    // driver that keeps it open, a protected file) is emptied where it
    // stands; failing that, what stood there is remembered, and only a
    // change counts as an answer.
    troca.respostaPresa = !RemoveArquivo(kArquivoResposta, troca.motivo);
    const bool comparar = troca.respostaPresa && !EsvaziaArquivo(kArquivoResposta);
    const Retrato antes = comparar ? Retrata(kArquivoResposta) : Retrato{};
    troca.resultado = DriverAtual().TXRX(Para16(troca.porta), Para16(troca.espera), troca.comando.c_str());
    troca.semDriver = FalhaDoDriver();
    std::string bytes;
    if (comparar) {
        const Retrato depois = Retrata(kArquivoResposta);
        troca.semRespostaNova = !depois.regular || depois == antes;
        if (!troca.semRespostaNova) bytes = depois.inicio;
        // Written after what was there (a file that only takes appends):
        // the answer is what was added.
        if (!troca.semRespostaNova && antes.regular && !antes.inicio.empty() &&
            bytes.compare(0, antes.inicio.size(), antes.inicio) == 0)
            bytes.erase(0, antes.inicio.size());
    } else {
        LeInicio(kArquivoResposta, bytes);
    }
    // The line ends at CR or LF, so a CR LF file and a bare LF file read
    // alike; bytes are kept as the driver wrote them.
    troca.resposta = PrimeiraLinha(bytes);
    troca.avisa = troca.respostaPresa && !presaAntes;
    presaAntes = troca.respostaPresa;
    if (troca.avisa)
        troca.nota = std::string("o arquivo de resposta não pôde ser removido (") + troca.motivo + ")";
    // No library, so nothing reached a printer: the log says why.
    if (troca.semDriver.Houve()) troca.nota += (troca.nota.empty() ? "" : "; ") + DescreveFalha(troca.semDriver);
    // A library whose functions leave their arguments on the stack, once.
    if (const std::string aviso = AvisoDeConvencao(); !aviso.empty())
        troca.nota += (troca.nota.empty() ? "" : "; ") + aviso;
    // No answer at all: whether the driver could have left one here.
    if (troca.resposta.empty() && !troca.semRespostaNova && !troca.semDriver.Houve()) {
        troca.pastaSemGravacao = PastaNaoGrava();
        if (!troca.pastaSemGravacao.empty())
            troca.nota += (troca.nota.empty() ? "" : "; ") + std::string("a pasta não aceita gravação (") +
                          troca.pastaSemGravacao + ")";
    }
}

}  // namespace

std::string Mid(const std::string& texto, std::size_t posicao, std::size_t tamanho) {
    if (posicao == 0 || posicao > texto.size()) return {};
    return texto.substr(posicao - 1, tamanho);
}

Troca FazTroca(int32_t porta, int32_t espera, const std::string& comando) {
    Troca troca;
    troca.quando = std::chrono::system_clock::now();
    troca.porta = porta;
    troca.espera = espera;
    troca.comando = comando;
    troca.abreRecusado = AbreRecusado(porta);
    const auto inicio = std::chrono::steady_clock::now();
    {
        // Told to stop: no exchange starts any more.
        const bool parado = interrupcao && interrupcao();
        std::unique_ptr<TravaDePasta> trava;
        if (!vezDestaLinha && !parado) trava = std::make_unique<TravaDePasta>(kArquivoTrava, limiteDaTrava, interrupcao);
        switch (parado ? TravaDePasta::Estado::Interrompida
                       : trava ? trava->Situacao() : TravaDePasta::Estado::Obtida) {
            case TravaDePasta::Estado::Obtida:
            case TravaDePasta::Estado::Dispensada:
                Troque(troca);
                break;
            case TravaDePasta::Estado::Ocupada:
                troca.bloqueio = Troca::Bloqueio::PastaOcupada;
                troca.nota = "nada enviado: outro programa do Tavorin nesta pasta não liberou " +
                             std::string(kArquivoTrava) + " em " + Segundos(limiteDaTrava);
                break;
            case TravaDePasta::Estado::Inacessivel:
                troca.bloqueio = Troca::Bloqueio::TravaInacessivel;
                troca.motivo = trava->Motivo();
                troca.nota = "nada enviado: a trava " + std::string(kArquivoTrava) + " não pôde ser aberta (" +
                             troca.motivo + ")";
                break;
            case TravaDePasta::Estado::Interrompida:
                troca.bloqueio = Troca::Bloqueio::Interrompido;
                troca.nota = "nada enviado: interrompido";
                break;
        }
    }
    if (!troca.Enviado()) troca.resultado = kNaoEnviado;
    troca.duracao = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - inicio);
    ultimaResposta = troca.resposta;
    RegistraTroca(troca);
    return troca;
}

std::string LeResposta() { return ultimaResposta; }

Troca EnviaTroca(int32_t porta, int32_t espera, const std::string& comando) {
    Troca troca = FazTroca(porta, espera, comando);
    Resposta = troca.resposta;
    Status = Mid(Resposta, 2, 1);
    return troca;
}

int16_t EnviaComando(int32_t porta, int32_t espera, const std::string& comando) {
    return EnviaTroca(porta, espera, comando).resultado;
}

Troca Sonda(int32_t porta) {
    const int16_t aberta = Abre(porta);
    if (aberta < 0) {
        // Nothing is exchanged, and nothing goes in the log.
        Troca troca;
        troca.quando = std::chrono::system_clock::now();
        troca.porta = porta;
        troca.espera = 3;
        troca.comando = ".28";
        troca.resultado = kNaoEnviado;
        troca.bloqueio = Troca::Bloqueio::PortaFechada;
        troca.abreRecusado = aberta;
        troca.semDriver = FalhaDoDriver();
        return troca;
    }
    Troca troca = EnviaTroca(porta, 3, ".28");
    if (Status == "+") {
        Porta = porta;
        return troca;
    }
    Fecha(porta);
    return troca;
}

bool Respondeu(const Troca& sonda) { return sonda.Enviado() && Mid(sonda.resposta, 2, 1) == "+"; }

int32_t AbreImpressora(int32_t porta) { return Respondeu(Sonda(porta)) ? 0 : -1; }

std::string TextoRelogio() {
    std::string texto = Mid(Resposta, 54, 1) == "S" ? "Horario de Verao " : "Horario Normal ";
    texto += Mid(Resposta, 44, 2) + "/" + Mid(Resposta, 46, 2) + "/" + Mid(Resposta, 48, 2) + " " +
             Mid(Resposta, 50, 2) + ":" + Mid(Resposta, 52, 2);
    return texto;
}

std::chrono::milliseconds LimiteDaTrava() { return limiteDaTrava; }

void PoeLimiteDaTrava(std::chrono::milliseconds limite) { limiteDaTrava = limite; }

void PoeInterrupcao(std::function<bool()> interromper) { interrupcao = std::move(interromper); }

VezDaPasta::VezDaPasta(std::chrono::milliseconds limite) {
    if (vezDestaLinha) return;
    trava_ = std::make_unique<TravaDePasta>(kArquivoTrava, limite, interrupcao);
    if (trava_->Situacao() == TravaDePasta::Estado::Obtida) vezDestaLinha = trava_.get();
}

VezDaPasta::~VezDaPasta() {
    if (trava_ && vezDestaLinha == trava_.get()) vezDestaLinha = nullptr;
}

bool VezDaPasta::Obtida() const { return !trava_ || trava_->Obtida(); }

bool VezDaPasta::Interrompida() const { return trava_ && trava_->Situacao() == TravaDePasta::Estado::Interrompida; }

}  // namespace tavorin
