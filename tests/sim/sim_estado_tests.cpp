// The state file: read again before every command, replaced atomically,
// never overwritten when it cannot be read.
#include "simulador.h"

#if defined(_WIN32)
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

namespace zubsim::teste {
namespace {

std::string Substitui(std::string texto, const std::string& de, const std::string& para) {
    std::size_t onde = texto.find(de);
    EXPECT_NE(onde, std::string::npos) << de;
    if (onde != std::string::npos) texto.replace(onde, de.size(), para);
    return texto;
}

std::vector<std::string> Arquivos(const std::filesystem::path& pasta) {
    std::vector<std::string> nomes;
    for (const auto& entrada : std::filesystem::directory_iterator(pasta))
        nomes.push_back(entrada.path().filename().string());
    std::sort(nomes.begin(), nomes.end());
    return nomes;
}

TEST_F(Simulador, StateIsReadAgainBeforeEveryCommand) {
    Aceitos({".13", ".13"});
    // Another process changes the printer between two commands.
    std::string estado = LeArquivo(Estado());
    tavorin::teste::GravaArquivo(Estado(), Substitui(estado, "\ncoo=2\n", "\ncoo=41\n"));
    EXPECT_EQ(Coo(), "0041");
    Aceito(".13");
    EXPECT_EQ(Coo(), "0042");
}

TEST_F(Simulador, SavingLeavesOnlyTheStateAndTheRoll) {
    CupomCompleto();
    Aceito(".14");
    EXPECT_EQ(Arquivos(Pasta()), (std::vector<std::string>{"RespZub.txt", "ZubSim-bobina.txt",
                                                            "ZubSim-estado.txt"}));
}

TEST_F(Simulador, LeftoverTemporaryFileOfACrashIsIgnored) {
    Aceitos({".13", ".13"});
    std::string estado = LeArquivo(Estado());
    // A crash halfway through writing the next state.
    tavorin::teste::GravaArquivo(Pasta() / "ZubSim-estado.txt.999999.tmp", estado.substr(0, 20));
    EXPECT_EQ(Coo(), "0002");
    Aceito(".13");
    EXPECT_EQ(Coo(), "0003");
}

TEST_F(Simulador, CorruptStateIsRefusedAndKeptAsItIs) {
    Relogio("100000", "010324");
    CupomCompleto();
    Aceito(".14");
    const std::string bom = LeArquivo(Estado());
    const std::string corrompidos[] = {
        "lixo",
        "",
        bom.substr(0, bom.size() / 2),                           // cut short
        Substitui(bom, "formato=1\n", "formato=2\n"),                // another format
        Substitui(bom, "\nfim=1\n", "\n"),                           // no end mark
        Substitui(bom, "\ncoo=2\n", "\ncoo=-2\n"),
        Substitui(bom, "\ncoo=2\n", "\ncoo=2\ncoo=3\n"),             // key twice
        Substitui(bom, "\ncoo=2\n", "\ncor=2\n"),                    // unknown key
        Substitui(bom, "\ncrz=1\n", "\ncrz=2\n"),                    // counter vs records
        Substitui(bom, "reducao=1 ", "reducao=2 "),                  // record numbering
        Substitui(bom, "\ndia_ultima_z=20240301\n", "\ndia_ultima_z=20240231\n"),
        Substitui(bom, "\nleitura=0 0 0 0 0\n", "\nleitura=17 0 0 0 0\n"),
    };
    for (const auto& texto : corrompidos) {
        tavorin::teste::GravaArquivo(Estado(), texto);
        for (const std::string comando : {".28", ".23", ".13", ".17", ".35100000020324"})
            EXPECT_EQ(Recusado(comando), "06") << comando << " on:\n" << texto;
        EXPECT_EQ(LeArquivo(Estado()), texto);
    }
    tavorin::teste::GravaArquivo(Estado(), bom);
    EXPECT_EQ(Coo(), "0002");
    // Windows line ends, as an editor may leave them, are still a state.
    std::string crlf;
    for (char c : bom) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    tavorin::teste::GravaArquivo(Estado(), crlf);
    EXPECT_EQ(Coo(), "0002");
}

TEST_F(Simulador, StateThatCannotBeSavedRefusesTheCommandAndKeepsTheOldOne) {
    Aceito(".13");
    const std::string antes = LeArquivo(Estado());
    // The temporary file's name taken by a directory: the save must fail.
    std::filesystem::path temporario = Estado();
    temporario += "." + std::to_string(getpid()) + ".tmp";
    std::filesystem::create_directory(temporario);
    EXPECT_EQ(Recusado(".13"), "07");
    EXPECT_EQ(LeArquivo(Estado()), antes);
    EXPECT_EQ(Coo(), "0001");
    std::filesystem::remove(temporario);
    Aceito(".13");
    EXPECT_EQ(Coo(), "0002");
}

TEST_F(Simulador, StateDirectoryIsCreatedWhenMissing) {
    std::filesystem::path pasta = Pasta() / "nova" / "pasta";
    PoeAmbiente("ZUBSIM_DIR", pasta.string().c_str());
    Aceito(".13");
    EXPECT_TRUE(std::filesystem::exists(pasta / "ZubSim-estado.txt"));
    EXPECT_TRUE(std::filesystem::exists(pasta / "ZubSim-bobina.txt"));
    EXPECT_EQ(Coo(), "0001");
}

}  // namespace
}  // namespace zubsim::teste
