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

std::string Muda(std::string texto, const std::string& de, const std::string& para) {
    const std::size_t onde = texto.find(de);
    EXPECT_NE(onde, std::string::npos) << de;
    return onde == std::string::npos ? texto : texto.replace(onde, de.size(), para);
}

// Another process changes the printer between two commands; a temporary
// file left by a crash halfway through a save is ignored; saving leaves
// nothing but the state and the paper roll.
TEST_F(Simulador, StateIsReadAgainBeforeEveryCommandAndReplacedWhole) {
    Aceitos({".13", ".13"});
    GravaArquivo(Estado(), Muda(LeArquivo(Estado()), "\ncoo=2\n", "\ncoo=41\n"));
    GravaArquivo(Pasta() / "ZubSim-estado.txt.999999.tmp", LeArquivo(Estado()).substr(0, 20));
    EXPECT_EQ(Coo(), "0041");
    Aceito(".13");
    EXPECT_EQ(Coo(), "0042");
    std::filesystem::remove(Pasta() / "ZubSim-estado.txt.999999.tmp");
    // The answer file, the state and the paper roll.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Pasta()), std::filesystem::directory_iterator()), 3);
}

TEST_F(Simulador, CorruptStateIsRefusedAndKeptAsItIs) {
    Relogio("100000", "010324");
    CupomCompleto();
    Aceito(".14");
    const std::string bom = LeArquivo(Estado());
    const std::string corrompidos[] = {
        "",
        bom.substr(0, bom.size() / 2),                  // cut short
        Muda(bom, "formato=1\n", "formato=2\n"),       // another format
        Muda(bom, "\ncoo=2\n", "\ncoo=-2\n"),
        Muda(bom, "\ncoo=2\n", "\ncor=2\n"),           // unknown key
        Muda(bom, "\ncrz=1\n", "\ncrz=2\n"),           // counter against records
        Muda(bom, "\ndia_ultima_z=20240301\n", "\ndia_ultima_z=20240231\n"),
    };
    for (const auto& texto : corrompidos) {
        GravaArquivo(Estado(), texto);
        Roteiro({{".28", "-06"}, {".13", "-06"}, {".35100000020324", "-06"}});
        EXPECT_EQ(LeArquivo(Estado()), texto);
    }
    // Windows line ends, as an editor may leave them, are still a state.
    std::string crlf;
    for (char c : bom) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    GravaArquivo(Estado(), crlf);
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
    std::filesystem::remove(temporario);
    EXPECT_EQ(Coo(), "0001");
}

TEST_F(Simulador, StateDirectoryIsCreatedWhenMissing) {
    const std::filesystem::path pasta = Pasta() / "nova" / "pasta";
    PoeAmbiente("ZUBSIM_DIR", pasta.string().c_str());
    Aceito(".13");
    EXPECT_TRUE(std::filesystem::exists(pasta / "ZubSim-estado.txt"));
    EXPECT_TRUE(std::filesystem::exists(pasta / "ZubSim-bobina.txt"));
}

}  // namespace
}  // namespace zubsim::teste
