// The link against a fake driver (the answer file it reads, the state it
// keeps, the probe, the clock text) and the loader against real libraries.
#include "ambiente_teste.h"
#include "arquivo_resposta.h"
#include "driver_library.h"
#include "fake_driver.h"
#include "identidade.h"
#include "link.h"
#include "registro.h"
#include "respostas.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tavorin {
namespace {

using namespace teste;
namespace fs = std::filesystem;
using Chamadas = std::vector<Chamada>;

// An exchange as the link records one.
Troca UmaTroca(std::string comando, std::string resposta = {}, int32_t porta = 1, int32_t espera = 10, int16_t resultado = 0) {
    Troca t;
    t.quando = std::chrono::system_clock::now();
    std::tie(t.comando, t.resposta, t.porta, t.espera, t.resultado) = std::tie(comando, resposta, porta, espera, resultado);
    return t;
}

class Link : public ::testing::Test {
protected:
    void SetUp() override {
        AmbienteDoSimulador(pasta.Caminho());
        Porta = 0;
    }
    DiretorioTemporario pasta;
    FakeDriver driver;
};

// The first line of the answer file as bytes (byte 26 would end a
// text-mode read on Windows), its second character as the status; port
// and wait limit narrowed to their low 16 bits; the command sent byte for
// byte. A driver that writes no answer must not have the last one read
// back as its own.
TEST_F(Link, EnviaComandoReadsThisCommandsAnswerOnly) {
    std::string bytes;
    for (int c = 0; c < 256; ++c)
        if (c != '\r' && c != '\n') bytes += static_cast<char>(c);
    const std::tuple<Atendimento, std::string, std::string> casos[] = {
        {{"x+28\r\nsecond", -7}, "x+28", "+"}, {{"{-28\nsecond", 0}, "{-28", "-"}, {{"\r\n{+28", 0}, "", ""},
        {{"{ +", 0}, "{ +", " "}, {{"+", 0}, "+", ""}, {{std::nullopt, -2}, "", ""},
        {{bytes, 0}, bytes, bytes.substr(1, 1)}};
    for (const auto& [atendimento, resposta, status] : casos) {
        driver.Enfileira(".13\xC7\xFF", atendimento);
        EXPECT_EQ(EnviaComando(65535, 65536 + 180, ".13\xC7\xFF"), atendimento.resultado);
        EXPECT_EQ(Resposta, resposta);
        EXPECT_EQ(Status, status);
    }
    EXPECT_EQ(driver.chamadas, Chamadas(std::size(casos), ChTXRX(-1, 180, ".13\xC7\xFF"))) << Descreve(driver.chamadas);
}

// Only "+" keeps the port (Porta after each probe in the last column); a
// port that did not open is not probed. As the program ends it closes,
// once each, the ports opened and not closed since.
TEST_F(Link, ProbeKeepsThePortOnlyWhenThePrinterAccepts) {
    const Chamadas recusa = {ChAbre(3), ChTXRX(3, 3, ".28"), ChFecha(3)};
    const std::tuple<int16_t, std::string, int32_t, int32_t, Chamadas, int32_t> casos[] = {
        {0, "{-28", 3, -1, recusa, 0}, {0, "+", 3, -1, recusa, 0},
        {0, "{+28", 2, 0, {ChAbre(2), ChTXRX(2, 3, ".28")}, 2}, {-1, "{+28", 3, -1, {ChAbre(3)}, 2}};
    for (const auto& [abre, linha, porta, resultado, chamadas, depois] : casos) {
        driver.Limpa();
        driver.abrePadrao = abre;
        driver.respostaPadrao = {linha, 0};
        EXPECT_EQ(AbreImpressora(porta), resultado) << linha;
        EXPECT_EQ(Porta, depois);
        EXPECT_EQ(driver.chamadas, chamadas) << Descreve(driver.chamadas);
    }
    driver.abrePadrao = 0;
    Abre(4);  // opened and closed again after port 2: port 2 stays open
    Fecha(4);
    Fecha(5);
    driver.Limpa();
    FechaPortasAbertas();
    FechaPortasAbertas();
    EXPECT_EQ(driver.chamadas, Chamadas{ChFecha(2)}) << Descreve(driver.chamadas);
}

// A driver in place for a scope closes the ports opened through it as the
// scope ends, before the one in place before comes back.
TEST_F(Link, DriverInPlaceForAScope) {
    FakeDriver dentro;
    {
        const DriverNoLugar escopo(&dentro);
        Abre(3);
    }
    EXPECT_EQ(dentro.chamadas, (Chamadas{ChAbre(3), ChFecha(3)})) << Descreve(dentro.chamadas);
    EXPECT_EQ(PortaAberta(), -1);
}

// Summer time only with "S" at 54; the fields cut short where the answer
// ends.
TEST_F(Link, ClockTextFromTheStatusAnswer) {
    const std::pair<std::string, std::string> casos[] = {
        {Status28("0512031430", 'S'), "Horario de Verao 05/12/03 14:30"},
        {Status28("0512031430", 's'), "Horario Normal 05/12/03 14:30"},
        {Status28("0512031430").substr(0, 46), "Horario Normal 05/1/ :"}, {"", "Horario Normal // :"}};
    for (const auto& [resposta, texto] : casos) {
        Resposta = resposta;
        EXPECT_EQ(TextoRelogio(), texto) << resposta;
    }
}

// Every TXRX is recorded as sent and answered, oldest first, the paper
// check's direct call included; the record keeps only the newest
// kMaxTrocas; an observer hears each exchange until it stops observing.
TEST_F(Link, ExchangeLogRecordsEveryTXRXBounded) {
    LimpaTrocas();
    std::string ouvidas;
    const int handle = ObservaTrocas([&](const Troca& troca) { ouvidas += troca.comando; });
    driver.Enfileira(".13", Atendimento{"{+13\r\nsecond", 5});
    driver.Enfileira(".23", Atendimento{std::nullopt, -3});
    const auto antes = std::chrono::system_clock::now();
    EnviaComando(70000, 180, ".13");
    FazTroca(2, 10, ".23");
    DeixaDeObservar(handle);
    FazTroca(2, 10, ".23");
    const std::vector<Troca> trocas = Trocas();
    ASSERT_EQ(trocas.size(), 3u);
    std::vector<std::tuple<int32_t, int32_t, std::string, int16_t, std::string>> vistas;
    for (const Troca& t : trocas) vistas.emplace_back(t.porta, t.espera, t.comando, t.resultado, t.resposta);
    EXPECT_EQ(vistas, decltype(vistas)({{70000, 180, ".13", 5, "{+13"}, {2, 10, ".23", -3, ""}, {2, 10, ".23", 0, ""}}));
    EXPECT_TRUE(antes <= trocas[0].quando && trocas[0].quando <= trocas[1].quando && trocas[1].quando <= trocas[2].quando);
    EXPECT_EQ(ouvidas, ".13.23");
    for (std::size_t i = 0; i < kMaxTrocas + 2; ++i) RegistraTroca(UmaTroca(std::to_string(i)));
    const std::vector<Troca> limitadas = Trocas();
    ASSERT_EQ(limitadas.size(), kMaxTrocas);
    EXPECT_EQ(limitadas.front().comando, "2");
    EXPECT_EQ(limitadas.back().comando, std::to_string(kMaxTrocas + 1));
    // Huge answers are bounded by their bytes too; the newest always stays.
    const std::string grande(1 << 20, 'x');
    for (int i = 0; i < 12; ++i) RegistraTroca(UmaTroca(std::to_string(i), grande));
    std::size_t bytes = 0;
    for (const Troca& t : Trocas()) bytes += TamanhoDaTroca(t);
    EXPECT_LE(bytes, kMaxBytesTrocas);
    EXPECT_EQ(Trocas().back().comando, "11");
    RegistraTroca(UmaTroca("enorme", std::string(kMaxBytesTrocas, 'y')));
    EXPECT_EQ(Trocas().size(), 1u);
    LimpaTrocas();
    EXPECT_TRUE(Trocas().empty());
}

// Blanks, control bytes and bytes that look like others are spelled out;
// accented letters stay (the windows convert them); empty fields still
// show; the duration is in milliseconds.
TEST_F(Link, ExchangeDescriptionShowsEveryByte) {
    const std::pair<std::string, std::string> casos[] = {
        {".01 A\tB\\", ".01\xB7" "A\\x09B\\\\"},
        {std::string("\0\r\n\x1B\x7F", 5), "\\x00\\x0D\\x0A\\x1B\\x7F"},
        {"\xA0\xB7\x81\x9D\xC7\xE3\x80", "\\xA0\\xB7\\x81\\x9D\xC7\xE3\x80"},
        {"", ""}};
    for (const auto& [bytes, visiveis] : casos) EXPECT_EQ(BytesVisiveis(bytes), visiveis);
    // For a terminal: the same, but blanks (and B7) stay as they are.
    EXPECT_EQ(ControlesVisiveis("@+ \x1B[2J\x07\xB7\\"), "@+ \\x1B[2J\\x07\xB7\\\\");
    Troca troca = UmaTroca(".13 ", "", 2, 180, -100);
    troca.duracao = std::chrono::microseconds(12345);
    troca.nota = "arquivo de resposta preso";
    const std::string linha = DescreveTroca(troca);
    EXPECT_NE(linha.find("  porta 2  espera 180  enviado \".13\xB7\"  resultado -100  resposta \"\"  12,345 ms"
                         "  (arquivo de resposta preso)"),
              std::string::npos) << linha;
    // A quote inside a field cannot end it early.
    const Troca aspas = UmaTroca(".2\"", "x\\\"");
    EXPECT_NE(DescreveTroca(aspas).find("enviado \".2\\\"\"  resultado 0  resposta \"x\\\\\\\"\"  0,000 ms"),
              std::string::npos) << DescreveTroca(aspas);
    EXPECT_EQ(linha.find('\n'), std::string::npos);
}

// An answer file that cannot be removed never has its old content read as
// the new answer. A folder in its place: the command still goes, and no
// answer is taken. An append-only folder (a driver's file it cannot lose):
// the file is emptied where it stands and the new answer read; the
// exchange log says once that the file could not be removed.
TEST_F(Link, HeldAnswerFileNeverReadAsNew) {
    const std::string presa = "o arquivo de resposta não pôde ser removido (";
    fs::create_directory(kArquivoResposta);
    GravaArquivo(fs::path(kArquivoResposta) / "x", "{+28 stale");
    LimpaTrocas();
    driver.Enfileira(".13", "{+13 new");
    const Troca troca = EnviaTroca(1, 180, ".13");
    EXPECT_EQ(troca.resultado, 0);
    EXPECT_TRUE(troca.respostaPresa && troca.semRespostaNova && troca.avisa);
    EXPECT_FALSE(troca.motivo.empty());
    EXPECT_EQ(Resposta, "");
    EXPECT_EQ(driver.chamadas, Chamadas{ChTXRX(1, 180, ".13")}) << Descreve(driver.chamadas);
    fs::remove_all(kArquivoResposta);
    EXPECT_FALSE(EnviaTroca(1, 10, ".28").respostaPresa);
    ASSERT_EQ(Trocas().size(), 2u);
    EXPECT_EQ(Trocas()[0].nota.rfind(presa, 0), 0u) << Trocas()[0].nota;
#if !defined(_WIN32)
    GravaArquivo(kArquivoResposta, "{+28 stale\r\n");
    const bool raiz = geteuid() == 0;
    // chattr needs a file system that has the flag; without it (and not as
    // root) a folder without write permission stands in for it.
    const bool apenasAcrescenta = raiz && std::system("chattr +a . 2>/dev/null") == 0;
    if (!raiz) fs::permissions(".", fs::perms::owner_write, fs::perm_options::remove);
    if (!apenasAcrescenta && raiz) GTEST_SKIP() << "no append-only flag on this file system";
    LimpaTrocas();
    driver.Enfileira(".23", Atendimento{std::nullopt, -2});
    driver.Enfileira(".23", "{+23 new");
    for (const char* esperada : {"", "{+23 new"}) {
        const Troca t = FazTroca(1, 10, ".23");
        EXPECT_TRUE(t.respostaPresa);
        EXPECT_FALSE(t.semRespostaNova);
        EXPECT_EQ(LeResposta(), esperada);
    }
    if (apenasAcrescenta) std::system("chattr -a .");
    if (!raiz) fs::permissions(".", fs::perms::owner_write, fs::perm_options::add);
    ASSERT_EQ(Trocas().size(), 2u);
    EXPECT_EQ(Trocas()[0].nota.rfind(presa, 0), 0u) << Trocas()[0].nota;
    EXPECT_EQ(Trocas()[1].nota, "");
    if (apenasAcrescenta) {
        // A file that only takes appends (it cannot be removed or emptied
        // either): the answer is what the driver added.
        std::system("chattr +a RespZub.txt");
        driver.durante = [](const Chamada&) { std::ofstream(kArquivoResposta, std::ios::app) << "{+28 appended\r\n"; };
        driver.Enfileira(".28", Atendimento{std::nullopt, 0});
        EnviaComando(1, 10, ".28");
        EXPECT_EQ(Resposta, "{+28 appended");
        driver.durante = nullptr;
        std::system("chattr -a RespZub.txt");
    }
#endif
}

// Each exchange holds the lock beside the answer file. While another
// program holds it past the wait nothing is sent, and nothing is read: the
// other program's answer in the file is never taken as this command's, and
// the probe finds no printer. Once it is free, commands flow.
TEST_F(Link, ExchangeWaitsForTheFolderLock) {
    const auto limite = LimiteDaTrava();
    PoeLimiteDaTrava(std::chrono::milliseconds(100));
    driver.Enfileira(".14", Atendimento{"{+14", kNaoEnviado});
    {
        TravaDePasta outra(kArquivoTrava, std::chrono::milliseconds(0));
        ASSERT_TRUE(outra.Obtida());
        GravaArquivo(kArquivoResposta, "{+28 another program's\r\n");
        EXPECT_EQ(AbreImpressora(1), -1);
        EXPECT_EQ(Porta, 0);
        const Troca troca = EnviaTroca(1, 180, ".14");
        EXPECT_EQ(troca.bloqueio, Troca::Bloqueio::PastaOcupada);
        EXPECT_EQ(troca.resultado, kNaoEnviado);
        EXPECT_EQ(Resposta + Status + LeResposta(), "");
        EXPECT_EQ(driver.chamadas, (Chamadas{ChAbre(1), ChFecha(1)})) << Descreve(driver.chamadas);
        EXPECT_NE(Trocas().back().nota.find(kArquivoTrava), std::string::npos);
    }
    const Troca troca = EnviaTroca(1, 180, ".14");
    EXPECT_TRUE(troca.Enviado());
    EXPECT_EQ(troca.resultado, kNaoEnviado);
    EXPECT_EQ(Resposta, "{+14");
    PoeLimiteDaTrava(limite);
}

#if !defined(_WIN32)
// A lock file that cannot be opened in a folder that can be written leaves
// the folder unguarded: nothing is sent, and why is told. Made here, the
// lock file can be opened by every user. In a folder nobody can write the
// lock is needless, and commands go.
TEST_F(Link, AnUnusableLockSendsNothing) {
    const std::pair<std::function<void()>, int> casos[] = {
        {[] { fs::create_symlink("falta/trava", kArquivoTrava); }, ENOENT},
        {[] { fs::create_symlink(kArquivoTrava, kArquivoTrava); }, ELOOP},
        {[] { GravaArquivo(kArquivoTrava, ""); fs::permissions(kArquivoTrava, fs::perms::none); }, geteuid() == 0 ? 0 : EACCES},
    };
    for (const auto& [prepara, erro] : casos) {
        fs::remove(kArquivoTrava);
        prepara();
        const Troca troca = EnviaTroca(1, 10, ".28");
        EXPECT_EQ(troca.Enviado(), erro == 0) << troca.nota;
        EXPECT_EQ(troca.motivo, erro ? std::strerror(erro) : "");
    }
    fs::remove(kArquivoTrava);
    const mode_t mascara = umask(077);
    EnviaComando(1, 10, ".28");
    umask(mascara);
    EXPECT_EQ(fs::status(kArquivoTrava).permissions(), fs::perms(0644));
    if (geteuid() == 0) return;
    fs::remove(kArquivoTrava);
    fs::permissions(".", fs::perms::owner_write, fs::perm_options::remove);
    EXPECT_TRUE(FazTroca(1, 10, ".28").Enviado());
    fs::permissions(".", fs::perms::owner_write, fs::perm_options::add);
}
#endif

// A driver that leaves something other than a short regular file: a pipe
// is not waited on, a device is not read, a huge line is cut.
TEST_F(Link, AnswerReadOnlyFromARegularFileBounded) {
    driver.respostaPadrao = {std::nullopt, 0};
    const std::pair<std::function<void()>, std::string> casos[] = {
#if !defined(_WIN32)
        {[] { mkfifo(kArquivoResposta, 0600); }, ""},
        {[] { fs::create_symlink("/dev/zero", kArquivoResposta); }, ""},
#endif
        {[] { GravaArquivo(kArquivoResposta, std::string(1 << 20, 'z')); }, std::string(kMaxResposta, 'z')},
    };
    for (const auto& [deixa, esperada] : casos) {
        driver.durante = [&deixa](const Chamada&) { deixa(); };
        EnviaComando(1, 10, ".28");
        EXPECT_EQ(Resposta, esperada);
    }
}

// A serial port has one user at a time: while another copy of the
// simulated printer (as another program would) holds port 1 open, Abre
// fails, the probe sends nothing and says what Abre returned; once the
// port is closed, it opens.
TEST_F(Link, PortHeldByAnotherProgram) {
    InstalaDriver(nullptr);
    const fs::path copia = pasta.Caminho() / "outro" / kBibliotecaDriver;
    fs::create_directories(copia.parent_path());
    fs::copy_file(PastaDoPrograma() + kBibliotecaDriver, copia);
    DriverLibrary outro(copia.string());
    ASSERT_EQ(outro.Abre(1), 0) << outro.Falha().arquivo;
    const Troca sonda = Sonda(1);
    EXPECT_EQ(sonda.bloqueio, Troca::Bloqueio::PortaFechada);
    EXPECT_LT(sonda.abreRecusado.value_or(0), 0);
    EXPECT_EQ(Abre(2), 0);
    EXPECT_FALSE(AbreRecusado(2));
    outro.Fecha(1);
    EXPECT_EQ(AbreImpressora(1), 0) << Resposta;
    EXPECT_FALSE(AbreRecusado(1));
    FechaPortasAbertas();
}

// The simulated printer beside this program is loaded from there, as the
// program loads it, and nowhere else is looked at (the link reports that
// path). A library that is missing, or that lacks
// the driver's functions (a system library here), fails every call as a
// driver would instead of crashing, and names the file; a stale answer is
// still removed. A missing one is looked for in every place (the program's
// folder, then the system's: its search path, or on Windows its system
// and Windows folders); the first one found ends the search.
TEST_F(Link, DriverLibraries) {
    InstalaDriver(nullptr);
    ASSERT_EQ(AbreImpressora(1), 0) << Resposta << DescreveFalha(FalhaDoDriver());
    const std::string aquele = PastaDoPrograma() + kBibliotecaDriver;
    EXPECT_EQ(BibliotecaDoDriver(), aquele);
    EXPECT_EQ(TentativasDoDriver(), std::vector<Tentativa>({{aquele, Tentativa::Achado::Carregada, aquele}}));
    EXPECT_EQ(DescreveTentativa(TentativasDoDriver().at(0)), aquele + ": carregada");
    EXPECT_FALSE(FalhaDoDriver().Houve());
    Fecha(1);
#if defined(_WIN32)
    const std::string semFuncoes = "kernel32.dll";
    const std::size_t kLugaresDeBusca = 3;
#else
    const std::string semFuncoes = "libm.so.6";
    const std::size_t kLugaresDeBusca = 2;
#endif
    for (const std::string& arquivo : {std::string("Zub_Dll3_ausente.dll"), semFuncoes}) {
        DriverLibrary biblioteca(arquivo);
        const DriverNoLugar escopo(&biblioteca);
        GravaArquivo(kArquivoResposta, "{+28 stale answer\r\n");
        EXPECT_EQ(AbreImpressora(1), -1);
        EXPECT_EQ(FazTroca(1, 3, ".28").semDriver.arquivo, arquivo);
        EXPECT_LT(Fecha(1), 0);
        EXPECT_FALSE(fs::exists(kArquivoResposta));
        EXPECT_EQ(FalhaDoDriver().arquivo, arquivo);
        EXPECT_EQ(FalhaDoDriver().funcao, arquivo == semFuncoes ? "Abre" : "");
        const std::vector<Tentativa> tentativas = TentativasDoDriver();
        ASSERT_EQ(tentativas.size(), arquivo == semFuncoes ? 2u : kLugaresDeBusca) << arquivo;
        EXPECT_EQ(tentativas[0], (Tentativa{PastaDoPrograma() + arquivo, Tentativa::Achado::Ausente, {}}));
        EXPECT_EQ(tentativas.back().achado, arquivo == semFuncoes ? Tentativa::Achado::SemFuncao : Tentativa::Achado::Ausente);
    }
}

// Whatever stands where the library should be is told for what it is, and
// the loader never waits on it (opening a FIFO waits for a writer): a
// folder, a file the system will not load (its reason given), a library
// without TXRX. A command sent then says why in the exchange log.
TEST_F(Link, WhatStandsWhereTheLibraryShouldBe) {
    const std::string lugar = (pasta.Caminho() / kBibliotecaDriver).string();
    using A = Tentativa::Achado;
    const struct {
        std::function<void()> poe;
        A achado;
        std::string detalhe;  // empty: the system's reason, whatever it says
    } casos[] = {
#if !defined(_WIN32)
        {[&] { mkfifo(lugar.c_str(), 0600); }, A::NaoRegular, "é um pipe (FIFO), não um arquivo"},
#endif
        {[&] { fs::create_directory(lugar); }, A::NaoRegular, "é uma pasta, não um arquivo"},
        {[&] { GravaArquivo(lugar, "MZ não é uma biblioteca\n"); }, A::NaoCarregou, ""},
        {[&] { fs::copy_file(PastaDoPrograma() + TAVORIN_SEM_TXRX, lugar); }, A::SemFuncao, "TXRX"},
    };
    for (const auto& caso : casos) {
        caso.poe();
        DriverLibrary biblioteca(lugar);
        const DriverNoLugar escopo(&biblioteca);
        LimpaTrocas();
        EXPECT_LT(FazTroca(1, 3, ".28").resultado, 0);
        const std::vector<Tentativa> tentativas = biblioteca.Tentativas();
        ASSERT_EQ(tentativas.size(), 1u);
        const std::string& detalhe = tentativas[0].detalhe;
        EXPECT_EQ(tentativas[0], (Tentativa{lugar, caso.achado, caso.detalhe.empty() ? detalhe : caso.detalhe}));
        EXPECT_TRUE(!caso.detalhe.empty() || detalhe.size() > 8) << detalhe;
#if defined(_WIN32)
        EXPECT_TRUE(!caso.detalhe.empty() || detalhe.rfind("erro ", 0) == 0) << detalhe;
#endif
        const std::string texto = DescreveFalha(FalhaDoDriver());
        EXPECT_EQ(texto, caso.achado == A::SemFuncao
                             ? "Biblioteca do driver sem a função TXRX: " + lugar
                             : "Biblioteca do driver encontrada, mas não carregada: " + lugar + " (" +
                                   detalhe + ")");
        ASSERT_EQ(Trocas().size(), 1u);
        EXPECT_EQ(Trocas()[0].nota, texto);
        fs::remove_all(lugar);
    }
}

// SHA-256 against the standard's vectors, and fed in pieces that straddle
// the 64-byte blocks and the padding's edge at 56.
TEST(Identidade, Sha256) {
    const auto hex = [](const std::string& mensagem, std::size_t corte) {
        Sha256 sha;
        for (std::size_t i = 0; i < mensagem.size(); i += corte)
            sha.Acrescenta(mensagem.data() + i, std::min(corte, mensagem.size() - i));
        return sha.Hex();
    };
    const std::pair<std::string, const char*> casos[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
    };
    for (const auto& [mensagem, esperado] : casos) EXPECT_EQ(hex(mensagem, 64), esperado) << mensagem;
    for (std::size_t tamanho : {55u, 56u, 63u, 64u, 65u, 119u, 200u}) {
        std::string mensagem;
        for (std::size_t i = 0; i < tamanho; ++i) mensagem += static_cast<char>(i * 7);
        for (std::size_t corte : {1u, 3u, 64u})
            EXPECT_EQ(hex(mensagem, corte), hex(mensagem, tamanho)) << tamanho << " in pieces of " << corte;
    }
}

// A file is described by its size and digest (and on Windows its version
// resource); a file that cannot be read, or no library at all, is said so.
TEST_F(Link, LibraryDescription) {
    const std::string arquivo = (pasta.Caminho() / "Zub_Dll3.dll").string();
    GravaArquivo(arquivo, std::string(1000000, 'a'));
    std::vector<std::string> linhas{"Biblioteca do driver: " + arquivo};
#if defined(_WIN32)
    linhas.push_back("Versão do arquivo: nenhuma");
#endif
    linhas.push_back("Tamanho: 1.000.000 bytes");
    linhas.push_back("SHA-256: cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
    EXPECT_EQ(DescreveBiblioteca(IdentificaArquivo(arquivo), "x"), linhas);

    EXPECT_EQ(DescreveBiblioteca(IdentificaArquivo(arquivo + ".ausente"), "x").back(), "Arquivo ilegível: tamanho e SHA-256 desconhecidos");
    EXPECT_EQ(DescreveBiblioteca(std::nullopt, "Zub_Dll3.dll"),
              std::vector<std::string>{"Biblioteca do driver não encontrada: Zub_Dll3.dll"});
}

}  // namespace
}  // namespace tavorin
