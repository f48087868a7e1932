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
        teste::AmbienteDoSimulador(pasta.Caminho());
        Porta = 0;
    }
    void TearDown() override { InstalaDriver(nullptr); }
    teste::DiretorioTemporario pasta;
};

TEST_F(Biblioteca, TheProgramsDriverIsTheLibraryInItsOwnFolder) {
    DriverLibrary driver;
    ASSERT_TRUE(driver.Carrega()) << driver.Falha().arquivo;
    EXPECT_EQ(std::filesystem::path(driver.Carregado()), std::filesystem::path(PastaDoPrograma() + kBibliotecaDriver));
    InstalaDriver(nullptr);
    ASSERT_EQ(AbreImpressora(1), 0) << Resposta;
    // The driver ends the line with CR LF; the link keeps neither.
    EXPECT_EQ(Resposta + "\r\n", teste::LeArquivo(kArquivoResposta));
    EXPECT_FALSE(FalhaDoDriver().Houve());
    Fecha(1);
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
    EXPECT_EQ(FalhaDoDriver().arquivo, "Zub_Dll3_ausente.dll");
    EXPECT_EQ(FalhaDoDriver().funcao, "");
}

TEST_F(Biblioteca, ALibraryWithoutOneOfTheFunctionsIsNotUsed) {
    DriverLibrary incompleto(TAVORIN_DRIVER_INCOMPLETO);
    InstalaDriver(&incompleto);
    EXPECT_LT(Abre(1), 0);
    EXPECT_LT(TXRX(1, 3, ".28"), 0);
    EXPECT_EQ(FalhaDoDriver().arquivo, TAVORIN_DRIVER_INCOMPLETO);
    EXPECT_EQ(FalhaDoDriver().funcao, "TXRX");
}

}  // namespace
}  // namespace tavorin
