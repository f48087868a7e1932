// Reading the command line: each operation's arguments, checked before
// anything is sent, and the parser in Portuguese.
#include "linha_de_comando.h"

#include "destino.h"
#include "entrada.h"
#include "execucao.h"
#include "saida.h"
#include "terminal.h"

#include <exception>
#include <functional>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

namespace tavorin::cli {

namespace {

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

// The driver's and the simulated printer's files, by whatever name:
// refused before anything is sent.
void RecusaProtegido(const std::string& arquivo) {
    const std::string protegido = arquivo.empty() ? "" : ArquivoProtegido(arquivo);
    if (protegido.empty()) return;
    const bool peloNome = arquivo.size() >= protegido.size() &&
                          arquivo.compare(arquivo.size() - protegido.size(), protegido.size(), protegido) == 0;
    throw UsoInvalido{"--arquivo não pode ser um arquivo do driver ou da impressora simulada: " + Aspas(arquivo) +
                      (peloNome ? "" : " (leva a " + protegido + ")")};
}

void PreparaMemoria(const Argumentos& a, Pedido& p) {
    const std::string faixa = a.faixa.empty() ? "reducoes" : a.faixa;
    if (faixa != "reducoes" && faixa != "datas")
        throw UsoInvalido{"memoria pede \"reducoes\" ou \"datas\", não " + Aspas(faixa)};
    if (a.comArquivo->count() > 0) p.arquivo = a.arquivo.empty() ? kArquivoLeitura : a.arquivo;
    RecusaProtegido(p.arquivo);
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

void PreparaDiagnostico(const Argumentos& a, Pedido& p) {
    if (p.json) throw UsoInvalido{"diagnostico não tem saída JSON: o relatório é texto"};
    p.arquivo = a.arquivo;
    RecusaProtegido(p.arquivo);
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
        {"diagnostico",
         "Relatório para o suporte: sistema, biblioteca do driver e o que cada porta respondeu a .28 e .23 (nada "
         "é impresso)",
         [](CLI::App& op, Argumentos& a) {
             op.add_option("--arquivo", a.arquivo, "Grava o relatório no arquivo em vez da saída padrão")
                 ->type_name("ARQUIVO");
         },
         PreparaDiagnostico, RelatorioDeDiagnostico, false, {}, true},
    };
    return tabela;
}

// --- the command line ---------------------------------------------------------

// What the parser left unread: an unknown operation or option, or an
// argument too many.
void SemSobras(const std::vector<std::string>& sobras, bool temOperacao) {
    if (sobras.empty()) return;
    const std::string& primeiro = sobras.front();
    if (primeiro.size() > 1 && primeiro[0] == '-')
        throw UsoInvalido{"opção desconhecida: " + Utf8DoArgumento(primeiro)};
    throw UsoInvalido{(temOperacao ? "argumento a mais: " : "operação desconhecida: ") + Utf8DoArgumento(primeiro)};
}

}  // namespace

// By the error's kind. The usual mistakes (an unknown operation or option,
// an argument too many or missing) never reach it: they are told apart
// before, with the text the operator typed.
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

void MontaLinhaDeComando(CLI::App& app, Argumentos& a, Pedido& pedido) {
    app.footer(Rodape());
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

}  // namespace tavorin::cli
