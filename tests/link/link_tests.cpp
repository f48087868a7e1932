// The link against a fake driver: the state it keeps, the answer file it
// reads, the probe and the clock text.
#include "ambiente.h"
#include "driver.h"
#include "fake_driver.h"
#include "link.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tavorin {
namespace {

using teste::ChAbre;
using teste::ChFecha;
using teste::ChTXRX;
using teste::Descreve;

class Link : public ::testing::Test {
protected:
    void SetUp() override {
        Porta = 0;
        Resposta.clear();
        Status.clear();
    }
    teste::DiretorioTemporario pasta;
    teste::FakeDriver driver;
};

// A line of `tamanho` characters with `valor` at 1-based `posicao`.
std::string LinhaCom(std::size_t tamanho, std::initializer_list<std::pair<std::size_t, std::string>> campos) {
    std::string linha(tamanho, '0');
    for (const auto& [posicao, valor] : campos) linha.replace(posicao - 1, valor.size(), valor);
    return linha;
}

TEST(Mid, CountsFromOneAndCutsAtTheEnd) {
    struct Caso {
        std::string texto;
        std::size_t posicao, tamanho;
        std::string esperado;
    };
    const Caso casos[] = {
        {"abcdef", 1, 1, "a"},     {"abcdef", 2, 1, "b"},   {"abcdef", 5, 4, "ef"},
        {"abcdef", 6, 1, "f"},     {"abcdef", 7, 1, ""},    {"abcdef", 70, 2, ""},
        {"", 1, 1, ""},            {"abcdef", 0, 3, ""},    {"abcdef", 3, 0, ""},
    };
    for (const auto& caso : casos)
        EXPECT_EQ(Mid(caso.texto, caso.posicao, caso.tamanho), caso.esperado)
            << '"' << caso.texto << "\" at " << caso.posicao << " width " << caso.tamanho;
}

TEST(Para16, KeepsTheLowSixteenBitsAsASignedInteger) {
    const std::pair<int32_t, int16_t> casos[] = {
        {0, 0},           {1, 1},          {2, 2},          {32767, 32767}, {32768, -32768},
        {65535, -1},      {65536, 0},      {65537, 1},      {-1, -1},       {-32768, -32768},
        {-32769, 32767},  {70000, 4464},   {1000, 1000},
    };
    for (const auto& [entrada, esperado] : casos) EXPECT_EQ(Para16(entrada), esperado) << entrada;
}

TEST_F(Link, ReadsTheFirstLineOfTheAnswerFileAsBytes) {
    struct Caso {
        std::string arquivo;
        std::string linha;
    };
    std::string oitoBits;
    for (int c = 1; c < 256; ++c)
        if (c != '\r' && c != '\n') oitoBits.push_back(static_cast<char>(c));
    const Caso casos[] = {
        {"{+28 abc\r\nsecond line\r\n", "{+28 abc"},
        {"{+28 abc\nsecond\n", "{+28 abc"},
        {"no line end", "no line end"},
        {"\r\n{+ later}", ""},
        {"", ""},
        {oitoBits + "\r\n", oitoBits},
        {std::string("a\0b", 3) + "\r\n", std::string("a\0b", 3)},
    };
    for (const auto& caso : casos) {
        teste::GravaArquivo("RespZub.txt", caso.arquivo);
        EXPECT_EQ(LeResposta(), caso.linha);
    }
    std::filesystem::remove("RespZub.txt");
    EXPECT_EQ(LeResposta(), "");
}

TEST_F(Link, EnviaComandoKeepsTheAnswerAndItsStatusCharacter) {
    struct Caso {
        std::string linha;
        std::string status;
    };
    const Caso casos[] = {
        {"{+28 accepted", "+"}, {"x+", "+"},      {"++", "+"},   {"{-28 refused", "-"},
        {"{]", "]"},            {"+", ""},        {"", ""},      {"{ +", " "},
    };
    for (const auto& caso : casos) {
        driver.Enfileira(".28", caso.linha);
        EnviaComando(1, 3, ".28");
        EXPECT_EQ(Resposta, caso.linha);
        EXPECT_EQ(Status, caso.status) << caso.linha;
    }
}

TEST_F(Link, EnviaComandoNarrowsPortAndWaitAndReturnsTheDriverResult) {
    driver.Enfileira(".13", teste::Atendimento{"{+13", -7, {}});
    EXPECT_EQ(EnviaComando(65537, 65536 + 180, ".13"), -7);
    ASSERT_EQ(driver.chamadas.size(), 1u);
    EXPECT_EQ(driver.chamadas[0], ChTXRX(1, 180, ".13")) << Descreve(driver.chamadas);
}

TEST_F(Link, EnviaComandoPassesTheCommandByteForByte) {
    const std::string comando = ".01\xC7\xE3 \xFF\x80~";
    EnviaComando(1, 10, comando);
    ASSERT_EQ(driver.Comandos().size(), 1u);
    EXPECT_EQ(driver.Comandos()[0], comando);
}

// A driver that writes no answer must not have the previous command's
// answer read back as the answer to this one.
TEST_F(Link, ACommandThatGetsNoAnswerReadsAsFailedNotAsTheStaleAnswer) {
    driver.Enfileira(".28", "{+28 good answer");
    EnviaComando(1, 3, ".28");
    ASSERT_EQ(Status, "+");

    driver.Enfileira(".13", teste::Atendimento{std::nullopt, -2, {}});
    EXPECT_EQ(EnviaComando(1, 180, ".13"), -2);
    EXPECT_EQ(Resposta, "");
    EXPECT_EQ(Status, "");
    EXPECT_FALSE(std::filesystem::exists("RespZub.txt"));
}

TEST_F(Link, ProbeSucceedsOnPlusAndLeavesThePortOpen) {
    driver.Enfileira(".28", "{+28");
    Porta = 0;
    EXPECT_EQ(AbreImpressora(2), 0);
    EXPECT_EQ(Porta, 2);
    EXPECT_EQ(Status, "+");
    EXPECT_EQ(driver.chamadas, (std::vector<teste::Chamada>{ChAbre(2), ChTXRX(2, 3, ".28")}))
        << Descreve(driver.chamadas);
    EXPECT_EQ(PortaAberta(), 2);
}

TEST_F(Link, ProbeThatGetsAFailedAnswerClosesThePortAndKeepsPorta) {
    for (const std::string linha : {"{-28 xxxxxxxxxxxxxxx09", "", "+", "{s", "+-"}) {
        driver.Limpa();
        Porta = 1;
        driver.Enfileira(".28", linha);
        EXPECT_EQ(AbreImpressora(2), -1) << linha;
        EXPECT_EQ(Porta, 1);
        EXPECT_EQ(Resposta, linha);
        EXPECT_EQ(driver.chamadas, (std::vector<teste::Chamada>{ChAbre(2), ChTXRX(2, 3, ".28"), ChFecha(2)}))
            << Descreve(driver.chamadas);
        EXPECT_EQ(PortaAberta(), -1);
    }
}

TEST_F(Link, ProbeOnAPortThatWillNotOpenSendsNothingAndKeepsTheState) {
    driver.abrePorPorta[1] = -1;
    Porta = 0;
    Resposta = "{+previous";
    Status = "+";
    EXPECT_EQ(AbreImpressora(1), -1);
    EXPECT_EQ(driver.chamadas, std::vector<teste::Chamada>{ChAbre(1)}) << Descreve(driver.chamadas);
    EXPECT_EQ(Porta, 0);
    EXPECT_EQ(Resposta, "{+previous");
    EXPECT_EQ(Status, "+");
}

TEST_F(Link, ClockTextFromTheStatusAnswer) {
    struct Caso {
        std::string resposta;
        std::string texto;
    };
    const std::string dataHora = "0512031430";
    const Caso casos[] = {
        {LinhaCom(124, {{44, dataHora}, {54, "S"}}), "Horario de Verao 05/12/03 14:30"},
        {LinhaCom(124, {{44, dataHora}, {54, "N"}}), "Horario Normal 05/12/03 14:30"},
        {LinhaCom(124, {{44, dataHora}, {54, "s"}}), "Horario Normal 05/12/03 14:30"},
        {LinhaCom(54, {{44, dataHora}, {54, "S"}}), "Horario de Verao 05/12/03 14:30"},
        {LinhaCom(53, {{44, dataHora}}), "Horario Normal 05/12/03 14:30"},
        {LinhaCom(51, {{44, "05120314"}}), "Horario Normal 05/12/03 14:"},
        {LinhaCom(46, {{44, "051"}}), "Horario Normal 05/1/ :"},
        {"", "Horario Normal // :"},
    };
    for (const auto& caso : casos) {
        Resposta = caso.resposta;
        EXPECT_EQ(TextoRelogio(), caso.texto) << caso.resposta;
    }
}

TEST_F(Link, RemembersWhichPortIsOpenSoItCanBeClosedAtTheEnd) {
    driver.abrePorPorta[3] = -1;
    EXPECT_EQ(PortaAberta(), -1);
    Abre(1);
    EXPECT_EQ(PortaAberta(), 1);
    Abre(3);  // did not open: the earlier one is still the open port
    EXPECT_EQ(PortaAberta(), 1);
    Fecha(2);
    EXPECT_EQ(PortaAberta(), 1);
    driver.Limpa();
    FechaPortaAberta();
    EXPECT_EQ(driver.chamadas, std::vector<teste::Chamada>{ChFecha(1)}) << Descreve(driver.chamadas);
    driver.Limpa();
    FechaPortaAberta();
    EXPECT_TRUE(driver.chamadas.empty()) << Descreve(driver.chamadas);
}

}  // namespace
}  // namespace tavorin
