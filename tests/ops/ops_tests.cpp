// The operations layer against the fake driver: what the windows' tests
// cannot reach (they run only natively, with Qt): the reading to a file
// and its atomic replacement on every platform (Windows' sharing rules are
// the file writer's own test's, in tests/comum), and the printer test held
// to the one port the command line names.
#include "ambiente_teste.h"
#include "arquivo_resposta.h"
#include "cp1252.h"
#include "destino.h"
#include "entrada.h"
#include "fake_driver.h"
#include "link.h"
#include "operacoes.h"
#include "respostas.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

namespace tavorin {
namespace {

using namespace teste;
using Chamadas = std::vector<Chamada>;
namespace fs = std::filesystem;

class Ops : public ::testing::Test {
protected:
    void SetUp() override { Porta = 2; }
    DiretorioTemporario pasta;
    FakeDriver driver;
};

std::string Bloco(const std::string& dados, char status = '+') { return std::string("{") + status + "0001" + dados + "}x"; }

// Each block's data to its "}" as one CR LF line, bytes as they came; the
// new file replaces the old only when the printer ends with "]". On any
// other end (or asked to stop before the next block) the old file stays
// byte for byte and nothing else is left, not even what a killed reading
// had left beside it. A reading that does not end stops past its bound, as
// Interrompida, with the reason; one that ends within it is kept. A file
// that cannot be made (a folder in its place, last) asks for no block.
TEST_F(Ops, ReadingToFileReplacesTheOldOneOnlyWhenComplete) {
    const std::string velho = "velho\r\n\xC7\r\n", fim = Linha(']'), mil(1000, 'x');
    std::vector<Atendimento> cincoEFim(5, {Bloco(mil)});
    cincoEFim.push_back({fim});
    struct Caso {
        std::vector<Atendimento> respostas;  // to ".15...#", then each ".++"
        std::optional<Gravacao> gravacao;
        std::string arquivo;
        int blocos;
        bool para = false;  // asked to stop before the next block
        LimiteLeitura limite = {};
        const char* motivo = "";  // its start
        bool pastaNoLugar = false;
    } casos[] = {
        {{{Bloco("REDU\xC7\xC3O")}, {Bloco("")}, {fim}}, Gravacao::Gravada, "REDU\xC7\xC3O\r\n\r\n", 2},
        {{{Bloco("\xDANICO", ']')}}, Gravacao::Gravada, "\xDANICO\r\n", 1},
        {{{Bloco("A")}, {Bloco("B")}, {Erro("07")}}, Gravacao::Interrompida, velho, 2},
        {{{Bloco("A")}, {std::nullopt, -2}}, Gravacao::Interrompida, velho, 1},
        {{{Bloco("A")}}, Gravacao::Interrompida, velho, 1, true},
        {{{Erro("22")}}, std::nullopt, velho, 0},
        {{{Bloco("A"), -2}}, std::nullopt, velho, 0},
        {std::vector<Atendimento>(6, {Bloco(mil)}), Gravacao::Interrompida, velho, 5, false, {5, kMaximoBytes},
         "passou de 5 blocos sem terminar"},
        {std::vector<Atendimento>(3, {Bloco(mil)}), Gravacao::Interrompida, velho, 2, false, {kMaximoBlocos, 2500},
         "passou de 2.500 bytes sem terminar"},
        {cincoEFim, Gravacao::Gravada, mil + "\r\n" + mil + "\r\n" + mil + "\r\n" + mil + "\r\n" + mil + "\r\n", 5, false,
         {5, kMaximoBytes}},
        {{{Bloco("A")}}, Gravacao::FalhaNoArquivo, "", 0, false, {}, "", true},
    };
    for (const Caso& caso : casos) {
        GravaArquivo("saida.txt", velho);
        if (caso.pastaNoLugar) fs::remove("saida.txt"), fs::create_directory("saida.txt");
        if (caso.gravacao) GravaArquivo("saida.txt.123.tmp", "x");
        driver.Limpa();
        for (std::size_t i = 0; i < caso.respostas.size(); ++i)
            driver.Enfileira(i ? ".++" : ".1500011000#", caso.respostas[i]);
        std::vector<int> vistos;
        const AoLer ao{{}, [&](int blocos, const Desfecho&) { vistos.push_back(blocos); }, {}, [&] { return caso.para; }, caso.limite};
        const LeituraMemoria leitura = LeMemoria(ComandoLeitura(Faixa::Reducoes, "0001", "1000", true), "saida.txt", ao);
        EXPECT_EQ(leitura.gravacao, caso.gravacao);
        EXPECT_EQ(leitura.motivo.rfind(caso.motivo, 0), 0u) << leitura.motivo;
        EXPECT_EQ(leitura.erroArquivo.empty(), !caso.pastaNoLugar);
        EXPECT_EQ(leitura.blocos, caso.blocos);
        EXPECT_EQ(caso.pastaNoLugar ? "" : LeArquivo("saida.txt"), caso.arquivo);
        EXPECT_EQ(fs::is_directory("saida.txt"), caso.pastaNoLugar);
        // Nothing else left, not even a temporary file.
        const std::set<fs::path> nomes = {"saida.txt", kArquivoResposta, kArquivoTrava};
        for (const auto& entrada : fs::directory_iterator(".")) EXPECT_EQ(nomes.count(entrada.path().filename()), 1u) << entrada.path();
        Chamadas chamadas = {ChAbre(2), ChTXRX(2, 100, ".1500011000#")};
        chamadas.insert(chamadas.end(), caso.gravacao ? caso.respostas.size() - 1 : 0, ChTXRX(2, 100, ".++"));
        chamadas.push_back(ChFecha(2));
        EXPECT_EQ(driver.chamadas, chamadas) << Descreve(driver.chamadas);
        EXPECT_EQ(vistos.size(), chamadas.size() - 3);
    }
}

// The driver's answer file and lock, and the simulated printer's files in
// the working folder or its own, are never written over, whatever name
// leads to them: nothing is sent, and the reason names the file.
TEST_F(Ops, ReadingNeverReachesTheDriversOrSimulatorsFiles) {
    fs::create_directory("impressora");
    PoeAmbiente("ZUBSIM_DIR", (pasta.Caminho() / "impressora").string().c_str());
    GravaArquivo("impressora/ZubSim-memoria.txt", "memoria");
    GravaArquivo(kArquivoResposta, "resposta");
    fs::create_hard_link("impressora/ZubSim-memoria.txt", "copia.txt");
    std::vector<std::pair<std::string, std::string>> casos = {
        {"copia.txt", "ZubSim-memoria.txt"},
        {"impressora/../respzub.TXT", "respzub.TXT"},
        {"RespZub.txt.trava", "RespZub.txt.trava"},
    };
#if !defined(_WIN32)
    fs::create_symlink("impressora/ZubSim-memoria.txt", "memoria.txt");
    fs::create_symlink(kArquivoResposta, "resposta.txt");
    fs::create_symlink("impressora/ZubSim-novo.txt", "novo.txt");
    casos.insert(casos.end(),
                 {{"memoria.txt", "ZubSim-memoria.txt"}, {"resposta.txt", "RespZub.txt"}, {"novo.txt", "ZubSim-novo.txt"}});
#endif
    for (const auto& [arquivo, protegido] : casos) {
        EXPECT_EQ(ArquivoProtegido(arquivo), protegido) << arquivo;
        const LeituraMemoria leitura = LeMemoria(ComandoLeitura(Faixa::Reducoes, "0001", "1000", true), arquivo);
        EXPECT_FALSE(leitura.gravacao) << arquivo;
        EXPECT_NE(leitura.motivo.find("(" + protegido + ")"), std::string::npos) << leitura.motivo;
        EXPECT_EQ(driver.chamadas, Chamadas{}) << arquivo;
    }
    EXPECT_EQ(LeArquivo("impressora/ZubSim-memoria.txt") + LeArquivo(kArquivoResposta), "memoriaresposta");
    EXPECT_FALSE(fs::exists("impressora/ZubSim-novo.txt"));
    EXPECT_EQ(ArquivoProtegido("LeitM.txt"), "");
    PoeAmbiente("ZUBSIM_DIR", nullptr);
}

// "typed=becomes"; a text without "=" does not read as the rule's kind.
// One case per branch and boundary of each rule.
TEST(EntryRules, WhatATypedTextBecomes) {
    const std::pair<std::optional<std::string> (*)(const std::string&), std::vector<std::string>> regras[] = {
        // Day first; a two-digit year is always this century's.
        {NormalizaData, {" 5/3/9 =05/03/09", "050309=05/03/09", "01012001=01/01/01", "29/2/00=29/02/00",
                         "29/02/1900", "31/12/1999", "01/01/2100", "31/12/2099=31/12/99", "01012000=01/01/00",
                         "31/04/09", "0/1/09", "12/31/09", "01/01/0000", "1/1/209", "5-3-09",
                         "0503091", "310409", "\xD9\xA5/3/9", ""}},
        // What the printer is sent for a date range.
        {DataSeisDigitos, {"01/01/00=010100", "5/3/2009=050309", "31/01/30=310130", "31/02/09"}},
        {NormalizaHora, {"9:5=09:05:00", " 14:30:15 =14:30:15", "14=14:00:00", "0905=09:05:00",
                         "235959=23:59:59", "930", "24:00", "12:60", "9:59:60", "014:30", "14:30:00:00", ""}},
        // A whole number of at least four digits; the first decimal after
        // a comma rounds half away from zero.
        {NormalizaNumero, {"7=0007", " +00007 =0007", "-7=-0007", "-0,4=0000", "2,4999=0002", "-2,5=-0003",
                           "9999,5=10000", ",5=0001",
                           "123456789012345678901234567890=123456789012345678901234567890", "1.5", "1,2,3", ""}},
    };
    for (const auto& [regra, casos] : regras)
        for (const std::string& caso : casos) {
            const std::size_t igual = caso.find('=');
            const std::optional<std::string> lido = regra(caso.substr(0, igual));
            EXPECT_EQ(lido.value_or("(nada)"), igual == std::string::npos ? "(nada)" : caso.substr(igual + 1)) << caso;
        }
    // Two-digit years from 30 on are after 29's, not seventy years before.
    EXPECT_LT(*LeData("01/12/29"), *LeData("31/01/30"));
    EXPECT_EQ(LeData("1/1/99")->ano, 2099);
}

// Windows-1252 both ways, with each choice for what does not fit (the
// round trip of every byte is the windows' edge test's): a missing
// character or a stray byte is one "?" unless the bytes are kept;
// undefined bytes print as "?" when asked.
TEST(Texto, Windows1252BothWays) {
    EXPECT_EQ(Utf8DoCp1252("\xC7\x80\x81"), "\xC3\x87\xE2\x82\xAC\xC2\x81");
    EXPECT_EQ(Utf8DoCp1252("\xC7\x80\x81", Indefinido::Interrogacao), "\xC3\x87\xE2\x82\xAC?");
    EXPECT_EQ(Cp1252DoUtf8("a\xE2\x86\x92" "b \xF0\x9F\x98\x80 \xFF"), "a?b ? ?");
    EXPECT_EQ(Cp1252DoUtf8("a\xE2\x86\x92\xFF", NaoUtf8::Mantem), "a?\xFF");
}

// The command line's --porta: the printer test probes that port only and
// runs to its end there; a paper check with a driver error or no answer
// line is no answer, not paper; a short line is an answer, paper present.
TEST_F(Ops, PrinterTestOnOnePort) {
    const std::pair<Atendimento, const char*> papeis[] = {
        {{Status23('5'), -2}, "Sem Resposta|Sem Resposta"}, {{"", 0}, "Sem Resposta|Sem Resposta"},
        {{std::nullopt, 0}, "Sem Resposta|Sem Resposta"}, {{"x", 0}, "Com Papel|Conectada"}};
    driver.respostaPadrao = {Status28("0512031430", 'S', 'F', 'S'), 0};
    for (const auto& [papel, palavras] : papeis) {
        driver.Limpa();
        driver.Enfileira(".23", papel);
        const TesteImpressora teste = TestaImpressora({5});
        EXPECT_TRUE(teste.encontrada);
        EXPECT_EQ(Porta, 5);
        EXPECT_EQ(teste.relogio, "Horario de Verao 05/12/03 14:30");
        EXPECT_EQ(PalavraReducao(teste.reducao) + "|" + PalavraLeituraX(teste.leituraX), "Obrigatória|Efetuada");
        EXPECT_EQ(PalavraPapel(teste.papel) + "|" + PalavraLinha(teste.papel), palavras);
        EXPECT_EQ(driver.chamadas, (Chamadas{ChAbre(5), ChTXRX(5, 3, ".28"), ChTXRX(5, 10, ".28"), ChTXRX(5, 10, ".23"),
                                             ChFecha(5)}))
            << Descreve(driver.chamadas);
    }
}

// One order for every outcome: what the printer answered first, then what
// the link knows of why nothing came, and what each means.
TEST(Outcomes, DecidedOnceInOneOrder) {
    const struct {
        std::function<void(Troca&)> ajusta;
        Classe classe;
        std::string explica;  // contained
    } casos[] = {
        {[](Troca& t) { t.resposta = "{+28"; }, Classe::Aceito, ""},
        {[](Troca& t) { t.resposta = Erro("11"); }, Classe::Recusado, "recusado pela impressora: ERRO 11"},
        {[](Troca& t) { t.resposta = "{+28", t.abreRecusado = -4; }, Classe::Aceito, ""},
        {[](Troca& t) { t.resposta = "{+28", t.resultado = -2; }, Classe::SemResposta, "(resultado do driver -2)"},
        {[](Troca& t) { t.resposta = "+"; }, Classe::SemResposta, "não deixou resposta na porta 2"},
        {[](Troca& t) { t.bloqueio = Troca::Bloqueio::PastaOcupada, t.resposta = "{+28"; }, Classe::NaoEnviado,
         "não liberou a impressora em"},
        {[](Troca& t) { t.bloqueio = Troca::Bloqueio::TravaInacessivel, t.motivo = "x"; }, Classe::NaoEnviado,
         "RespZub.txt.trava desta pasta não pôde ser aberta (x); nada foi enviado"},
        {[](Troca& t) { t.abreRecusado = -4, t.semRespostaNova = true; }, Classe::PortaRecusada,
         "a porta 2 não abriu: o driver devolveu -4"},
        {[](Troca& t) { t.bloqueio = Troca::Bloqueio::PortaFechada, t.abreRecusado = -1; }, Classe::PortaRecusada,
         "o driver devolveu -1"},
        {[](Troca& t) { t.bloqueio = Troca::Bloqueio::PortaFechada, t.semDriver.arquivo = "Zub.dll"; },
         Classe::SemBiblioteca, "biblioteca do driver não encontrada: Zub.dll"},
        {[](Troca& t) { t.semRespostaNova = true, t.motivo = "y", t.pastaSemGravacao = "z"; }, Classe::RespostaPresa,
         "não pôde ser removido (y); a resposta da impressora não pôde ser lida"},
        {[](Troca& t) { t.pastaSemGravacao = "z"; }, Classe::PastaSemGravacao, "não aceita gravação (z)"},
    };
    for (const auto& caso : casos) {
        Troca t;
        t.porta = 2;
        caso.ajusta(t);
        const Desfecho d = Decide(t);
        EXPECT_EQ(d.classe, caso.classe) << Explica(d);
        EXPECT_NE(Explica(d).find(caso.explica), std::string::npos) << Explica(d);
        EXPECT_EQ(Explica(d).empty(), caso.explica.empty()) << Explica(d);
    }
}

// The clock's tick never waits behind another program's exchange: while
// the folder's lock is held it is skipped, nothing sent, not even Abre.
TEST_F(Ops, ClockTickSkippedBehindAnotherProgram) {
    driver.respostaPadrao = {Status28(), 0};
    {
        TravaDePasta outra(kArquivoTrava, std::chrono::milliseconds(0));
        ASSERT_TRUE(outra.Obtida());
        EXPECT_FALSE(LeRelogioSemEsperar());
        EXPECT_TRUE(driver.chamadas.empty()) << Descreve(driver.chamadas);
    }
    EXPECT_EQ(LeRelogioSemEsperar().value_or(""), "Horario Normal 05/12/03 14:30");
}

}  // namespace
}  // namespace tavorin
