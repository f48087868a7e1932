// tavorin-cli: the printer's operations from a command line, for scripts,
// scheduled tasks and remote shells. The same operations layer and the
// same driver loader as the windows.
#include "driver.h"
#include "driver_library.h"
#include "destino.h"
#include "entrada.h"
#include "identidade.h"
#include "link.h"
#include "operacoes.h"
#include "registro.h"
#include "terminal.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <cctype>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

using namespace tavorin;
using namespace tavorin::cli;

namespace {

// Exit statuses a script can rely on.
enum Saida {
    kAceito = 0,
    kRecusado = 1,       // the printer refused: "ERRO nn"
    kSemResposta = 2,    // no answer, or no printer on the ports tried
    kSemBiblioteca = 3,  // the driver library could not be loaded
    kUsoInvalido = 64,   // bad usage: nothing was sent
    kFalhaInterna = 70,  // a fault of the program itself
    kSemArquivo = 73,    // the reading's file could not be written, or the reading had no end
    kSaidaPerdida = 74,  // standard output could not be written
};

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

const char* const kRodape = R"(Saída (código de retorno):
  0   aceito pela impressora
  1   recusado pela impressora (a mensagem traz o "ERRO nn" que as janelas mostram)
  2   sem resposta, ou nenhuma impressora nas portas procuradas
  3   a biblioteca do driver (Zub_Dll3) não pôde ser carregada
  64  uso inválido: operação desconhecida, data, faixa, porta ou comando inválidos, ou
      Redução Z não confirmada; nada é enviado
  70  falha interna do programa (a mensagem diz qual)
  73  memoria --arquivo: o arquivo não pôde ser gravado, ou a leitura passou do que uma
      memória fiscal contém (o anterior fica como estava)
  74  a saída padrão não pôde ser escrita
  130, 143  interrompido por Ctrl+C ou SIGTERM (a porta é fechada; o arquivo anterior fica como estava)

Sem --porta a impressora é procurada na porta 1 e depois na 2, como no teste
da janela principal. Os erros vão para a saída de erro.

reducao-z pergunta antes de enviar, num terminal; sem terminal só envia com
--confirma.)";

// The command line as typed, each operation's own arguments included.
struct Argumentos {
    std::string porta, faixa, inicio, fim, arquivo, data, hora, sentido, comando, espera;
    CLI::Option* comArquivo = nullptr;  // memoria --arquivo, given with or without a name
    bool confirma = false;              // reducao-z --confirma
};

// What the command line asked for.
struct Pedido {
    std::optional<int32_t> porta;
    bool json = false;
    bool registro = false;
    Comando comando;          // the one command of a one-command operation
    Faixa faixa = Faixa::Reducoes;
    std::string inicio, fim;  // memoria: the fields as the printer takes them
    std::string arquivo;      // memoria: empty for printed
};

// One operation's outcome, for the terminal or for JSON.
struct Relato {
    std::optional<Desfecho> desfecho;  // the exchange that decided it
    int saida = kAceito;
    std::string falha;                 // UTF-8, for standard error
    std::vector<std::string> linhas;   // UTF-8, for standard output
    nlohmann::ordered_json dados = nlohmann::ordered_json::object();
    bool interrompido = false;         // a signal kept the rest from being sent
};

struct UsoInvalido {
    std::string mensagem;  // UTF-8
};

// What the operator typed, quoted, for a message.
std::string Aspas(const std::string& argumento) { return "\"" + Utf8DoArgumento(argumento) + "\""; }

// The printer's bytes for the terminal and for JSON alike: its 8-bit text
// as the windows show it, control bytes spelled out as the exchange log
// spells them.
std::string Visivel(const std::string& bytes) { return Utf8DoDriver(ControlesVisiveis(bytes)); }
std::string Texto(const std::string& bytes) { return Utf8DoDriver(bytes); }

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

std::string ListaDePortas(const std::vector<int32_t>& portas) {
    std::string texto = portas.size() == 1 ? "na porta " : "nas portas ";
    for (std::size_t i = 0; i < portas.size(); ++i)
        texto += (i == 0 ? "" : i + 1 == portas.size() ? " e " : ", ") + std::to_string(portas[i]);
    return texto;
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

// --- what each operation takes ---------------------------------------------------

std::string Obrigatorio(const std::string& valor, const char* nome) {
    if (valor.empty()) throw UsoInvalido{std::string("falta o argumento ") + nome};
    return valor;
}

// A reduction number: one to four digits and nothing else.
std::string Reducao(const std::string& texto, const char* qual) {
    const auto numero = NormalizaNumero(texto);
    if (texto.empty() || texto.size() > 4 || texto.find_first_not_of("0123456789") != std::string::npos || !numero)
        throw UsoInvalido{std::string(qual) + " da faixa de reduções inválido: " + Aspas(texto) + " (de 0 a 9999)"};
    return *numero;
}

Data DataValida(const std::string& texto, const char* qual) {
    const auto data = LeData(texto);
    if (!data) throw UsoInvalido{std::string(qual) + " inválida: " + Aspas(texto) + " (dd/mm/aa)"};
    return *data;
}

int32_t Inteiro(const std::string& texto, long minimo, long maximo, const std::string& qual) {
    std::size_t usados = 0;
    long valor = 0;
    try {
        valor = std::stol(texto, &usados);
    } catch (const std::exception&) {
        usados = 0;
    }
    if (usados == 0 || usados != texto.size() || valor < minimo || valor > maximo)
        throw UsoInvalido{qual + " inválida: " + Aspas(texto) + " (de " + std::to_string(minimo) + " a " +
                          std::to_string(maximo) + ")"};
    return static_cast<int32_t>(valor);
}

void PreparaAcerta(const Argumentos& a, Pedido& p) {
    Obrigatorio(a.data, "data");
    const auto hora = NormalizaHora(Obrigatorio(a.hora, "hora"));
    if (!hora) throw UsoInvalido{"hora inválida: " + Aspas(a.hora) + " (hh:mm:ss)"};
    DataValida(a.data, "data");
    p.comando = ComandoAcertaRelogio(*hora, *NormalizaData(a.data));
}

void PreparaVerao(const Argumentos& a, Pedido& p) {
    const std::string sentido = Obrigatorio(a.sentido, "sentido");
    if (sentido != "entra" && sentido != "sai")
        throw UsoInvalido{"verao pede \"entra\" ou \"sai\", não " + Aspas(sentido)};
    p.comando = ComandoVerao(sentido == "entra");
}

void PreparaEnvia(const Argumentos& a, Pedido& p) {
    const std::string bytes = DriverDoArgumento(Obrigatorio(a.comando, "comando"));
    if (const std::string recusa = ComandoRecusado(bytes); !recusa.empty()) throw UsoInvalido{recusa};
    p.comando = ComandoLivre(bytes, a.espera.empty() ? kEsperaStatus : Inteiro(a.espera, 0, 32767, "espera"));
}

void PreparaMemoria(const Argumentos& a, Pedido& p) {
    const std::string faixa = a.faixa.empty() ? "reducoes" : a.faixa;
    if (faixa != "reducoes" && faixa != "datas")
        throw UsoInvalido{"memoria pede \"reducoes\" ou \"datas\", não " + Aspas(faixa)};
    if (a.comArquivo->count() > 0) p.arquivo = a.arquivo.empty() ? kArquivoLeitura : a.arquivo;
    // The driver's and the simulated printer's files, by whatever name:
    // refused before anything is sent.
    const std::string protegido = p.arquivo.empty() ? "" : ArquivoProtegido(p.arquivo);
    const bool peloNome = p.arquivo.size() >= protegido.size() &&
                          p.arquivo.compare(p.arquivo.size() - protegido.size(), protegido.size(), protegido) == 0;
    if (!protegido.empty())
        throw UsoInvalido{"--arquivo não pode ser um arquivo do driver ou da impressora simulada: " + Aspas(p.arquivo) +
                          (peloNome ? "" : " (leva a " + protegido + ")")};
    if (faixa == "reducoes") {
        p.faixa = Faixa::Reducoes;
        const Limites padrao = LimitesPadrao(Faixa::Reducoes);
        p.inicio = Reducao(a.inicio.empty() ? padrao.inicio : a.inicio, "início");
        p.fim = Reducao(a.fim.empty() ? padrao.fim : a.fim, "fim");
        if (p.fim < p.inicio) throw UsoInvalido{"a faixa começa depois de terminar: " + p.inicio + " a " + p.fim};
    } else {
        p.faixa = Faixa::Datas;
        const Limites padrao = LimitesPadrao(Faixa::Datas);
        const std::string inicio = a.inicio.empty() ? padrao.inicio : a.inicio, fim = a.fim.empty() ? padrao.fim : a.fim;
        const Data primeira = DataValida(inicio, "data inicial"), ultima = DataValida(fim, "data final");
        if (ultima < primeira)
            throw UsoInvalido{"a faixa começa depois de terminar: " + Aspas(inicio) + " a " + Aspas(fim)};
        p.inicio = *DataSeisDigitos(inicio);
        p.fim = *DataSeisDigitos(fim);
    }
}

void DeclaraMemoria(CLI::App& op, Argumentos& a) {
    op.add_option("faixa", a.faixa, "reducoes (padrão) ou datas");
    const Limites reducoes = LimitesPadrao(Faixa::Reducoes), datas = LimitesPadrao(Faixa::Datas);
    op.add_option("inicio", a.inicio,
                  std::string("Início: redução (padrão ") + reducoes.inicio + ") ou data dd/mm/aa (padrão " + datas.inicio + ")");
    op.add_option("fim", a.fim,
                  std::string("Fim: redução (padrão ") + reducoes.fim + ") ou data dd/mm/aa (padrão " + datas.fim + ")");
    a.comArquivo = op.add_option("--arquivo", a.arquivo, std::string("Grava a leitura no arquivo (padrão ") + kArquivoLeitura + ")")
                       ->expected(0, 1)
                       ->type_name("[ARQUIVO]");
}

// After a Redução Z the printer issues no document until the next day:
// asked on a terminal, and never sent by a script that did not say so.
void PreparaReducaoZ(const Argumentos& a, Pedido& p) {
    p.comando = kReducaoZ;
    if (a.confirma) return;
    if (!EhTerminal(stdin)) throw UsoInvalido{"reducao-z sem terminal para confirmar: use --confirma; nada foi enviado"};
    Escreve(stderr, "Emitir a Redução Z agora? Depois dela a impressora não emite documentos fiscais até o dia "
                    "seguinte. [s/N] ");
    std::string resposta;
    std::getline(std::cin, resposta);
    if (resposta != "s" && resposta != "S" && resposta != "sim" && resposta != "Sim")
        throw UsoInvalido{"Redução Z não confirmada; nada foi enviado"};
}

// --- the table of operations ---------------------------------------------------

struct Operacao {
    const char* nome;
    const char* ajuda;
    void (*declara)(CLI::App&, Argumentos&);      // its own arguments
    void (*prepara)(const Argumentos&, Pedido&);  // checks them; throws UsoInvalido
    void (*executa)(const Pedido&, Relato&);
    bool procura;                                 // runs on the port found first (testa probes by itself)
    std::vector<const char*> campos;              // its own JSON fields, null when it fails
};

template <const Comando& comando>
void Fixo(const Argumentos&, Pedido& p) {
    p.comando = comando;
}

void Nada(CLI::App&, Argumentos&) {}
void NadaAPreparar(const Argumentos&, Pedido&) {}

const std::vector<Operacao>& Operacoes() {
    static const std::vector<Operacao> tabela = {
        {"testa", "Teste da impressora: porta, relógio, Redução Z e primeira Leitura X, papel e linha", Nada,
         NadaAPreparar, Testa, false, {"porta", "relogio", "reducao", "leitura_x", "papel", "linha"}},
        {"leitura-x", "Leitura X", Nada, Fixo<kLeituraX>, UmaOperacao, true, {}},
        {"reducao-z", "Redução Z (pergunta antes; sem terminal, só com --confirma)",
         [](CLI::App& op, Argumentos& a) { op.add_flag("--confirma", a.confirma, "Emite sem perguntar"); },
         PreparaReducaoZ, UmaOperacao, true, {}},
        {"gaveta", "Abre a gaveta", Nada, Fixo<kGaveta>, UmaOperacao, true, {}},
        {"contadores", "Lê os contadores COO e CCF", Nada, NadaAPreparar, ContaDocumentos, true, {"coo", "ccf"}},
        {"memoria", "Leitura da memória fiscal, impressa ou em arquivo", DeclaraMemoria, PreparaMemoria, Memoria,
         true, {"arquivo", "blocos"}},
        {"relogio", "Mostra o relógio da impressora", Nada, Fixo<kStatus>, Relogio, true, {"relogio"}},
        {"acerta", "Acerta a data e a hora da impressora",
         [](CLI::App& op, Argumentos& a) {
             op.add_option("data", a.data, "dd/mm/aa");
             op.add_option("hora", a.hora, "hh:mm:ss");
         },
         PreparaAcerta, UmaOperacao, true, {}},
        {"verao", "Entra no horário de verão ou sai dele",
         [](CLI::App& op, Argumentos& a) { op.add_option("sentido", a.sentido, "entra ou sai"); }, PreparaVerao,
         UmaOperacao, true, {}},
        {"envia", "Envia um comando digitado, exatamente como escrito",
         [](CLI::App& op, Argumentos& a) {
             op.add_option("comando", a.comando, "O comando, por exemplo .28");
             op.add_option("--espera", a.espera, "Limite de espera passado ao driver (padrão 10)")->type_name("N");
         },
         PreparaEnvia, Envia, true, {}},
    };
    return tabela;
}

nlohmann::ordered_json ComoJson(const Operacao& op, const Relato& r, long long ms) {
    const auto nulo = nlohmann::ordered_json(nullptr);
    nlohmann::ordered_json j = {{"operacao", op.nome}, {"saida", r.saida}, {"ms", ms}};
    const std::optional<Desfecho>& d = r.desfecho;
    j["comando"] = d ? nlohmann::ordered_json(Texto(d->troca.comando)) : nulo;
    j["espera"] = d ? nlohmann::ordered_json(d->troca.espera) : nulo;
    j["resultado"] = d ? nlohmann::ordered_json(d->troca.resultado) : nulo;
    j["resposta"] = d ? nlohmann::ordered_json(Texto(d->troca.resposta)) : nulo;
    j["status"] = d ? nlohmann::ordered_json(Texto(d->status)) : nulo;
    // Positions 21-22 are an error code only in a refusal; elsewhere they
    // are whatever the answer holds there (a reading block's text).
    j["erro"] = d && r.saida == kRecusado ? nlohmann::ordered_json(Texto(d->Codigo())) : nulo;
    j["falha"] = r.falha.empty() ? nulo : nlohmann::ordered_json(r.falha);
    for (const char* campo : op.campos)
        j[campo] = r.saida == kAceito && r.dados.contains(campo) ? r.dados[campo] : nulo;
    return j;
}

// --- the command line ---------------------------------------------------------

// The argument parser's errors in the program's words, by their kind. The
// usual mistakes (an unknown operation or option, an argument too many or
// missing) never reach it: they are told apart before, with the text the
// operator typed.
std::string EmPortugues(const CLI::ParseError& erro, const std::vector<std::string>& argumentos) {
    switch (static_cast<CLI::ExitCodes>(erro.get_exit_code())) {
        case CLI::ExitCodes::ArgumentMismatch:
            // The option that asks for a value is the last thing typed.
            for (const char* opcao : {"--porta", "--espera"})
                if (!argumentos.empty() && argumentos.back() == opcao)
                    return std::string("a opção ") + opcao + " pede um valor";
            return "uma opção ficou sem o valor que pede, ou com valores a mais";
        case CLI::ExitCodes::ConversionError:
            return "valor que a opção não aceita (as opções sem valor não levam \"=\")";
        case CLI::ExitCodes::ExtrasError:
            return "argumentos a mais";
        case CLI::ExitCodes::RequiredError:
            return "falta um argumento obrigatório";
        default:
            return "argumentos inválidos";
    }
}

// What the parser left unread: an unknown operation or option, or an
// argument too many.
void SemSobras(const std::vector<std::string>& sobras, bool temOperacao) {
    if (sobras.empty()) return;
    const std::string& primeiro = sobras.front();
    if (primeiro.size() > 1 && primeiro[0] == '-')
        throw UsoInvalido{"opção desconhecida: " + Utf8DoArgumento(primeiro)};
    throw UsoInvalido{(temOperacao ? "argumento a mais: " : "operação desconhecida: ") + Utf8DoArgumento(primeiro)};
}

// The parser in Portuguese, with every operation of the table.
void MontaLinhaDeComando(CLI::App& app, Argumentos& a, Pedido& pedido) {
    app.footer(kRodape);
    app.require_subcommand(0, 1);
    app.allow_extras();
    app.fallthrough();
    for (const auto& [chave, texto] : std::vector<std::pair<const char*, const char*>>{
             {"Usage", "Uso"}, {"OPTIONS", "OPÇÕES"}, {"SUBCOMMAND", "OPERAÇÃO"}, {"Positionals", "Argumentos"},
             {"REQUIRED", "OBRIGATÓRIO"}, {"TEXT", "TEXTO"}})
        app.get_formatter()->label(chave, texto);
    app.option_defaults()->group("Opções");
    app.set_help_flag("-h,--help", "Mostra esta ajuda e sai");
    app.set_version_flag("--version", std::function<std::string()>([] { return std::string(); }),
                         "Mostra a versão do Tavorin e a biblioteca do driver que ele carregaria");
    app.add_option("--porta", a.porta, "Porta da impressora, de 1 a 8, em vez de procurá-la " + ListaDePortas(kPortasProcuradas))
        ->type_name("N");
    app.add_flag("--json", pedido.json, "Um objeto JSON por operação na saída padrão");
    app.add_flag("--registro", pedido.registro, "Mostra cada troca com o driver na saída de erro, quando acontece");
    for (const Operacao& op : Operacoes()) {
        CLI::App* sub = app.add_subcommand(op.nome, op.ajuda);
        op.declara(*sub, a);
        sub->allow_extras();
        sub->group("Operações");
        if (CLI::Option* ajuda = sub->get_help_ptr()) ajuda->group("Opções");
    }
}

// The operation asked for, its request complete; throws UsoInvalido or the
// parser's errors.
const Operacao& LeLinhaDeComando(CLI::App& app, int argc, char* argv[], const Argumentos& a, Pedido& pedido) {
    app.parse(argc, argv);
    const std::vector<CLI::App*> escolhidas = app.get_subcommands();
    SemSobras(app.remaining(), !escolhidas.empty());
    if (escolhidas.empty()) throw UsoInvalido{"falta a operação"};
    SemSobras(escolhidas.front()->remaining(), true);
    const Operacao* operacao = &Operacoes().front();
    while (escolhidas.front()->get_name() != operacao->nome) ++operacao;
    if (!a.porta.empty()) pedido.porta = Inteiro(a.porta, 1, 8, "porta");
    operacao->prepara(a, pedido);
    return *operacao;
}

// What the exchanges of the operation met, as each one happened: the
// first to find the answer file held says so once (when the operation
// still got its answer); the commands sent, for a message when a signal
// stops what was left.
std::string avisoDaResposta;
std::vector<std::string> enviados;

// The outcome on standard output and error; the exit status.
int Mostra(const Operacao& operacao, const Pedido& pedido, const Relato& relato, long long ms) {
    bool escrito = true;
    if (pedido.json) {
        // A file name that is not UTF-8 shows with replacement characters
        // rather than ending the program.
        escrito = Escreve(stdout,
                          ComoJson(operacao, relato, ms).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) +
                              "\n",
                          true);
    } else {
        std::string texto;
        for (const std::string& linha : relato.linhas) texto += linha + "\n";
        escrito = Escreve(stdout, texto);
    }
    if (!avisoDaResposta.empty() && relato.falha.empty()) Escreve(stderr, "tavorin-cli: aviso: " + avisoDaResposta + "\n");
    if (!relato.falha.empty()) Escreve(stderr, "tavorin-cli: " + relato.falha + "\n");
    // A result that did not reach its reader is no success: the printer
    // may have acted, but the script cannot know what it said.
    if (!escrito) {
        Escreve(stderr, "tavorin-cli: a saída padrão não pôde ser escrita\n");
        return kSaidaPerdida;
    }
    return relato.saida;
}

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
    relato.saida = 128 + sinal;
    relato.linhas.clear();
    relato.dados = nlohmann::ordered_json::object();
}

// Tavorin's version and the driver library it would load, by the same
// search as every operation.
std::string TextoVersao() {
    DriverLibrary biblioteca;
    const bool carregou = biblioteca.Carrega();
    std::vector<std::string> linhas = DescreveVersao(carregou ? biblioteca.Carregado() : std::string());
    if (!carregou) linhas.back() = DescreveFalha(biblioteca.Falha());
    std::string texto;
    for (const std::string& linha : linhas) texto += linha + "\n";
    return texto;
}

int Principal(int argc, char* argv[]) {
    CLI::App app{"tavorin-cli: as operações da impressora fiscal, sem janelas, pelo mesmo driver (Zub_Dll3).",
                 "tavorin-cli"};
    Pedido pedido;
    Argumentos a;
    MontaLinhaDeComando(app, a, pedido);
    const Operacao* operacao = nullptr;
    try {
        operacao = &LeLinhaDeComando(app, argc, argv, a, pedido);
    } catch (const CLI::CallForVersion&) {
        return Escreve(stdout, TextoVersao()) ? kAceito : kSaidaPerdida;
    } catch (const CLI::CallForHelp&) {
        // Through Escreve, so a Windows console shows the accents too.
        return Escreve(stdout, app.help()) ? kAceito : kSaidaPerdida;
    } catch (const CLI::ParseError& erro) {
        Escreve(stderr, "tavorin-cli: " + EmPortugues(erro, std::vector<std::string>(argv + 1, argv + argc)) +
                            "\n(tavorin-cli --help mostra as operações)\n");
        return kUsoInvalido;
    } catch (const UsoInvalido& erro) {
        Escreve(stderr, "tavorin-cli: " + erro.mensagem + "\n(tavorin-cli --help mostra as operações)\n");
        return kUsoInvalido;
    }

    // The library is loaded before anything is sent, so a missing one is
    // told apart from a silent printer. In place for this scope only: the
    // ports are closed through it however the scope is left.
    DriverLibrary biblioteca;
    const DriverNoLugar driver(&biblioteca);
    if (!biblioteca.Carrega()) {
        Escreve(stderr, "tavorin-cli: " + ExplicaFalhaDoDriver(biblioteca.Falha()) + "\n");
        return kSemBiblioteca;
    }

    // Each exchange as it happens, before the operation's own output.
    if (pedido.registro)
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
    const auto inicio = std::chrono::steady_clock::now();
    Relato relato;
    if (!operacao->procura || Localiza(pedido, relato)) operacao->executa(pedido, relato);
    FechaPortasAbertas();
    if (sinal) Interrompido(relato);
    const long long ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - inicio).count();
    return Mostra(*operacao, pedido, relato, ms);
}

}  // namespace

int main(int argc, char* argv[]) {
    // Before anything loads a library by name (the driver, the system's).
    ProtegeBuscaDeBibliotecas();
    // On Windows the arguments come from the wide command line, turned
    // into the ANSI code page as the windows turn typed text: "?" for a
    // character the code page lacks, never a look-alike.
    const std::vector<std::string> argumentos = ArgumentosDoPrograma(argc, argv);
    std::vector<char*> ponteiros;
    for (const std::string& argumento : argumentos) ponteiros.push_back(const_cast<char*>(argumento.c_str()));
    ponteiros.push_back(nullptr);
    // Whatever goes wrong, the program ends with a status and a message.
    try {
        return Principal(static_cast<int>(argumentos.size()), ponteiros.data());
    } catch (const std::exception& erro) {
        Escreve(stderr, std::string("tavorin-cli: falha interna: ") + erro.what() + "\n");
    } catch (...) {
        Escreve(stderr, "tavorin-cli: falha interna\n");
    }
    return kFalhaInterna;
}
