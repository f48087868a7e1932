// The link against a fake driver: the state it keeps, the answer file it
// reads, the probe and the clock text.
#include "ambiente.h"
#include "driver.h"
#include "fake_driver.h"
#include "link.h"
#include "respostas.h"
#include "zub_dll3.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tavorin {
namespace {

using namespace teste;
using Chamadas = std::vector<Chamada>;

class Link : public ::testing::Test {
protected:
    void SetUp() override {
        Porta = 0;
        Resposta.clear();
        Status.clear();
    }
    DiretorioTemporario pasta;
    FakeDriver driver;
};

TEST(Para16, KeepsTheLowSixteenBitsAsASignedInteger) {
    const std::pair<int32_t, int16_t> casos[] = {
        {32767, 32767}, {32768, -32768}, {65535, -1}, {65537, 1}, {-32769, 32767}, {70000, 4464}};
    for (const auto& [entrada, esperado] : casos) EXPECT_EQ(Para16(entrada), esperado) << entrada;
}

TEST_F(Link, ReadsTheFirstLineOfTheAnswerFileAsBytes) {
    std::string oitoBits(1, '\0');
    for (int c = 1; c < 256; ++c)
        if (c != '\r' && c != '\n') oitoBits.push_back(static_cast<char>(c));
    const std::pair<std::string, std::string> casos[] = {
        {"{+28 abc\r\nsecond line\r\n", "{+28 abc"}, {"{+28 abc\nsecond\n", "{+28 abc"},
        {"no line end", "no line end"},             {"\r\n{+ later}", ""},
        {oitoBits + "\r\n", oitoBits}};
    for (const auto& [arquivo, linha] : casos) {
        GravaArquivo(kArquivoResposta, arquivo);
        EXPECT_EQ(LeResposta(), linha);
    }
    std::filesystem::remove(kArquivoResposta);
    EXPECT_EQ(LeResposta(), "");
}

// The answer and its second character, whatever the first; port and wait
// limit narrowed to 16 bits; the command byte for byte; the driver's result.
TEST_F(Link, EnviaComandoKeepsTheAnswerAndItsStatusCharacter) {
    const std::pair<std::string, std::string> casos[] = {
        {"x+28", "+"}, {"{-28", "-"}, {"{]", "]"}, {"+", ""}, {"{ +", " "}};
    for (const auto& [linha, status] : casos) {
        driver.Enfileira(".13\xC7\xFF", Atendimento{linha, -7});
        EXPECT_EQ(EnviaComando(65537, 65536 + 180, ".13\xC7\xFF"), -7);
        EXPECT_EQ(Resposta, linha);
        EXPECT_EQ(Status, status) << linha;
    }
    EXPECT_EQ(driver.chamadas.back(), ChTXRX(1, 180, ".13\xC7\xFF")) << Descreve(driver.chamadas);
}

// A driver that writes no answer must not have the previous command's
// answer read back as the answer to this one.
TEST_F(Link, ACommandThatGetsNoAnswerReadsAsFailedNotAsTheStaleAnswer) {
    driver.Enfileira(".28", "{+28 good answer");
    EnviaComando(1, 3, ".28");
    ASSERT_EQ(Status, "+");
    driver.Enfileira(".13", Atendimento{std::nullopt, -2});
    EXPECT_EQ(EnviaComando(1, 180, ".13"), -2);
    EXPECT_EQ(Resposta, "");
    EXPECT_EQ(Status, "");
}

TEST_F(Link, ProbeKeepsThePortOpenOnlyOnPlus) {
    driver.Enfileira(".28", "{+28");
    EXPECT_EQ(AbreImpressora(2), 0);
    EXPECT_EQ(Porta, 2);
    EXPECT_EQ(driver.chamadas, (Chamadas{ChAbre(2), ChTXRX(2, 3, ".28")})) << Descreve(driver.chamadas);
    EXPECT_EQ(PortaAberta(), 2);
    for (const std::string linha : {"{-28", "", "+"}) {
        driver.Limpa();
        driver.Enfileira(".28", linha);
        EXPECT_EQ(AbreImpressora(3), -1) << linha;
        EXPECT_EQ(Porta, 2);
        EXPECT_EQ(driver.chamadas, (Chamadas{ChAbre(3), ChTXRX(3, 3, ".28"), ChFecha(3)})) << Descreve(driver.chamadas);
    }
    driver.Limpa();
    driver.abrePadrao = -1;
    EXPECT_EQ(AbreImpressora(1), -1);
    EXPECT_EQ(driver.chamadas, Chamadas{ChAbre(1)}) << Descreve(driver.chamadas);
    EXPECT_EQ(Resposta, "+");
}

TEST_F(Link, ClockTextFromTheStatusAnswer) {
    const std::pair<std::string, std::string> casos[] = {
        {Status28("0512031430", 'S'), "Horario de Verao 05/12/03 14:30"},
        {Status28("0512031430", 's'), "Horario Normal 05/12/03 14:30"},
        {Status28("0512031430").substr(0, 53), "Horario Normal 05/12/03 14:30"},
        {Status28("0512031430").substr(0, 46), "Horario Normal 05/1/ :"},
        {"", "Horario Normal // :"}};
    for (const auto& [resposta, texto] : casos) {
        Resposta = resposta;
        EXPECT_EQ(TextoRelogio(), texto) << resposta;
    }
}

TEST_F(Link, RemembersWhichPortIsOpenSoItCanBeClosedAtTheEnd) {
    EXPECT_EQ(PortaAberta(), -1);
    Abre(1);
    Fecha(2);
    driver.abrePadrao = -1;
    Abre(3);  // did not open: the earlier one is still the open port
    EXPECT_EQ(PortaAberta(), 1);
    driver.Limpa();
    FechaPortaAberta();
    FechaPortaAberta();
    EXPECT_EQ(driver.chamadas, Chamadas{ChFecha(1)}) << Descreve(driver.chamadas);
}

}  // namespace
}  // namespace tavorin
