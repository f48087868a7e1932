// tavorin-cli: the printer's operations from a command line, for scripts,
// scheduled tasks and remote shells. The same operations layer and the
// same driver loader as the windows.
#include "driver.h"
#include "driver_library.h"
#include "entrada.h"
#include "identidade.h"
#include "link.h"
#include "operacoes.h"
#include "registro.h"
#include "terminal.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

using namespace tavorin;
using namespace tavorin::cli;

namespace {

// Exit statuses a script can rely on.
enum Saida {
    kAceito = 0,
    kRecusado = 1,      // the printer refused: "ERRO nn"
    kSemResposta = 2,   // no answer, or no printer on the ports tried
    kSemBiblioteca = 3, // the driver library could not be loaded
    kUsoInvalido = 64,  // bad usage: nothing was sent
    kSemArquivo = 73,   // the reading's file could not be written
};

const char* const kRodape = R"(Saída (código de retorno):
  0   aceito pela impressora
  1   recusado pela impressora (a mensagem traz o "ERRO nn" que as janelas mostram)
  2   sem resposta, ou nenhuma impressora nas portas procuradas
  3   a biblioteca do driver (Zub_Dll3) não pôde ser carregada
  64  uso inválido: operação desconhecida, data, faixa, porta ou comando inválidos; nada é enviado
  73  memoria --arquivo: o arquivo não pôde ser gravado (o anterior fica como estava)

Sem --porta a impressora é procurada na porta 1 e depois na 2, como no teste
da janela principal. Os erros vão para a saída de erro.)";

// What the command line asked for.
struct Pedido {
    std::string operacao;
    std::optional<int32_t> porta;
    bool json = false;
    bool registro = false;
    Comando comando;           // the one command of a one-command operation
    Faixa faixa = Faixa::Reducoes;
    std::string inicio, fim;   // memoria: the fields as the printer takes them
    std::string arquivo;       // memoria: empty for printed
};

// One operation's outcome, for the terminal or for JSON.
struct Relato {
    std::optional<Desfecho> desfecho;  // the exchange that decided it
    int saida = kAceito;
    std::string falha;                 // UTF-8, for standard error
    std::vector<std::string> linhas;   // UTF-8, for standard output
    nlohmann::ordered_json dados = nlohmann::ordered_json::object();
};

struct UsoInvalido {
    std::string mensagem;  // UTF-8
};

// What the operator typed, quoted, for a message.
std::string Aspas(const std::string& argumento) { return "\"" + Utf8DoArgumento(argumento) + "\""; }

int SaidaDe(const Desfecho& d) {
    if (d.resultado < 0 || d.status.empty()) return kSemResposta;
    return d.status == "+" ? kAceito : kRecusado;
}

std::string TextoRespostaPresa() {
    return std::string("o arquivo de resposta ") + kArquivoResposta +
           " não pode ser substituído; nada foi enviado à impressora";
}

// The exchange decides the outcome; a failure says why.
void Decide(Relato& r, const Desfecho& d) {
    r.desfecho = d;
    r.saida = SaidaDe(d);
    if (r.saida == kRecusado)
        r.falha = "recusado pela impressora: ERRO " + Utf8DoDriver(d.Codigo());
    else if (d.resultado == kRespostaPresa)
        r.falha = TextoRespostaPresa();
    else if (r.saida == kSemResposta && d.resultado < 0)
        r.falha = "sem resposta da impressora na porta " + std::to_string(Porta) + " (resultado do driver " +
                  std::to_string(d.resultado) + ")";
    else if (r.saida == kSemResposta)
        r.falha = "a impressora não deixou resposta na porta " + std::to_string(Porta);
}

std::string Portas(const std::vector<int32_t>& portas) {
    return portas.size() == 1 ? "na porta " + std::to_string(portas[0]) : "nas portas 1 e 2";
}

// No printer on the ports tried, or none could be asked.
std::string NaoEncontrada(const std::vector<int32_t>& portas) {
    return RespostaPresa() ? TextoRespostaPresa() : "nenhuma impressora respondeu " + Portas(portas);
}

std::vector<int32_t> PortasDoPedido(const Pedido& p) {
    return p.porta ? std::vector<int32_t>{*p.porta} : std::vector<int32_t>{1, 2};
}

// The port to work on: the one given, or the first that answers the
// probe, closed again as the printer test leaves it.
bool Localiza(const Pedido& p, Relato& r) {
    if (p.porta) {
        Porta = *p.porta;
        return true;
    }
    for (int32_t porta : PortasDoPedido(p)) {
        if (AbreImpressora(porta) >= 0) {
            Fecha(porta);
            return true;
        }
    }
    r.saida = kSemResposta;
    r.falha = NaoEncontrada(PortasDoPedido(p));
    return false;
}

void Testa(const Pedido& p, Relato& r) {
    const TesteImpressora teste = TestaImpressora(PortasDoPedido(p));
    if (!teste.encontrada) {
        r.saida = kSemResposta;
        r.falha = NaoEncontrada(PortasDoPedido(p));
        return;
    }
    const std::string reducao = PalavraReducao(teste.reducao), leituraX = PalavraLeituraX(teste.leituraX);
    r.linhas = {"Porta: com " + std::to_string(teste.porta), "Relógio da Impressora: " + Utf8DoDriver(teste.relogio),
                "Redução: " + reducao, "Primeira LX: " + leituraX, "Papel: " + PalavraPapel(teste.papel),
                "On Line: " + PalavraLinha(teste.papel)};
    r.dados = {{"porta", teste.porta},     {"relogio", Utf8DoCp1252(teste.relogio)},
               {"reducao", reducao},       {"leitura_x", leituraX},
               {"papel", PalavraPapel(teste.papel)}, {"linha", PalavraLinha(teste.papel)}};
    Decide(r, teste.status);
    if (r.saida == kAceito && teste.papel.semResposta) {
        Decide(r, teste.papel.consulta);
        r.saida = kSemResposta;
    }
}

void Contadores_(Relato& r) {
    const Contadores c = LeContadores();
    r.linhas = {"COO: " + Utf8DoDriver(c.coo), "CCF: " + Utf8DoDriver(c.ccf)};
    r.dados = {{"coo", Utf8DoCp1252(c.coo)}, {"ccf", Utf8DoCp1252(c.ccf)}};
    Decide(r, c.consultaCOO);
    if (r.saida == kAceito) Decide(r, c.consultaCCF);
}

void Memoria(const Pedido& p, Relato& r) {
    const bool terminal = !p.arquivo.empty() && EhTerminal(stderr);
    AoLer ao;
    int mostrados = 0;
    if (terminal)
        ao.aposBloco = [&](int blocos) {
            Escreve(stderr, "\rblocos recebidos: " + std::to_string(blocos));
            mostrados = blocos;
        };
    const LeituraMemoria leitura = LeMemoria(ComandoLeitura(p.faixa, p.inicio, p.fim, !p.arquivo.empty()), p.arquivo, ao);
    if (mostrados) Escreve(stderr, "\n");
    if (p.arquivo.empty() || !leitura.gravacao) {
        Decide(r, leitura.comando);
        if (r.saida == kAceito) r.linhas = {Utf8DoDriver(leitura.comando.resposta)};
        return;
    }
    const std::string nome = Utf8DoArgumento(p.arquivo);
    r.dados = {{"arquivo", nome}, {"blocos", leitura.blocos}};
    switch (*leitura.gravacao) {
        case Gravacao::Gravada:
            r.desfecho = leitura.comando;
            r.linhas = {"Arquivo " + nome + " gravado (" + std::to_string(leitura.blocos) + " blocos)"};
            break;
        case Gravacao::Interrompida:
            Decide(r, leitura.ultima);
            r.falha = "leitura interrompida após " + std::to_string(leitura.blocos) + " blocos, " + nome +
                      " não foi alterado: " + r.falha;
            break;
        case Gravacao::FalhaNoArquivo:
            r.desfecho = leitura.comando;
            r.saida = kSemArquivo;
            r.falha = "não foi possível gravar o arquivo " + nome + ": " + Utf8DoArgumento(leitura.erroArquivo);
            break;
    }
}

Relato Executa(const Pedido& p) {
    Relato r;
    if (p.operacao == "testa") {
        Testa(p, r);
        return r;
    }
    if (!Localiza(p, r)) return r;
    if (p.operacao == "contadores") {
        Contadores_(r);
    } else if (p.operacao == "memoria") {
        Memoria(p, r);
    } else {
        const Desfecho d = UmComando(p.comando);
        Decide(r, d);
        if (p.operacao == "relogio") {
            if (r.saida == kAceito) r.linhas = {Utf8DoDriver(TextoRelogio())};
            r.dados = {{"relogio", Utf8DoCp1252(TextoRelogio())}};
        } else if (r.saida == kAceito || p.operacao == "envia") {
            // A hand-typed command's answer is shown whatever it says.
            r.linhas = {Utf8DoDriver(d.resposta)};
        }
    }
    return r;
}

nlohmann::ordered_json ComoJson(const Pedido& p, const Relato& r, long long ms) {
    nlohmann::ordered_json j = {{"operacao", p.operacao}, {"saida", r.saida}, {"ms", ms}};
    if (r.desfecho) {
        j["comando"] = Utf8DoCp1252(r.desfecho->comando.texto);
        j["espera"] = r.desfecho->comando.espera;
        j["resultado"] = r.desfecho->resultado;
        j["resposta"] = Utf8DoCp1252(r.desfecho->resposta);
        j["status"] = Utf8DoCp1252(r.desfecho->status);
        j["erro"] = Utf8DoCp1252(r.desfecho->Codigo());
    } else {
        for (const char* chave : {"comando", "espera", "resultado", "resposta", "status", "erro"}) j[chave] = nullptr;
    }
    j["falha"] = r.falha.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(r.falha);
    for (const auto& [chave, valor] : r.dados.items()) j[chave] = valor;
    return j;
}

// --- the command line ---------------------------------------------------------

std::string Reducao(const std::string& texto, const char* qual) {
    const auto numero = NormalizaNumero(texto);
    if (!numero || numero->size() != 4 || (*numero)[0] == '-')
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

struct Argumentos {
    std::string porta, faixa = "reducoes", inicio, fim, arquivo, data, hora, sentido, comando, espera;
};

void Completa(Pedido& p, const Argumentos& a, bool arquivo) {
    if (!a.porta.empty()) p.porta = Inteiro(a.porta, 1, 8, "porta");
    const std::string& op = p.operacao;
    if (op == "leitura-x") p.comando = kLeituraX;
    if (op == "reducao-z") p.comando = kReducaoZ;
    if (op == "gaveta") p.comando = kGaveta;
    if (op == "relogio") p.comando = kStatus;
    if (op == "acerta") {
        const auto hora = NormalizaHora(a.hora);
        if (!hora) throw UsoInvalido{"hora inválida: " + Aspas(a.hora) + " (hh:mm:ss)"};
        DataValida(a.data, "data");
        p.comando = ComandoAcertaRelogio(*hora, *NormalizaData(a.data));
    }
    if (op == "verao") {
        if (a.sentido != "entra" && a.sentido != "sai")
            throw UsoInvalido{"verao pede \"entra\" ou \"sai\", não " + Aspas(a.sentido)};
        p.comando = ComandoVerao(a.sentido == "entra");
    }
    if (op == "envia") {
        const std::string bytes = DriverDoArgumento(a.comando);
        if (bytes.size() > kTamanhoMaximoComando)
            throw UsoInvalido{"comando com " + std::to_string(bytes.size()) + " caracteres; o driver aceita até " +
                              std::to_string(kTamanhoMaximoComando)};
        p.comando = ComandoLivre(bytes, a.espera.empty() ? kEsperaStatus : Inteiro(a.espera, 0, 32767, "espera"));
    }
    if (op == "memoria") {
        if (a.faixa != "reducoes" && a.faixa != "datas")
            throw UsoInvalido{"memoria pede \"reducoes\" ou \"datas\", não " + Aspas(a.faixa)};
        if (arquivo) p.arquivo = a.arquivo.empty() ? "LeitM.txt" : a.arquivo;
        if (a.faixa == "reducoes") {
            p.faixa = Faixa::Reducoes;
            p.inicio = Reducao(a.inicio.empty() ? "0001" : a.inicio, "início");
            p.fim = Reducao(a.fim.empty() ? "1000" : a.fim, "fim");
            if (p.fim < p.inicio) throw UsoInvalido{"a faixa começa depois de terminar: " + p.inicio + " a " + p.fim};
        } else {
            p.faixa = Faixa::Datas;
            const std::string inicio = a.inicio.empty() ? "01/01/00" : a.inicio, fim = a.fim.empty() ? "30/12/10" : a.fim;
            const Data primeira = DataValida(inicio, "data inicial"), ultima = DataValida(fim, "data final");
            if (ultima < primeira)
                throw UsoInvalido{"a faixa começa depois de terminar: " + Aspas(inicio) + " a " + Aspas(fim)};
            p.inicio = *DataSeisDigitos(inicio);
            p.fim = *DataSeisDigitos(fim);
        }
    }
}

// CLI11 words its errors in English; the rest of the program speaks
// Portuguese, so the usual ones are put in the operator's words.
std::string EmPortugues(const CLI::ParseError& erro) {
    const std::string texto = erro.what();
    const auto depois = [&texto](const std::string& marca) {
        const std::size_t onde = texto.find(marca);
        return onde == std::string::npos ? std::string() : texto.substr(onde + marca.size());
    };
    if (dynamic_cast<const CLI::ExtrasError*>(&erro)) {
        const std::string resto = depois(": ");
        return "argumento a mais: " + (resto.empty() ? texto : resto);
    }
    if (dynamic_cast<const CLI::RequiredError*>(&erro)) {
        const std::size_t fim = texto.find(" is required");
        if (fim != std::string::npos) return "falta o argumento " + texto.substr(0, fim);
    }
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&erro)) {
        const std::size_t fim = texto.find(':');
        if (fim != std::string::npos) return texto.substr(0, fim) + " pede um valor";
    }
    return "argumentos inválidos: " + texto;
}

// Tavorin's version and the driver library it would load, by the same
// search as every operation.
std::string TextoVersao() {
    DriverLibrary biblioteca;
    const bool carregou = biblioteca.Carrega();
    std::vector<std::string> linhas = DescreveVersao(carregou ? biblioteca.Carregado() : std::string());
    if (!carregou && !biblioteca.Falha().funcao.empty())
        linhas.back() = "Biblioteca do driver sem a função " + biblioteca.Falha().funcao + ": " + biblioteca.Falha().arquivo;
    std::string texto;
    for (const std::string& linha : linhas) texto += linha + "\n";
    return texto;
}

}  // namespace

int main(int argc, char* argv[]) {
    CLI::App app{"tavorin-cli: as operações da impressora fiscal, sem janelas, pelo mesmo driver (Zub_Dll3).",
                 "tavorin-cli"};
    app.footer(kRodape);
    app.require_subcommand(1);
    app.fallthrough();
    for (const auto& [chave, texto] : std::vector<std::pair<const char*, const char*>>{
             {"Usage", "Uso"}, {"OPTIONS", "OPÇÕES"}, {"SUBCOMMAND", "OPERAÇÃO"}, {"Positionals", "Argumentos"},
             {"REQUIRED", "OBRIGATÓRIO"}, {"TEXT", "TEXTO"}})
        app.get_formatter()->label(chave, texto);
    app.option_defaults()->group("Opções");
    app.set_help_flag("-h,--help", "Mostra esta ajuda e sai");
    app.set_version_flag("--version", std::function<std::string()>([] { return std::string(); }),
                         "Mostra a versão do Tavorin e a biblioteca do driver que ele carregaria");

    Pedido pedido;
    Argumentos a;
    app.add_option("--porta", a.porta, "Porta da impressora, de 1 a 8, em vez de procurá-la nas portas 1 e 2")->type_name("N");
    app.add_flag("--json", pedido.json, "Um objeto JSON por operação na saída padrão");
    app.add_flag("--registro", pedido.registro, "Mostra cada troca com o driver na saída de erro, quando acontece");

    app.add_subcommand("testa", "Teste da impressora: porta, relógio, Redução Z e primeira Leitura X, papel e linha");
    app.add_subcommand("leitura-x", "Leitura X");
    app.add_subcommand("reducao-z", "Redução Z");
    app.add_subcommand("gaveta", "Abre a gaveta");
    app.add_subcommand("contadores", "Lê os contadores COO e CCF");
    CLI::App* memoria = app.add_subcommand("memoria", "Leitura da memória fiscal, impressa ou em arquivo");
    memoria->add_option("faixa", a.faixa, "reducoes (padrão) ou datas");
    memoria->add_option("inicio", a.inicio, "Início: redução (padrão 0001) ou data dd/mm/aa (padrão 01/01/00)");
    memoria->add_option("fim", a.fim, "Fim: redução (padrão 1000) ou data dd/mm/aa (padrão 30/12/10)");
    CLI::Option* arquivo = memoria->add_option("--arquivo", a.arquivo, "Grava a leitura no arquivo (padrão LeitM.txt)")
                               ->expected(0, 1)
                               ->type_name("[ARQUIVO]");
    app.add_subcommand("relogio", "Mostra o relógio da impressora");
    CLI::App* acerta = app.add_subcommand("acerta", "Acerta a data e a hora da impressora");
    acerta->add_option("data", a.data, "dd/mm/aa")->required();
    acerta->add_option("hora", a.hora, "hh:mm:ss")->required();
    CLI::App* verao = app.add_subcommand("verao", "Entra no horário de verão ou sai dele");
    verao->add_option("sentido", a.sentido, "entra ou sai")->required();
    CLI::App* envia = app.add_subcommand("envia", "Envia um comando digitado, exatamente como escrito");
    envia->add_option("comando", a.comando, "O comando, por exemplo .28")->required();
    envia->add_option("--espera", a.espera, "Limite de espera passado ao driver (padrão 10)")->type_name("N");
    for (CLI::App* operacao : app.get_subcommands({})) {
        operacao->group("Operações");
        if (CLI::Option* ajuda = operacao->get_help_ptr()) ajuda->group("Opções");
    }

    try {
        app.parse(argc, argv);
        pedido.operacao = app.get_subcommands().front()->get_name();
        Completa(pedido, a, arquivo->count() > 0);
    } catch (const CLI::CallForVersion&) {
        Escreve(stdout, TextoVersao());
        return 0;
    } catch (const CLI::CallForHelp&) {
        // Through Escreve, so a Windows console shows the accents too.
        Escreve(stdout, app.help());
        return 0;
    } catch (const CLI::ParseError& erro) {
        std::string mensagem = EmPortugues(erro);
        if (app.get_subcommands().empty()) {
            const std::vector<std::string> resto = app.remaining();
            mensagem = resto.empty() ? "falta a operação" : "operação desconhecida: " + Utf8DoArgumento(resto.front());
        }
        Escreve(stderr, "tavorin-cli: " + mensagem + "\n(tavorin-cli --help mostra as operações)\n");
        return kUsoInvalido;
    } catch (const UsoInvalido& erro) {
        Escreve(stderr, "tavorin-cli: " + erro.mensagem + "\n");
        return kUsoInvalido;
    }

    // The library is loaded before anything is sent, so a missing one is
    // told apart from a silent printer.
    DriverLibrary biblioteca;
    InstalaDriver(&biblioteca);
    if (!biblioteca.Carrega()) {
        const FalhaDriver falha = biblioteca.Falha();
        Escreve(stderr, "tavorin-cli: biblioteca do driver " +
                            (falha.funcao.empty() ? "não encontrada: " : "sem a função " + falha.funcao + ": ") +
                            Utf8DoArgumento(falha.arquivo) + "\n");
        return kSemBiblioteca;
    }

    // Each exchange as it happens, before the operation's own output.
    if (pedido.registro)
        ObservaTrocas([](const Troca& troca) { Escreve(stderr, Utf8DoDriver(DescreveTroca(troca)) + "\n"); });

    const auto inicio = std::chrono::steady_clock::now();
    const Relato relato = Executa(pedido);
    FechaPortasAbertas();
    const long long ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - inicio).count();
    InstalaDriver(nullptr);

    if (pedido.json) {
        Escreve(stdout, ComoJson(pedido, relato, ms).dump() + "\n", true);
    } else {
        std::string texto;
        for (const std::string& linha : relato.linhas) texto += linha + "\n";
        Escreve(stdout, texto);
    }
    if (!relato.falha.empty()) Escreve(stderr, "tavorin-cli: " + relato.falha + "\n");
    return relato.saida;
}
