// Where the driver is looked for on Windows, from a program with no
// Zub_Dll3.dll beside it: never in the working folder, where anyone can
// leave one (a Downloads folder, a USB stick), but in the system folder,
// where a maker's installer may put it.
#include "ambiente.h"
#include "driver_library.h"
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

}  // namespace
}  // namespace tavorin
