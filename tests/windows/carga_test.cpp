// Where the driver is looked for on Windows, from a program with no
// Zub_Dll3.dll beside it: never in the working folder, where anyone can
// leave one (a Downloads folder, a USB stick), but in the system folder,
// where a maker's installer may put it. And what each call into it does
// to the stack.
#include "ambiente_teste.h"
#include "driver_library.h"
#include "link.h"
#include "registro.h"
#include "texto_windows.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>

namespace tavorin {
namespace {

using namespace teste;
namespace fs = std::filesystem;

std::string Minusculas(std::string texto) {
    std::transform(texto.begin(), texto.end(), texto.begin(), [](unsigned char c) { return std::tolower(c); });
    return texto;
}

// What the test puts in the system folder goes with it, however it ends.
struct Remove {
    fs::path caminho;
    ~Remove() {
        std::error_code erro;
        fs::remove(caminho, erro);
    }
};

TEST(CargaDoDriver, NeverFromTheWorkingFolderButFromTheSystemFolder) {
    const fs::path programa(Largo(PastaDoPrograma(), CP_UTF8));
    const fs::path simulador = programa.parent_path().parent_path() / kBibliotecaDriver;
    ASSERT_TRUE(fs::exists(simulador)) << simulador;
    ASSERT_FALSE(fs::exists(programa / kBibliotecaDriver));
    wchar_t pasta[MAX_PATH];
    const UINT n = GetSystemDirectoryW(pasta, MAX_PATH);
    ASSERT_GT(n, 0u);
    const fs::path noSistema = fs::path(std::wstring(pasta, n)) / kBibliotecaDriver;
    ASSERT_FALSE(fs::exists(noSistema)) << noSistema << " was left by an earlier run";

    DiretorioTemporario trabalho;
    fs::copy_file(simulador, trabalho.Caminho() / kBibliotecaDriver);
    {
        DriverLibrary biblioteca;
        EXPECT_FALSE(biblioteca.Carrega()) << biblioteca.Carregado();
        EXPECT_FALSE(biblioteca.Falha().Encontrada());
        const std::vector<Tentativa> tentativas = biblioteca.Tentativas();
        ASSERT_EQ(tentativas.size(), 3u);  // the program's, the system and the Windows folders
        EXPECT_EQ(Minusculas(tentativas[1].lugar), Minusculas(Estreito(noSistema.wstring(), CP_UTF8)));
        for (const Tentativa& t : tentativas) EXPECT_EQ(t.achado, Tentativa::Achado::Ausente) << t.lugar;
    }
    // The standard search would take it from there, until the programs'
    // first step takes the working folder out of it.
    HMODULE plantada = LoadLibraryW(L"Zub_Dll3.dll");
    EXPECT_NE(plantada, nullptr);
    if (plantada) FreeLibrary(plantada);
    ProtegeBuscaDeBibliotecas();
    plantada = LoadLibraryW(L"Zub_Dll3.dll");
    EXPECT_EQ(plantada, nullptr);
    if (plantada) FreeLibrary(plantada);

    const Remove remove{noSistema};
    fs::copy_file(simulador, noSistema);
    DriverLibrary biblioteca;
    ASSERT_TRUE(biblioteca.Carrega()) << DescreveFalha(biblioteca.Falha());
    EXPECT_EQ(Minusculas(biblioteca.Carregado()), Minusculas(Estreito(noSistema.wstring(), CP_UTF8)));
    const std::vector<Tentativa> tentativas = biblioteca.Tentativas();
    ASSERT_EQ(tentativas.size(), 2u);
    EXPECT_EQ(tentativas[0].achado, Tentativa::Achado::Ausente);
    EXPECT_EQ(tentativas[1].achado, Tentativa::Achado::Carregada);
    EXPECT_EQ(biblioteca.Abre(1), 0);
    biblioteca.Fecha(1);
}

// Every call into the library is measured: the simulated printer built
// __stdcall removes its arguments; built cdecl it removes none, which the
// exchange log tells once, and it still answers every command.
TEST(CargaDoDriver, CallingConventionMeasuredAndACdeclDriverStillWorks) {
    const fs::path bin = fs::path(Largo(PastaDoPrograma(), CP_UTF8)).parent_path().parent_path();
    const std::string semStdcall = "cdecl, não __stdcall (Abre retirou 0 de 4 bytes da pilha, TXRX 0 de 12";
    const struct {
        fs::path biblioteca;
        Convencao::Tipo tipo;
        std::string descricao, nota;
    } casos[] = {
        {bin / kBibliotecaDriver, Convencao::Tipo::Stdcall, "__stdcall (Abre retirou 4 bytes da pilha, TXRX 12, Fecha 4)", ""},
        {bin / "cdecl" / kBibliotecaDriver, Convencao::Tipo::Cdecl,
         semStdcall + ", Fecha 0 de 4; o Tavorin repõe a pilha a cada chamada)",
         "convenção de chamada do driver: " + semStdcall + "; o Tavorin repõe a pilha a cada chamada)"},
    };
    DiretorioTemporario trabalho;
    AmbienteDoSimulador(trabalho.Caminho());
    for (const auto& caso : casos) {
        DriverLibrary biblioteca(Estreito(caso.biblioteca.wstring(), CP_UTF8));
        const DriverNoLugar driver(&biblioteca);
        EXPECT_EQ(DescreveConvencao(ConvencaoDoDriver()), "não medida: nenhuma função da biblioteca foi chamada");
        LimpaTrocas();
        ASSERT_EQ(Abre(1), 0) << DescreveFalha(biblioteca.Falha());
        for (int i = 0; i < 2; ++i) EXPECT_EQ(FazTroca(1, 3, ".28").resposta.substr(0, 4), "@+28") << caso.biblioteca;
        EXPECT_EQ(Fecha(1), 0);
        EXPECT_EQ(ConvencaoDoDriver().Qual(), caso.tipo);
        EXPECT_EQ(DescreveConvencao(ConvencaoDoDriver()), caso.descricao);
        const std::vector<Troca> trocas = Trocas();
        ASSERT_EQ(trocas.size(), 2u);
        EXPECT_EQ(trocas[0].nota, caso.nota);
        EXPECT_EQ(trocas[1].nota, "");
    }
}

}  // namespace
}  // namespace tavorin
