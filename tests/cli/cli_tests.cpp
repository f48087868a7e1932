// tavorin-cli run as a script runs it, on the simulated printer beside it:
// exit statuses, what goes to standard output and error, --json read
// back, a reading to a file byte for byte, and bad input refused before
// anything reaches the printer.
#include "ambiente_teste.h"
#include "arquivo_resposta.h"
#include "codigos.h"
#include "driver_library.h"
#include "identidade.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <regex>
#include <set>

#if defined(_WIN32)
#include "texto_windows.h"
#else
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace tavorin {
namespace {

using namespace teste;
namespace fs = std::filesystem;

struct Execucao {
    int saida = -1;
    std::string padrao, erros;
};

// The program, standard input with no terminal behind it, and text output
// redirected to a file as UTF-8 (on Windows it is in the ANSI code page).
#if defined(_WIN32)
const char* const kPrograma = "tavorin-cli.exe";
const char* const kSemTerminal = "NUL";
std::string DoTexto(const std::string& saida) { return Estreito(Largo(saida, CP_ACP), CP_UTF8); }
#else
const char* const kPrograma = "tavorin-cli";
const char* const kSemTerminal = "/dev/null";
std::string DoTexto(const std::string& saida) { return saida; }
#endif

class Cli : public ::testing::Test {
protected:
    void SetUp() override { AmbienteDoSimulador(pasta.Caminho()); }

    // `variavel` as NAME=value, for this run only.
    Execucao Roda(const std::string& argumentos, const std::string& variavel = "",
                  const std::string& programa = PastaDoPrograma() + kPrograma) {
        const std::string nome = variavel.substr(0, variavel.find('='));
        if (!variavel.empty()) PoeAmbiente(nome.c_str(), variavel.substr(nome.size() + 1).c_str());
        const std::string citado = programa.find(' ') == std::string::npos ? programa : '"' + programa + '"';
        // Beside the test's folder, wherever the program runs.
        const fs::path padrao = pasta.Caminho() / "cli-saida.txt", erros = pasta.Caminho() / "cli-erros.txt";
        int saida = std::system((citado + " " + argumentos + " >\"" + padrao.string() + "\" 2>\"" + erros.string() + "\"").c_str());
#if !defined(_WIN32)
        saida = WIFEXITED(saida) ? WEXITSTATUS(saida) : -1;
#endif
        if (!variavel.empty()) PoeAmbiente(nome.c_str(), nullptr);
        Execucao e{saida, LeArquivo(padrao), LeArquivo(erros)};
#if defined(_WIN32)
        // Text written to a Windows file ends its lines CR LF; messages
        // are in the ANSI code page.
        for (std::string* texto : {&e.padrao, &e.erros})
            for (std::size_t i; (i = texto->find("\r\n")) != std::string::npos;) texto->erase(i, 1);
        e.erros = DoTexto(e.erros);
#endif
        return e;
    }
    DiretorioTemporario pasta;
    const std::string programa = PastaDoPrograma() + kPrograma, biblioteca = PastaDoPrograma() + kBibliotecaDriver;
    // The program alone, no library beside it, once copied there.
    const std::string semBiblioteca = (pasta.Caminho() / kPrograma).string();
};

// Exit statuses in turn on one printer: 0 with the result alone on
// standard output, 1 with the printer's "ERRO nn", 2 with no printer or no
// answer (what each port answered: a printer whose memory cannot be read
// answers ERRO 06), each with its reason on standard error; 64 refused in the
// program's words, nothing sent (no answer file): each kind of mistake,
// the parser's own among them, a file that leads to the driver's or the
// simulated printer's by another name (which names lead there is the
// operations' test's).
TEST_F(Cli, ExitStatuses) {
    GravaArquivo(kArquivoTrava, "");
    fs::create_hard_link(kArquivoTrava, "copia.txt");
    fs::create_directory("estragado");
    GravaArquivo("estragado/ZubSim-estado.txt", "estragado");
    const struct {
        std::string variaveis, argumentos;
        int saida;
        std::string padrao, erros;  // their start; "" for none at all
    } casos[] = {
        {"", "testa", 0, "Porta: com 1\n", ""},
        {"ZUBSIM_PORTA=2", "testa", 0, "Porta: com 2\n", ""},
        {"ZUBSIM_PORTA=2", "--porta 2 leitura-x", 0, "@+13", ""},
        {"", "reducao-z --confirma", 0, "@+14", ""},
        {"", "reducao-z --confirma", 1, "", "tavorin-cli: recusado pela impressora: ERRO 13"},
        {"", "envia .99", 1, "@-99", "tavorin-cli: recusado pela impressora: ERRO 01"},
        {"", "contadores", 0, "COO: 0002\nCCF: 0000\n", ""},
        {"", "memoria datas 01/12/29 31/01/30", 0, "@+16", ""},
        {"ZUBSIM_PORTA=0", "testa", 2, "",
         "tavorin-cli: nenhuma impressora respondeu nas portas 1 e 2 (porta 1: sem resposta; porta 2: sem resposta)"},
        {"ZUBSIM_PORTA=2", "--porta 1 relogio", 2, "", "tavorin-cli: sem resposta da impressora na porta 1"},
        {"ZUBSIM_DIR=estragado", "testa", 2, "",
         "tavorin-cli: nenhuma impressora pronta nas portas 1 e 2 (porta 1: ERRO 06; porta 2: sem resposta)"},
        {"", "foo", 64, "", "tavorin-cli: operação desconhecida: foo"},
        {"", "", 64, "", "tavorin-cli: falta a operação"},
        {"", "testa mais", 64, "", "tavorin-cli: argumento a mais: mais"},
        {"", "--depressa testa", 64, "", "tavorin-cli: opção desconhecida: --depressa"},
        {"", "acerta 01/02/24", 64, "", "tavorin-cli: falta o argumento hora"},
        {"", "testa --porta", 64, "", "tavorin-cli: a opção --porta pede um valor"},
        {"", "--json=talvez testa", 64, "", "tavorin-cli: valor que a opção não aceita"},
        {"", "acerta 31/02/24 10:00", 64, "", "tavorin-cli: data inválida"},
        {"", "acerta 01/02/24 24:00", 64, "", "tavorin-cli: hora inválida"},
        {"", "memoria datas 01/01/1999 31/12/2005", 64, "", "tavorin-cli: data inicial inválida"},
        {"", "memoria datas 02/01/24 01/01/24", 64, "", "tavorin-cli: a faixa começa depois de terminar"},
        {"", "memoria reducoes 0010 0005", 64, "", "tavorin-cli: a faixa começa depois de terminar"},
        {"", "memoria reducoes 1,5 3", 64, "", "tavorin-cli: início da faixa de reduções inválido: \"1,5\""},
        {"", "memoria reducoes 1 10000", 64, "", "tavorin-cli: fim da faixa"},
        {"", "--porta 9 testa", 64, "", "tavorin-cli: porta inválida"},
        {"", "--porta 0 relogio", 64, "", "tavorin-cli: porta inválida"},
        {"", "verao talvez", 64, "", "tavorin-cli: verao pede"},
        {"", "envia ." + std::string(255, '9'), 64, "", "tavorin-cli: comando com 256 caracteres; o driver aceita até 255"},
        {"", "envia .28 --espera 40000", 64, "", "tavorin-cli: espera inválida"},
        {"", "memoria --arquivo copia.txt", 64, "",
         "tavorin-cli: --arquivo não pode ser um arquivo do driver ou da impressora simulada: \"copia.txt\" (leva a "
         "RespZub.txt.trava)"},
        {"", std::string("reducao-z <") + kSemTerminal, 64, "", "tavorin-cli: reducao-z sem terminal para confirmar: use --confirma"},
        {"", "--json diagnostico", 64, "", "tavorin-cli: diagnostico não tem saída JSON"},
        {"", "diagnostico --arquivo ZubSim-estado.txt", 64, "",
         "tavorin-cli: --arquivo não pode ser um arquivo do driver ou da impressora simulada"},
    };
    for (const auto& caso : casos) {
        fs::remove(kArquivoResposta);
        const Execucao e = Roda(caso.argumentos, caso.variaveis);
        EXPECT_EQ(e.saida, caso.saida) << caso.argumentos << "\n" << e.erros;
        EXPECT_EQ(caso.padrao.empty() ? e.padrao : e.padrao.substr(0, caso.padrao.size()), caso.padrao) << caso.argumentos;
        EXPECT_EQ(caso.erros.empty() ? e.erros : e.erros.substr(0, caso.erros.size()), caso.erros) << caso.argumentos;
        EXPECT_TRUE(caso.saida != 64 || !fs::exists(kArquivoResposta)) << caso.argumentos;
    }
}

// --registro: every exchange on standard error as it happens, the result
// alone on standard output. An answer file that cannot be removed holds on
// every port: no answer is taken, and that is told, not "no printer".
TEST_F(Cli, ExchangeLogAndAnUnreplaceableAnswerFile) {
    const Execucao e = Roda("--registro --porta 1 gaveta");
    EXPECT_EQ(e.saida, 0);
    EXPECT_EQ(e.padrao.substr(0, 4), "@+21");
    EXPECT_EQ(std::count(e.erros.begin(), e.erros.end(), '\n'), 1) << e.erros;
    EXPECT_NE(e.erros.find("\".21\""), std::string::npos) << e.erros;
    fs::remove(kArquivoResposta);
    fs::create_directories("RespZub.txt/x");
    const Execucao presa = Roda("testa");
    EXPECT_EQ(presa.saida, 2);
    EXPECT_NE(presa.erros.find("RespZub.txt"), std::string::npos) << presa.erros;
    EXPECT_EQ(presa.erros.find("nenhuma impressora"), std::string::npos) << presa.erros;
}

// One object per operation, 8-bit answers as UTF-8; a failed operation's
// own fields are null, not made of an empty answer. A read-only LeitM.txt
// (root included) cannot take the reading: exit 73, the file as it was; a
// file name that is not UTF-8 still gets its JSON. A reading to the file
// is told with its blocks, a line each.
TEST_F(Cli, JsonAndReadingToFile) {
    GravaArquivo("LeitM.txt", "anterior\r\n");
    fs::permissions("LeitM.txt", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const struct {
        const char *variaveis, *argumentos, *campos;  // the fields that must be so
    } casos[] = {
        {"", "testa",
         R"({"saida":0,"comando":".28","espera":10,"resultado":0,"status":"+","reducao":"Não Efetuada","papel":"Com Papel"})"},
        {"", "envia \".1500011000#\" --espera 100", R"({"resposta":"@+0001LEITURA DA MEMÓRIA FISCAL}","espera":100,"erro":null})"},
        {"ZUBSIM_MUDA=1", "--porta 1 relogio", R"({"saida":2,"relogio":null,"erro":null})"},
        {"ZUBSIM_PORTA=0", "testa", R"({"papel":null})"},
        {"", "verao sai", R"({"saida":1,"comando":".36N","erro":"11","falha":"recusado pela impressora: ERRO 11"})"},
        {"", "memoria --arquivo",
         R"({"saida":73,"falha":"não foi possível gravar o arquivo LeitM.txt: arquivo somente para leitura"})"},
#if !defined(_WIN32)
        {"", "memoria --arquivo '\xFF.txt'", R"({"saida":0})"},
#endif
    };
    for (const auto& caso : casos) {
        const Execucao e = Roda(std::string("--json ") + caso.argumentos, caso.variaveis);
        const nlohmann::json json = nlohmann::json::parse(e.padrao), campos = nlohmann::json::parse(caso.campos);
        // A field missing from the output reads as "(missing)", never as null.
        const auto campo = [&json](const std::string& nome) { return json.contains(nome) ? json.at(nome) : "(missing)"; };
        for (const auto& esperado : campos.items())
            EXPECT_EQ(campo(esperado.key()), esperado.value()) << caso.argumentos << ": " << esperado.key();
        EXPECT_EQ(campo("saida"), e.saida) << caso.argumentos;
        EXPECT_TRUE(campo("ms").is_number_integer()) << caso.argumentos;
        // testa's clock, as the printer keeps it.
        const nlohmann::json relogio = json.value("relogio", nlohmann::json());
        EXPECT_TRUE(!relogio.is_string() || relogio.get<std::string>().rfind("Horario Normal ", 0) == 0) << relogio;
    }
    EXPECT_EQ(LeArquivo("LeitM.txt"), "anterior\r\n");
#if !defined(_WIN32)
    EXPECT_TRUE(fs::exists("\xFF.txt"));
#endif
    fs::permissions("LeitM.txt", fs::perms::owner_write, fs::perm_options::add);
    const Execucao e = Roda("memoria reducoes 1 9999 --arquivo");
    const std::string arquivo = LeArquivo("LeitM.txt");
    const auto linhas = std::count(arquivo.begin(), arquivo.end(), '\n');
    EXPECT_EQ(e.padrao, "Arquivo LeitM.txt gravado (" + std::to_string(linhas) + " blocos)\n") << e.erros;
}

#if !defined(_WIN32)
// tavorin-cli started with Ctrl+C's default action (a background shell
// would ignore it), its output in saida.txt and erros.txt. Only calls safe
// after fork until exec.
pid_t Lanca(std::vector<const char*> argumentos) {
    const std::string programa = PastaDoPrograma() + kPrograma;
    argumentos.insert(argumentos.begin(), programa.c_str());
    argumentos.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(open("saida.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
        dup2(open("erros.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
        signal(SIGINT, SIG_DFL);
        execv(programa.c_str(), const_cast<char* const*>(argumentos.data()));
        _exit(127);
    }
    return pid;
}

// Beside another program's exchange a command waits for the folder, and
// the first Ctrl+C ends the wait at once: nothing sent, exit 130, and the
// message says so. A signal while the printer works never cuts the
// exchange short: when it was the operation's last, its outcome is told as
// usual (a Redução Z the printer made is no failure); when it kept the next
// command from being sent, exit 130 or 143 says what had been sent. (A
// reading stopped so goes the operations' way for a stop asked between
// blocks, whose test holds the file and the port.)
TEST_F(Cli, SignalsFinishTheExchangeUnderWay) {
    const struct {
        const char* segura;  // nullptr: another program holds the folder
        std::vector<const char*> argumentos;
        int sinal, saida;
        const char* padrao;  // contained
        const char* erros;   // contained
    } casos[] = {
        {nullptr, {"--json", "--porta", "1", "envia", ".28"}, SIGINT, 130,
         R"("falha":"interrompido por Ctrl+C (SIGINT): nada foi enviado")", ""},
        {".14", {"reducao-z", "--confirma"}, SIGINT, 0, "@+14",
         "tavorin-cli: aviso: Ctrl+C (SIGINT) recebido; a troca em andamento foi concluída"},
        {".28", {"testa"}, SIGINT, 130, "",
         "tavorin-cli: interrompido por Ctrl+C (SIGINT): já enviado: .28 (aceito); nada mais foi enviado"},
        {".++", {"--porta", "1", "memoria", "--arquivo"}, SIGTERM, 143, "", "tavorin-cli: interrompido por SIGTERM"},
    };
    for (const auto& caso : casos) {
        // Held inside TXRX, or signalled once it opens the folder's lock
        // to wait for it (a minute at most, should it never come).
        std::optional<SeguraNoSimulador> segura;
        std::optional<TravaDePasta> outra;
        if (caso.segura) segura.emplace(pasta.Caminho(), caso.segura);
        else outra.emplace(kArquivoTrava, std::chrono::milliseconds(0));
        const int aberturas = inotify_init1(IN_CLOEXEC);
        ASSERT_GE(inotify_add_watch(aberturas, kArquivoTrava, IN_OPEN), 0);
        const pid_t pid = Lanca(caso.argumentos);
        ASSERT_GT(pid, 0);
        pollfd aberto{aberturas, POLLIN, 0};
        ASSERT_TRUE(segura ? segura->EsperaChegar() : poll(&aberto, 1, -1) == 1);
        close(aberturas);
        kill(pid, caso.sinal);
        if (segura) segura->Solta();
        int estado = 0;
        waitpid(pid, &estado, 0);
        EXPECT_EQ(WIFEXITED(estado) ? WEXITSTATUS(estado) : -1, caso.saida) << LeArquivo("erros.txt");
        EXPECT_NE(LeArquivo("saida.txt").find(caso.padrao), std::string::npos) << LeArquivo("saida.txt");
        EXPECT_NE(LeArquivo("erros.txt").find(caso.erros), std::string::npos) << LeArquivo("erros.txt");
    }
}

// Exit 74: the result could not be written.
TEST_F(Cli, OutputThatCannotBeWritten) {
    const int saida = std::system((programa + " --json contadores >/dev/full 2>erros.txt").c_str());
    EXPECT_EQ(WEXITSTATUS(saida), 74);
    EXPECT_NE(LeArquivo("erros.txt").find("a saída padrão não pôde ser escrita"), std::string::npos);
}

// The README and the manual page list every exit status the program has,
// and no other. (The same documents on every platform: read once, where
// the sources are.)
TEST(CliDocumentos, ExitStatusesAsTheProgramHasThem) {
    std::multiset<int> codigos;
    for (const cli::CodigoDeRetorno& c : cli::kCodigosDeRetorno) codigos.insert(c.codigos.begin(), c.codigos.end());
    // Each document's section, from its start to its end, and a status's
    // label there (the statuses in its first group).
    const std::array<const char*, 4> documentos[] = {
        {"README.md", "\nExit statuses:\n\n", "\n\n", R"(\n\| ([0-9, ]+) \|)"},
        {"packaging/linux/tavorin-cli.1", "\n.SH EXIT STATUS\n", "\n.SH ", R"(\n\.TP\n\.BR? ([0-9", ]+)\n)"},
    };
    for (const auto& [arquivo, inicio, fim, rotulo] : documentos) {
        const std::string texto = LeArquivo(fs::path(TAVORIN_FONTES) / arquivo);
        const std::size_t comeco = texto.find(inicio);
        ASSERT_NE(comeco, std::string::npos) << arquivo;
        const std::string secao = texto.substr(comeco, texto.find(fim, comeco + std::strlen(inicio)) - comeco) + "\n";
        std::string estados;
        const std::regex rotulos(rotulo), numero("[0-9]+");
        for (auto r = std::sregex_iterator(secao.begin(), secao.end(), rotulos); r != std::sregex_iterator(); ++r)
            estados += (*r)[1].str() + ",";
        std::multiset<int> listados;
        for (auto n = std::sregex_iterator(estados.begin(), estados.end(), numero); n != std::sregex_iterator(); ++n)
            listados.insert(std::stoi(n->str()));
        EXPECT_EQ(listados, codigos) << arquivo;
    }
}
#else
// Arguments from the wide command line: a character the ANSI code page
// lacks reaches the printer as "?", as from the windows, not as a look-alike.
TEST_F(Cli, WideArgumentsAsTheWindowsSendThem) {
    const std::wstring programa = Largo(PastaDoPrograma() + kPrograma, CP_ACP);
    const int saida = _wsystem((L"\"\"" + programa + L"\" --json envia \".2\u2192\" >saida.txt\"").c_str());
    EXPECT_EQ(saida, 1);
    EXPECT_EQ(nlohmann::json::parse(LeArquivo("saida.txt"))["comando"], ".2?");
}
#endif

// The technician's report on the simulated printer: the ports in turn
// until one answers ".28", the library fingerprinted, the exit status as
// testa's; on standard output or in a file; without a library still
// written, with no port tried.
TEST_F(Cli, DiagnosticReport) {
    fs::copy_file(programa, semBiblioteca);
    const struct {
        std::string variaveis, argumentos, programa;
        int saida;
        std::vector<std::string> linhas, ausentes;
    } casos[] = {
        {"", "diagnostico", programa, 0,
         {"Resultado: impressora encontrada na porta 1", "Procurada em 1º lugar: " + biblioteca + ": carregada",
          "SHA-256: " + IdentificaArquivo(biblioteca).sha256, ".28 fim de linha: CR LF", ".28 status: \"+\"",
          ".23 desfecho: aceito", "Fecha: resultado 0"},
         {"== Porta 2 =="}},
        {"ZUBSIM_PORTA=2", "diagnostico", programa, 0,
         {"Resultado: impressora encontrada na porta 2", "== Porta 1 ==", ".28 desfecho: sem resposta", "== Porta 2 =="}, {}},
        {"ZUBSIM_PORTA=0", "--porta 2 diagnostico --arquivo relatorio.txt", programa, 2,
         {"Resultado: nenhuma impressora respondeu ao .28 (porta 2: sem resposta)", "== Porta 2 =="}, {"== Porta 1 =="}},
        {"", "diagnostico", semBiblioteca, 3,
         {"Resultado: biblioteca do driver não encontrada: " + std::string(kBibliotecaDriver)}, {"== Porta"}},
    };
    for (const auto& caso : casos) {
        const Execucao e = Roda(caso.argumentos, caso.variaveis, caso.programa);
        EXPECT_EQ(e.saida, caso.saida) << caso.argumentos << "\n" << e.erros;
        std::string relatorio = e.padrao;
        if (caso.argumentos.find("--arquivo") != std::string::npos) {
            EXPECT_EQ(DoTexto(e.padrao), "Diagnóstico gravado em relatorio.txt\n");
            relatorio = LeArquivo("relatorio.txt");
            for (std::size_t i; (i = relatorio.find("\r\n")) != std::string::npos;) relatorio.erase(i, 1);
        }
        EXPECT_EQ(relatorio.rfind("Diagnóstico do Tavorin\n", 0), 0u) << relatorio;
        for (const std::string& linha : caso.linhas)
            EXPECT_NE(relatorio.find("\n" + linha), std::string::npos) << linha << "\n" << relatorio;
        for (const std::string& ausente : caso.ausentes) EXPECT_EQ(relatorio.find(ausente), std::string::npos) << ausente;
        // The outcome on standard error, as testa's.
        EXPECT_EQ(e.erros, caso.saida ? "tavorin-cli: " + caso.linhas[0].substr(11) + "\n" : "") << caso.argumentos;
    }
}

// --version names the library an operation would load, by its full path,
// and fingerprints it; nothing is sent, whatever else is on the line.
// Without the library it says so; a file there that is no library is named
// as found and not loaded, and stops an operation with exit 3.
TEST_F(Cli, VersionNamesTheLibrary) {
    const std::string versao = std::string("Tavorin ") + VersaoTavorin() + "\nBiblioteca do driver";
    for (const char* argumentos : {"--version", "--version testa", "--porta 2 --version"}) {
        const Execucao e = Roda(argumentos);
        const std::string padrao = DoTexto(e.padrao);
        EXPECT_EQ(e.saida, 0) << argumentos;
        EXPECT_EQ(padrao.rfind(versao + ": " + biblioteca + "\n", 0), 0u) << padrao;
#if defined(_WIN32)
        EXPECT_NE(padrao.find("\nVersão do arquivo: 1."), std::string::npos) << padrao;
#endif
        EXPECT_NE(padrao.find("\nSHA-256: " + IdentificaArquivo(biblioteca).sha256 + "\n"), std::string::npos) << padrao;
        EXPECT_FALSE(fs::exists(kArquivoResposta)) << argumentos;
    }
    fs::copy_file(programa, semBiblioteca);
    const Execucao sem = Roda("--version", "", semBiblioteca);
    EXPECT_EQ(sem.saida, 0);
    EXPECT_EQ(DoTexto(sem.padrao), versao + " não encontrada: " + kBibliotecaDriver + "\n");
    GravaArquivo(kBibliotecaDriver, "");
    const std::string naoCarregada =
        "iblioteca do driver encontrada, mas não carregada: " + (pasta.Caminho() / kBibliotecaDriver).string() + " (";
    const Execucao vazia = Roda("testa", "", semBiblioteca);
    EXPECT_EQ(vazia.saida, 3);
    EXPECT_EQ(vazia.erros.rfind("tavorin-cli: b" + naoCarregada, 0), 0u) << vazia.erros;
    EXPECT_NE(DoTexto(Roda("--version", "", semBiblioteca).padrao).find("\nB" + naoCarregada), std::string::npos);
}

}  // namespace
}  // namespace tavorin
