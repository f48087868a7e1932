// comum's writer and lock, directly.
#include "ambiente_teste.h"
#include "arquivo_atomico.h"
#include "trava.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

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

// Only the temporary files of the target's naming that no writer holds go:
// a live writer's stays, and still takes its place.
TEST(ArquivoAtomico, RemovesOnlyWhatAKilledWriterLeft) {
    DiretorioTemporario pasta;
    for (const char* nome : {"saida.txt.123.tmp", "saida.txt.x1.tmp", "outra.txt.5.tmp"}) GravaArquivo(nome, "x");
    ArquivoAtomico vivo("saida.txt");
    ASSERT_TRUE(vivo.Abre() && vivo.Escreve("novo"));
    RemoveAbandonados("saida.txt");
    EXPECT_EQ(NaPasta().size(), 3u);  // the live writer's among them
    EXPECT_TRUE(vivo.Conclui());
    EXPECT_EQ(NaPasta(), (Nomes{"outra.txt.5.tmp", "saida.txt", "saida.txt.x1.tmp"}));
    EXPECT_EQ(LeArquivo("saida.txt"), "novo");
}

// Only a regular file is replaced: a device or a pipe takes it all where it
// stands, a pipe without a reader (or whose reader left) and a socket are
// errors. Through links the file they lead to is replaced, permissions
// kept, even one not there yet, and the links stay.
TEST(ArquivoAtomico, OnlyARegularFileIsReplaced) {
    DiretorioTemporario pasta;
#if defined(_WIN32)
    EXPECT_TRUE(GravaAtomico("NUL", "A") && GravaAtomico("nul", "A"));
    EXPECT_EQ(NaPasta(), Nomes{});
#else
    const auto tipo = [](const char* nome) { return fs::symlink_status(nome).type(); };
    ASSERT_EQ(mkfifo("tubo", 0600), 0);
    const int leitor = open("tubo", O_RDONLY | O_NONBLOCK);
    EXPECT_TRUE(GravaAtomico("tubo", "A\r\n"));
    char lido[16];
    EXPECT_EQ(std::string(lido, static_cast<std::size_t>(std::max<ssize_t>(0, read(leitor, lido, 16)))), "A\r\n");
    ArquivoAtomico saiNoMeio("tubo");
    ASSERT_TRUE(saiNoMeio.Abre());
    close(leitor);
    EXPECT_FALSE(saiNoMeio.Escreve("A") && saiNoMeio.Conclui());
    ArquivoAtomico semLeitor("tubo");
    EXPECT_FALSE(semLeitor.Abre());
    EXPECT_NE(semLeitor.Erro().find("pipe"), std::string::npos) << semLeitor.Erro();
    sockaddr_un endereco{AF_UNIX, "tomada"};
    const int tomada = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(bind(tomada, reinterpret_cast<const sockaddr*>(&endereco), sizeof endereco), 0);
    ArquivoAtomico socket("tomada");
    EXPECT_FALSE(socket.Abre());
    close(tomada);
    EXPECT_NE(socket.Erro().find("socket"), std::string::npos) << socket.Erro();
    // As root, where devices can be made: the null one and the full one.
    if (mknod("nulo", S_IFCHR | 0666, makedev(1, 3)) == 0 && mknod("cheio", S_IFCHR | 0666, makedev(1, 7)) == 0) {
        EXPECT_TRUE(GravaAtomico("nulo", "A") && !GravaAtomico("cheio", "A"));
        EXPECT_EQ(tipo("nulo"), fs::file_type::character);
    }
    EXPECT_EQ(tipo("tubo"), fs::file_type::fifo);
    EXPECT_EQ(tipo("tomada"), fs::file_type::socket);

    GravaArquivo("real.txt", "velho");
    const fs::perms permissoes = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions("real.txt", permissoes);
    fs::create_directory("sub");
    fs::create_symlink("../real.txt", "sub/ligacao");
    fs::create_symlink("sub/ligacao", "ligacao");
    fs::create_symlink("nova.txt", "solta");
    EXPECT_TRUE(GravaAtomico("ligacao", "A") && GravaAtomico("solta", "B"));
    EXPECT_EQ(LeArquivo("real.txt") + LeArquivo("nova.txt"), "AB");
    EXPECT_EQ(fs::status("real.txt").permissions(), permissoes);
    for (const char* ligacao : {"ligacao", "sub/ligacao", "solta"}) EXPECT_EQ(tipo(ligacao), fs::file_type::symlink);
#endif
}

#if defined(_WIN32)
// Another program holding the old file open: with delete sharing the new
// file takes its place; without it the writer tries again for a moment and
// gets it when that program lets go meanwhile (here at its first retry),
// and fails, old file kept and nothing left, when it does not. A read-only
// file is not replaced, nor moved aside and left.
TEST(ArquivoAtomico, AnotherProgramHoldingTheOldFile) {
    DiretorioTemporario pasta;
    const struct {
        DWORD partilha;
        bool soltaAoRepetir;
        bool gravada;
    } casos[] = {{FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, false, true},
                 {FILE_SHARE_READ, true, true},
                 {FILE_SHARE_READ, false, false}};
    for (const auto& caso : casos) {
        SCOPED_TRACE(&caso - casos);
        GravaArquivo("saida.txt", "velho");
        HANDLE aberto = CreateFileW(L"saida.txt", GENERIC_READ, caso.partilha, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(aberto, INVALID_HANDLE_VALUE);
        ArquivoAtomico arquivo("saida.txt");
        arquivo.AntesDeRepetir([&] {
            if (caso.soltaAoRepetir && aberto != INVALID_HANDLE_VALUE) {
                CloseHandle(aberto);
                aberto = INVALID_HANDLE_VALUE;
            }
        });
        EXPECT_EQ(arquivo.Abre() && arquivo.Escreve("NOVO") && arquivo.Conclui(), caso.gravada) << arquivo.Erro();
        // Let go by the writer's retry, so the retry did take it.
        EXPECT_EQ(aberto == INVALID_HANDLE_VALUE, caso.soltaAoRepetir);
        if (aberto != INVALID_HANDLE_VALUE) CloseHandle(aberto);
        EXPECT_EQ(LeArquivo("saida.txt"), caso.gravada ? "NOVO" : "velho");
        EXPECT_EQ(NaPasta(), Nomes{"saida.txt"});
    }
    SetFileAttributesW(L"saida.txt", FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(GravaAtomico("saida.txt", "NOVO"));
    SetFileAttributesW(L"saida.txt", FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(LeArquivo("saida.txt"), "velho");
    EXPECT_EQ(NaPasta(), Nomes{"saida.txt"});
}
#endif

// Tried, waited for up to a bound or without one, given up when asked; a
// holder that lets go during the wait hands it over (each case's holder
// waits first for the last case's waiter, which lets go once it has it).
// A file that cannot be opened is told apart. (The port's lock, held
// without sharing on Windows, is tried in Link.PortHeldByAnotherProgram.)
TEST(Trava, TryWaitAndBound) {
    DiretorioTemporario pasta;
    using Estado = Trava::Estado;
    const struct {
        bool ocupada;
        milliseconds limite;
        int soltaNaPergunta;  // the holder lets go when the waiter asks this time; 0: never
        bool interrompe;
        Estado estado;
    } casos[] = {
        {false, milliseconds(0), 0, false, Estado::Obtida},
        {true, milliseconds(0), 0, false, Estado::Ocupada},
        {true, milliseconds(50), 0, false, Estado::Ocupada},
        {true, Trava::kSempre, 1, false, Estado::Obtida},
        {true, std::chrono::minutes(10), 2, false, Estado::Obtida},
        {true, Trava::kSempre, 0, true, Estado::Interrompida},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(&caso - casos);
        std::optional<Trava> dona;
        if (caso.ocupada) dona.emplace("trava", std::chrono::minutes(1));
        ASSERT_TRUE(!dona || dona->Obtida());
        int perguntas = 0;
        const auto pergunta = [&] {
            if (++perguntas == caso.soltaNaPergunta) dona.reset();
            return caso.interrompe;
        };
        EXPECT_EQ(Trava("trava", caso.limite, pergunta).Situacao(), caso.estado);
    }
    EXPECT_EQ(Trava("falta/trava", milliseconds(0)).Situacao(), Estado::Inacessivel);
}

}  // namespace
}  // namespace comum
