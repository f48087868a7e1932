// The loader against real libraries: the simulated printer found beside
// the test program, as the program finds it; a missing library; a library
// without one of the functions.
#include "ambiente.h"
#include "driver.h"
#include "driver_library.h"
#include "link.h"
#include "zub_dll3.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tavorin {
namespace {

class Biblioteca : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* nome : {"ZUBSIM_PORTA", "ZUBSIM_SEM_PAPEL", "ZUBSIM_FORA_DE_LINHA", "ZUBSIM_MUDA",
                                 "ZUBSIM_BAUD"})
            teste::PoeAmbiente(nome, nullptr);
        teste::PoeAmbiente("ZUBSIM_DIR", pasta.Caminho().string().c_str());
        Porta = 0;
        Resposta.clear();
        Status.clear();
    }
    void TearDown() override {
        InstalaDriver(nullptr);
        teste::PoeAmbiente("ZUBSIM_DIR", nullptr);
    }
    teste::DiretorioTemporario pasta;
};

TEST_F(Biblioteca, LoadsTheDriverFromTheProgramsOwnFolderFirst) {
    DriverLibrary driver;
    ASSERT_TRUE(driver.Carrega()) << driver.Falha().arquivo;
    EXPECT_EQ(std::filesystem::path(driver.Carregado()),
              std::filesystem::path(PastaDoPrograma() + kBibliotecaDriver));
    EXPECT_FALSE(driver.Falha().Houve());
}

TEST_F(Biblioteca, TheProgramsDefaultDriverTalksToTheSimulatedPrinter) {
    InstalaDriver(nullptr);
    ASSERT_EQ(AbreImpressora(1), 0) << Resposta;
    EXPECT_EQ(Porta, 1);
    EXPECT_EQ(Status, "+");
    // The driver ends the line with CR LF; the link keeps neither.
    const std::string arquivo = teste::LeArquivo(kArquivoResposta);
    ASSERT_GE(arquivo.size(), 2u);
    EXPECT_EQ(arquivo.substr(arquivo.size() - 2), "\r\n");
    EXPECT_EQ(Resposta + "\r\n", arquivo);
    EXPECT_FALSE(FalhaDoDriver().Houve());
    Fecha(1);
}

// A mute printer: the answer file the previous command left is gone, so
// the command reads as failed instead of as the earlier success.
TEST_F(Biblioteca, AMutePrinterIsNotReadAsThePreviousAnswer) {
    InstalaDriver(nullptr);
    ASSERT_EQ(AbreImpressora(1), 0);
    ASSERT_EQ(Status, "+");
    teste::PoeAmbiente("ZUBSIM_MUDA", "1");
    Abre(1);  // the simulated printer reads its settings when the port opens
    EXPECT_LT(EnviaComando(1, 3, ".28"), 0);
    EXPECT_EQ(Status, "");
    EXPECT_EQ(Resposta, "");
    Fecha(1);
}

// The command reaches the printer byte for byte: an item whose description
// holds Windows-1252 letters comes out on the printer's paper as those
// letters.
TEST_F(Biblioteca, EightBitCommandReachesThePrinterUnchanged) {
    InstalaDriver(nullptr);
    ASSERT_GE(Abre(1), 0);
    EnviaComando(1, 3, ".17");
    ASSERT_EQ(Status, "+") << Resposta;
    std::string item = ".0112345678901230001000000000100            PRODUTO DE QUALIDADE    T01";
    item.replace(44, 7, "A\xC7\xC3O \xC9 ");  // "AÇÃO É " in Windows-1252
    ASSERT_EQ(item.size(), 71u);
    EnviaComando(1, 10, item);
    EXPECT_EQ(Status, "+") << Resposta;
    Fecha(1);
    const std::string papel = teste::LeArquivo(pasta.Caminho() / "ZubSim-bobina.txt");
    EXPECT_NE(papel.find("A\xC3\x87\xC3\x83O \xC3\x89  DE QUALIDADE"), std::string::npos) << papel;
}

TEST_F(Biblioteca, AMissingLibraryFailsEveryCallAsADriverWould) {
    DriverLibrary ausente("Zub_Dll3_ausente.dll");
    InstalaDriver(&ausente);
    teste::GravaArquivo(kArquivoResposta, "{+28 stale answer\r\n");

    EXPECT_LT(Abre(1), 0);
    EXPECT_LT(TXRX(1, 3, ".28"), 0);
    EXPECT_LT(Fecha(1), 0);
    EXPECT_FALSE(std::filesystem::exists(kArquivoResposta));
    EXPECT_EQ(AbreImpressora(1), -1);
    EXPECT_EQ(Porta, 0);

    const FalhaDriver falha = FalhaDoDriver();
    EXPECT_EQ(falha.arquivo, "Zub_Dll3_ausente.dll");
    EXPECT_EQ(falha.funcao, "");
}

TEST_F(Biblioteca, ALibraryWithoutOneOfTheFunctionsIsNotUsed) {
    DriverLibrary incompleto(TAVORIN_DRIVER_INCOMPLETO);
    InstalaDriver(&incompleto);
    EXPECT_LT(Abre(1), 0);
    EXPECT_LT(TXRX(1, 3, ".28"), 0);
    const FalhaDriver falha = FalhaDoDriver();
    EXPECT_EQ(falha.arquivo, TAVORIN_DRIVER_INCOMPLETO);
    EXPECT_EQ(falha.funcao, "TXRX");
}

}  // namespace
}  // namespace tavorin
