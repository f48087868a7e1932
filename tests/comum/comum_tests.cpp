// comum's writer and lock, directly: what is replaced and how, what a
// killed writer left, and the lock's try, wait and bound.
#include "ambiente.h"
#include "arquivo_atomico.h"
#include "trava.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <thread>

#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace comum {
namespace {

using namespace tavorin::teste;
namespace fs = std::filesystem;
using std::chrono::milliseconds;
using Nomes = std::vector<std::string>;

Nomes NaPasta() {
    Nomes nomes;
    for (const auto& entrada : fs::directory_iterator(".")) nomes.push_back(entrada.path().filename().string());
    std::sort(nomes.begin(), nomes.end());
    return nomes;
}

// Of the temporary files beside the target only those of its naming that
// no writer holds are removed: a live writer's is left alone, and still
// takes its place.
TEST(ArquivoAtomico, RemovesOnlyWhatAKilledWriterLeft) {
    DiretorioTemporario pasta;
    for (const char* nome : {"saida.txt.123.tmp", "saida.txt.x1.tmp", "outra.txt.5.tmp"}) GravaArquivo(nome, "x");
    ArquivoAtomico vivo("saida.txt");
    ASSERT_TRUE(vivo.Abre() && vivo.Escreve("novo"));
    RemoveAbandonados("saida.txt");
    const Nomes durante = NaPasta();
    EXPECT_EQ(durante.size(), 3u);  // the live writer's is one of them
    EXPECT_EQ(std::count(durante.begin(), durante.end(), "saida.txt.123.tmp"), 0);
    EXPECT_TRUE(vivo.Conclui());
    EXPECT_EQ(NaPasta(), (Nomes{"outra.txt.5.tmp", "saida.txt", "saida.txt.x1.tmp"}));
    EXPECT_EQ(LeArquivo("saida.txt"), "novo");
}

// Only a regular file is replaced. A device or a pipe takes the whole
// content where it stands; a pipe with no reader, or whose reader left, is
// an error, not a wait or the end of the program; a socket is refused.
// Through links the file they lead to is replaced, with its permissions,
// even one that does not exist yet, and the links stay.
TEST(ArquivoAtomico, OnlyARegularFileIsReplaced) {
    DiretorioTemporario pasta;
#if defined(_WIN32)
    EXPECT_TRUE(GravaAtomico("NUL", "A\r\n"));
    EXPECT_TRUE(GravaAtomico("nul", "A\r\n"));
    EXPECT_EQ(NaPasta(), Nomes{});
#else
    const auto tipo = [](const char* nome) { return fs::symlink_status(nome).type(); };
    ASSERT_EQ(mkfifo("tubo", 0600), 0);
    const int leitor = open("tubo", O_RDONLY | O_NONBLOCK);
    EXPECT_TRUE(GravaAtomico("tubo", "A\r\n"));
    char lido[16];
    EXPECT_EQ(std::string(lido, static_cast<std::size_t>(std::max<ssize_t>(0, read(leitor, lido, sizeof lido)))),
              "A\r\n");
    ArquivoAtomico saiNoMeio("tubo");
    ASSERT_TRUE(saiNoMeio.Abre());
    close(leitor);
    EXPECT_FALSE(saiNoMeio.Escreve("A\r\n") && saiNoMeio.Conclui());
    ArquivoAtomico semLeitor("tubo");
    EXPECT_FALSE(semLeitor.Abre());
    EXPECT_NE(semLeitor.Erro().find("pipe"), std::string::npos) << semLeitor.Erro();
    EXPECT_EQ(tipo("tubo"), fs::file_type::fifo);

    sockaddr_un endereco{};
    endereco.sun_family = AF_UNIX;
    std::strcpy(endereco.sun_path, "tomada");
    const int tomada = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(bind(tomada, reinterpret_cast<const sockaddr*>(&endereco), sizeof endereco), 0);
    ArquivoAtomico socket("tomada");
    EXPECT_FALSE(socket.Abre());
    close(tomada);
    EXPECT_NE(socket.Erro().find("socket"), std::string::npos) << socket.Erro();
    EXPECT_EQ(tipo("tomada"), fs::file_type::socket);

    // As root, where device files can be made: the null device and the
    // full one (no room), each still a device afterwards.
    if (mknod("nulo", S_IFCHR | 0666, makedev(1, 3)) == 0 && mknod("cheio", S_IFCHR | 0666, makedev(1, 7)) == 0 &&
        close(open("nulo", O_WRONLY | O_CLOEXEC)) == 0) {
        EXPECT_TRUE(GravaAtomico("nulo", "A\r\n"));
        EXPECT_FALSE(GravaAtomico("cheio", "A\r\n"));
        EXPECT_EQ(tipo("nulo"), fs::file_type::character);
        EXPECT_EQ(tipo("cheio"), fs::file_type::character);
    }

    GravaArquivo("real.txt", "velho");
    fs::permissions("real.txt", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_directory("sub");
    fs::create_symlink("../real.txt", "sub/ligacao");
    fs::create_symlink("sub/ligacao", "ligacao");
    fs::create_symlink("nova.txt", "solta");
    EXPECT_TRUE(GravaAtomico("ligacao", "A\r\n"));
    EXPECT_TRUE(GravaAtomico("solta", "A\r\n"));
    EXPECT_EQ(LeArquivo("real.txt") + LeArquivo("nova.txt"), "A\r\nA\r\n");
    EXPECT_EQ(fs::status("real.txt").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    for (const char* ligacao : {"ligacao", "sub/ligacao", "solta"}) EXPECT_EQ(tipo(ligacao), fs::file_type::symlink);
#endif
}

#if defined(_WIN32)
// Another program holding the old file open: with delete sharing the new
// file takes its place; without it the writer waits a moment for it to
// let go, and reports failure, old file and no temporary file left, when
// it does not. A read-only file is not replaced, nor moved aside and left.
TEST(ArquivoAtomico, AnotherProgramHoldingTheOldFile) {
    DiretorioTemporario pasta;
    const struct {
        DWORD partilha;
        int soltaDepoisDeMs;  // -1: never
        bool gravada;
    } casos[] = {
        {FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, -1, true},
        {FILE_SHARE_READ, 200, true},
        {FILE_SHARE_READ, -1, false},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(std::to_string(caso.partilha) + " " + std::to_string(caso.soltaDepoisDeMs));
        GravaArquivo("saida.txt", "velho\r\n");
        HANDLE aberto = CreateFileW(L"saida.txt", GENERIC_READ, caso.partilha, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(aberto, INVALID_HANDLE_VALUE);
        std::thread solta;
        if (caso.soltaDepoisDeMs >= 0)
            solta = std::thread([&] {
                std::this_thread::sleep_for(milliseconds(caso.soltaDepoisDeMs));
                CloseHandle(aberto);
            });
        EXPECT_EQ(GravaAtomico("saida.txt", "NOVO\r\n"), caso.gravada);
        if (solta.joinable())
            solta.join();
        else
            CloseHandle(aberto);
        EXPECT_EQ(LeArquivo("saida.txt"), caso.gravada ? "NOVO\r\n" : "velho\r\n");
        EXPECT_EQ(NaPasta(), Nomes{"saida.txt"});
    }
    SetFileAttributesW(L"saida.txt", FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(GravaAtomico("saida.txt", "NOVO\r\n"));
    SetFileAttributesW(L"saida.txt", FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(LeArquivo("saida.txt"), "velho\r\n");
    EXPECT_EQ(NaPasta(), Nomes{"saida.txt"});
}
#endif

// Tried, waited for up to a bound or without one, given up when asked:
// a holder that lets go while it is waited for hands it over. Each case's
// holder waits first for the previous case's waiter, which lets go once it
// gets it even when given up. A file that cannot be opened is told apart.
TEST(Trava, TryWaitAndBound) {
    DiretorioTemporario pasta;
    using Estado = Trava::Estado;
    const struct {
        bool ocupada;
        milliseconds limite;
        int soltaNaPergunta;  // the holder lets go when the waiter asks this time; 0: never
        bool interrompe;
        Trava::Forma forma;
        Estado estado;
    } casos[] = {
        {false, milliseconds(0), 0, false, Trava::Forma::Byte, Estado::Obtida},
        {true, milliseconds(0), 0, false, Trava::Forma::Byte, Estado::Ocupada},
        {true, milliseconds(50), 0, false, Trava::Forma::Byte, Estado::Ocupada},
        {true, Trava::kSempre, 1, false, Trava::Forma::Byte, Estado::Obtida},
        {true, std::chrono::minutes(10), 2, false, Trava::Forma::Byte, Estado::Obtida},
        {true, Trava::kSempre, 0, true, Trava::Forma::Byte, Estado::Interrompida},
        {false, milliseconds(0), 0, false, Trava::Forma::SemPartilha, Estado::Obtida},
        {true, milliseconds(0), 0, false, Trava::Forma::SemPartilha, Estado::Ocupada},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(&caso - casos);
        // Held without sharing, a file cannot wait for another case's waiter.
        const char* const arquivo = caso.forma == Trava::Forma::Byte ? "trava" : "porta";
        std::optional<Trava> dona;
        if (caso.ocupada) {
            dona.emplace(arquivo, std::chrono::minutes(1), nullptr, Trava::Abertura::Compartilhada, caso.forma);
            ASSERT_TRUE(dona->Obtida());
        }
        int perguntas = 0;
        const Trava trava(arquivo, caso.limite, [&] {
            if (++perguntas == caso.soltaNaPergunta) dona.reset();
            return caso.interrompe;
        }, Trava::Abertura::Compartilhada, caso.forma);
        EXPECT_EQ(trava.Situacao(), caso.estado);
    }
    const Trava semPasta("falta/trava", milliseconds(0));
    EXPECT_EQ(semPasta.Situacao(), Estado::Inacessivel);
    EXPECT_NE(semPasta.Erro(), 0);
}

}  // namespace
}  // namespace comum
