// Running the operation asked for: each operation on the operations
// layer, the exchanges watched as they happen, and a signal's stop.
#include "execucao.h"

#include "arquivo_atomico.h"
#include "diagnostico.h"
#include "driver.h"
#include "link.h"
#include "registro.h"
#include "terminal.h"
#include "texto_windows.h"

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

namespace tavorin::cli {

namespace {

// The signal that asked the program to stop (SIGINT, SIGTERM), or 0. A
// reading stops before its next block; whatever runs ends its exchange
// first, so the port is closed and no temporary file stays behind.
volatile std::sig_atomic_t sinal = 0;

extern "C" void AoSinal(int numero) { sinal = numero; }

void ObservaSinais() {
#if defined(_WIN32)
    std::signal(SIGINT, AoSinal);
    std::signal(SIGTERM, AoSinal);
#else
    // A second Ctrl+C ends the program at once.
    struct sigaction acao {};
    acao.sa_handler = AoSinal;
    acao.sa_flags = SA_RESETHAND;
    sigemptyset(&acao.sa_mask);
    sigaction(SIGINT, &acao, nullptr);
    sigaction(SIGTERM, &acao, nullptr);
#endif
}

int SaidaDe(Classe classe) {
    switch (classe) {
        case Classe::Aceito:
            return kAceito;
        case Classe::Recusado:
            return kRecusado;
        case Classe::SemBiblioteca:
            return kSemBiblioteca;
        default:
            return kSemResposta;
    }
}

// The exchange decides the outcome, as the operations layer classified it.
void Decide(Relato& r, const Desfecho& d) {
    r.desfecho = d;
    r.saida = SaidaDe(d.classe);
    r.falha = Explica(d);
    if (d.troca.bloqueio == Troca::Bloqueio::Interrompido) r.interrompido = true;
}

// No printer found: a cause that holds for every port, or what each port
// gave.
void NaoEncontrada(const Procura& procura, const std::vector<int32_t>& portas, Relato& r) {
    const Desfecho* causa = procura.Causa();
    if (causa && causa->classe != Classe::PortaRecusada) return Decide(r, *causa);
    std::string visto;
    bool algumaRespondeu = false;
    for (const Desfecho& sonda : procura.sondas) {
        visto += (visto.empty() ? "" : "; ") + ("porta " + std::to_string(sonda.troca.porta) + ": " + Resumo(sonda));
        algumaRespondeu = algumaRespondeu || sonda.classe == Classe::Recusado;
    }
    r.saida = kSemResposta;
    r.falha = std::string(algumaRespondeu ? "nenhuma impressora pronta " : "nenhuma impressora respondeu ") +
              ListaDePortas(portas) + " (" + visto + ")";
}

std::vector<int32_t> PortasDoPedido(const Pedido& p) { return p.porta ? std::vector<int32_t>{*p.porta} : kPortasProcuradas; }

// The port to work on: the one given, or the first that answers the
// probe, left open for the operation (closed at the end), so no other
// program takes it in between.
bool Localiza(const Pedido& p, Relato& r) {
    if (p.porta) {
        Porta = *p.porta;
        return true;
    }
    const Procura procura = ProcuraImpressora(kPortasProcuradas);
    if (!procura.encontrada) NaoEncontrada(procura, kPortasProcuradas, r);
    return procura.encontrada;
}

// What the exchanges of the operation met, as each one happened: the
// first to find the answer file held says so once (when the operation
// still got its answer); the commands sent, for a message when a signal
// stops what was left.
std::string avisoDaResposta;
std::vector<std::string> enviados;

// A signal came. The exchange under way was finished: when it was the
// last, the operation's outcome stands as usual; when the signal kept
// anything from being sent, the exit status says so, with what was sent
// before it.
void Interrompido(Relato& relato) {
    const std::string nome = sinal == SIGINT ? "Ctrl+C (SIGINT)" : "SIGTERM";
    if (!relato.interrompido) {
        Escreve(stderr, "tavorin-cli: aviso: " + nome + " recebido; a troca em andamento foi concluída\n");
        return;
    }
    std::string feito = "nada foi enviado";
    if (!enviados.empty()) {
        feito = "já enviado: ";
        for (std::size_t i = 0; i < enviados.size(); ++i) feito += (i ? ", " : "") + enviados[i];
        feito += "; nada mais foi enviado";
    }
    relato.falha = "interrompido por " + nome + ": " +
                   (relato.desfecho && relato.desfecho->troca.bloqueio == Troca::Bloqueio::Interrompido ? feito
                                                                                                          : relato.falha);
    relato.saida = SaidaDoSinal(sinal);
    relato.linhas.clear();
    relato.dados = nlohmann::ordered_json::object();
}

}  // namespace

// --- each operation ------------------------------------------------------------

void Testa(const Pedido& p, Relato& r) {
    const TesteImpressora teste = TestaImpressora(PortasDoPedido(p));
    if (!teste.encontrada) return NaoEncontrada(teste.procura, PortasDoPedido(p), r);
    const std::string reducao = PalavraReducao(teste.reducao), leituraX = PalavraLeituraX(teste.leituraX);
    r.linhas = {"Porta: com " + std::to_string(teste.porta), "Relógio da Impressora: " + Visivel(teste.relogio),
                "Redução: " + reducao, "Primeira LX: " + leituraX, "Papel: " + PalavraPapel(teste.papel),
                "On Line: " + PalavraLinha(teste.papel)};
    r.dados = {{"porta", teste.porta},     {"relogio", Texto(teste.relogio)},
               {"reducao", reducao},       {"leitura_x", leituraX},
               {"papel", PalavraPapel(teste.papel)}, {"linha", PalavraLinha(teste.papel)}};
    Decide(r, teste.status);
    if (r.saida == kAceito && teste.papel.semResposta) Decide(r, teste.papel.consulta);
}

// One command; its answer line shown when accepted.
void UmaOperacao(const Pedido& p, Relato& r) {
    const Desfecho d = UmComando(p.comando);
    Decide(r, d);
    if (r.saida == kAceito) r.linhas = {Visivel(d.troca.resposta)};
}

// A hand-typed command's answer is shown whatever it says.
void Envia(const Pedido& p, Relato& r) {
    const Desfecho d = UmComando(p.comando);
    Decide(r, d);
    r.linhas = {Visivel(d.troca.resposta)};
}

void Relogio(const Pedido& p, Relato& r) {
    Decide(r, UmComando(p.comando));
    if (r.saida != kAceito) return;
    r.linhas = {Visivel(TextoRelogio())};
    r.dados = {{"relogio", Texto(TextoRelogio())}};
}

void ContaDocumentos(const Pedido&, Relato& r) {
    const Contadores c = LeContadores();
    r.linhas = {"COO: " + Visivel(c.coo), "CCF: " + Visivel(c.ccf)};
    r.dados = {{"coo", Texto(c.coo)}, {"ccf", Texto(c.ccf)}};
    Decide(r, c.consultaCOO);
    if (r.saida == kAceito) Decide(r, c.consultaCCF);
}

// The technician's report, to standard output as UTF-8 or in place of a
// file once complete; the outcome as the printer test's, whatever it is.
void RelatorioDeDiagnostico(const Pedido& p, Relato& r) {
    const tavorin::Diagnostico d = Diagnostica(PortasDoPedido(p));
    using D = tavorin::Diagnostico::Desfecho;
    r.saida = d.desfecho == D::Encontrada ? kAceito : d.desfecho == D::SemBiblioteca ? kSemBiblioteca : kSemResposta;
    if (r.saida != kAceito) r.falha = d.resumo;
    if (p.arquivo.empty()) {
        if (!Escreve(stdout, d.relatorio, true)) {
            r.saida = kSaidaPerdida;
            r.falha = "a saída padrão não pôde ser escrita";
        }
        return;
    }
    const std::string nome = Utf8DoArgumento(p.arquivo);
#if defined(_WIN32)
    const std::string erro = comum::GravaTexto(std::filesystem::path(Largo(p.arquivo, CP_ACP)), d.relatorio);
#else
    const std::string erro = comum::GravaTexto(p.arquivo, d.relatorio);
#endif
    if (!erro.empty()) {
        r.saida = kSemArquivo;
        r.falha = "não foi possível gravar o diagnóstico em " + nome + ": " + erro;
        return;
    }
    r.linhas = {"Diagnóstico gravado em " + nome};
}

void Memoria(const Pedido& p, Relato& r) {
    const bool terminal = !p.arquivo.empty() && EhTerminal(stderr);
    AoLer ao;
    int mostrados = 0;
    if (terminal)
        ao.aposBloco = [&](int blocos, const Desfecho&) {
            Escreve(stderr, "\rblocos recebidos: " + std::to_string(blocos));
            mostrados = blocos;
        };
    ao.interromper = [] { return sinal != 0; };
    const LeituraMemoria leitura = LeMemoria(ComandoLeitura(p.faixa, p.inicio, p.fim, !p.arquivo.empty()), p.arquivo, ao);
    if (mostrados) Escreve(stderr, "\n");
    if (!p.arquivo.empty() && !leitura.gravacao && !leitura.motivo.empty()) {
        r.saida = kUsoInvalido;
        r.falha = "--arquivo " + Aspas(p.arquivo) + " " + leitura.motivo + "; nada foi enviado";
        return;
    }
    if (p.arquivo.empty() || !leitura.gravacao) {
        Decide(r, leitura.comando);
        if (r.saida == kAceito) r.linhas = {Visivel(leitura.comando.troca.resposta)};
        return;
    }
    const std::string nome = Utf8DoArgumento(p.arquivo);
    r.dados = {{"arquivo", nome}, {"blocos", leitura.blocos}};
    const std::string interrompida =
        "leitura interrompida após " + std::to_string(leitura.blocos) + " blocos, " + nome + " não foi alterado";
    switch (*leitura.gravacao) {
        case Gravacao::Gravada:
            r.desfecho = leitura.comando;
            r.linhas = {"Arquivo " + nome + " gravado (" + std::to_string(leitura.blocos) + " blocos)"};
            break;
        case Gravacao::Interrompida:
            if (!leitura.motivo.empty()) {
                r.desfecho = leitura.ultima;
                r.saida = kSemArquivo;
                r.falha = interrompida + ": " + leitura.motivo;
                break;
            }
            if (leitura.interrompida) {
                r.desfecho = leitura.ultima;
                r.saida = kSemResposta;
                r.falha = interrompida;
                r.interrompido = true;
                break;
            }
            Decide(r, leitura.ultima);
            r.falha = interrompida + ": " + r.falha;
            break;
        case Gravacao::FalhaNoArquivo:
            r.desfecho = leitura.comando;
            r.saida = kSemArquivo;
            r.falha = "não foi possível gravar o arquivo " + nome + ": " + Utf8DoArgumento(leitura.erroArquivo);
            break;
    }
}

// --- the run ---------------------------------------------------------------------

void Observa(bool registro) {
    // Each exchange as it happens, before the operation's own output.
    if (registro)
        ObservaTrocas([](const Troca& troca) { Escreve(stderr, Utf8DoDriver(DescreveTroca(troca)) + "\n"); });
    ObservaTrocas([](const Troca& troca) {
        const Desfecho d = Decide(troca);
        if (avisoDaResposta.empty()) avisoDaResposta = Aviso(d);
        if (troca.Enviado()) enviados.push_back(Visivel(troca.comando) + " (" + Resumo(d) + ")");
    });
    ObservaSinais();
    // The first Ctrl+C ends a wait for the folder's lock at once, and no
    // exchange starts after it; the one under way is finished.
    PoeInterrupcao([] { return sinal != 0; });
}

Relato Executa(const Operacao& operacao, const Pedido& pedido) {
    Relato relato;
    if (!operacao.procura || Localiza(pedido, relato)) operacao.executa(pedido, relato);
    FechaPortasAbertas();
    if (sinal) Interrompido(relato);
    relato.aviso = avisoDaResposta;
    return relato;
}

}  // namespace tavorin::cli
