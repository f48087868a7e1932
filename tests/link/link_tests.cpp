// The link against a fake driver (the answer file it reads, the state it
// keeps, the probe, the clock text) and the loader against real libraries.
#include "ambiente.h"
#include "driver_library.h"
#include "fake_driver.h"
#include "link.h"
#include "respostas.h"

#include <gtest/gtest.h>

namespace tavorin {
namespace {

using namespace teste;
using Chamadas = std::vector<Chamada>;

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

// The simulated printer beside this program is loaded from there, as the
// program loads it; its answers come back byte for byte, without CR LF. A
// library that is missing, or that lacks the driver's functions (a system
// library here), fails every call as a driver would instead of crashing,
// and names the file; a stale answer is still removed.
TEST_F(Link, DriverLibraries) {
    InstalaDriver(nullptr);
    DriverLibrary simulador;
    ASSERT_TRUE(simulador.Carrega()) << simulador.Falha().arquivo;
    EXPECT_EQ(simulador.Carregado(), PastaDoPrograma() + kBibliotecaDriver);
    ASSERT_EQ(AbreImpressora(1), 0) << Resposta;
    EXPECT_EQ(Resposta + "\r\n", LeArquivo(kArquivoResposta));
    EnviaComando(1, 3, ".16010100311299#");
    EXPECT_EQ(Resposta, "@+0001LEITURA DA MEM\xD3RIA FISCAL}");
    EXPECT_FALSE(FalhaDoDriver().Houve());
    Fecha(1);
#if defined(_WIN32)
    const std::string semFuncoes = "kernel32.dll";
#else
    const std::string semFuncoes = "libm.so.6";
#endif
    for (const std::string& arquivo : {std::string("Zub_Dll3_ausente.dll"), semFuncoes}) {
        DriverLibrary biblioteca(arquivo);
        InstalaDriver(&biblioteca);
        GravaArquivo(kArquivoResposta, "{+28 stale answer\r\n");
        EXPECT_EQ(AbreImpressora(1), -1);
        EXPECT_LT(TXRX(1, 3, ".28"), 0);
        EXPECT_LT(Fecha(1), 0);
        EXPECT_FALSE(std::filesystem::exists(kArquivoResposta));
        EXPECT_EQ(FalhaDoDriver().arquivo, arquivo);
        EXPECT_EQ(FalhaDoDriver().funcao, arquivo == semFuncoes ? "Abre" : "");
        InstalaDriver(nullptr);
    }
}

}  // namespace
}  // namespace tavorin
