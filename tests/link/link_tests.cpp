// The link against a fake driver (the answer file it reads, the state it
// keeps, the probe, the clock text) and the loader against real libraries.
#include "ambiente.h"
#include "driver_library.h"
#include "fake_driver.h"
#include "identidade.h"
#include "link.h"
#include "registro.h"
#include "respostas.h"

#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <unistd.h>
#endif

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

// Every TXRX is recorded as sent and answered, oldest first, the paper
// check's direct call included; the record keeps only the newest
// kMaxTrocas; an observer hears each exchange until it stops observing.
TEST_F(Link, ExchangeLogRecordsEveryTXRXBounded) {
    LimpaTrocas();
    std::vector<Troca> ouvidas;
    const int handle = ObservaTrocas([&](const Troca& troca) { ouvidas.push_back(troca); });
    driver.Enfileira(".13", Atendimento{"{+13\r\nsecond", 5});
    driver.Enfileira(".23", Atendimento{std::nullopt, -3});
    const auto antes = std::chrono::system_clock::now();
    EnviaComando(70000, 180, ".13");
    TXRX(2, 10, ".23");
    DeixaDeObservar(handle);
    TXRX(2, 10, ".23");
    const std::vector<Troca> trocas = Trocas();
    ASSERT_EQ(trocas.size(), 3u);
    ASSERT_EQ(ouvidas.size(), 2u);
    const std::tuple<int32_t, int32_t, std::string, int16_t, std::string> esperadas[] = {
        {70000, 180, ".13", 5, "{+13"}, {2, 10, ".23", -3, ""}, {2, 10, ".23", 0, ""}};
    for (std::size_t i = 0; i < trocas.size(); ++i) {
        const auto& [porta, espera, comando, resultado, resposta] = esperadas[i];
        const Troca& t = trocas[i];
        EXPECT_EQ(std::tie(t.porta, t.espera, t.comando, t.resultado, t.resposta),
                  std::tie(porta, espera, comando, resultado, resposta)) << i;
        EXPECT_GE(t.quando, i ? trocas[i - 1].quando : antes);
        if (i < ouvidas.size()) {
            EXPECT_EQ(ouvidas[i].comando, t.comando);
        }
    }
    for (std::size_t i = 0; i < kMaxTrocas + 2; ++i) RegistraTroca(Troca{{}, 0, 0, std::to_string(i), 0, {}, {}});
    const std::vector<Troca> limitadas = Trocas();
    ASSERT_EQ(limitadas.size(), kMaxTrocas);
    EXPECT_EQ(limitadas.front().comando, "2");
    EXPECT_EQ(limitadas.back().comando, std::to_string(kMaxTrocas + 1));
    LimpaTrocas();
    EXPECT_TRUE(Trocas().empty());
}

// Blanks, control bytes and bytes that look like others are spelled out;
// accented letters stay (the windows convert them); empty fields still
// show; the duration is in milliseconds.
TEST_F(Link, ExchangeDescriptionShowsEveryByte) {
    const std::pair<std::string, std::string> casos[] = {
        {".01 A\tB\\", ".01\xB7" "A\\x09B\\\\"},
        {std::string("\0\r\n\x1B\x7F", 5), "\\x00\\x0D\\x0A\\x1B\\x7F"},
        {"\xA0\xB7\x81\x9D\xC7\xE3\x80", "\\xA0\\xB7\\x81\\x9D\xC7\xE3\x80"},
        {"", ""}};
    for (const auto& [bytes, visiveis] : casos) EXPECT_EQ(BytesVisiveis(bytes), visiveis);
    const Troca troca{std::chrono::system_clock::now(), 2, 180, ".13 ", -100, "", std::chrono::microseconds(12345)};
    const std::string linha = DescreveTroca(troca);
    EXPECT_NE(linha.find("  porta 2  espera 180  enviado \".13\xB7\"  resultado -100  resposta \"\"  12,345 ms"),
              std::string::npos) << linha;
    // A quote inside a field cannot end it early.
    const Troca aspas{std::chrono::system_clock::now(), 1, 10, ".2\"", 0, "x\\\"", std::chrono::microseconds(0)};
    EXPECT_NE(DescreveTroca(aspas).find("enviado \".2\\\"\"  resultado 0  resposta \"x\\\\\\\"\"  0,000 ms"),
              std::string::npos) << DescreveTroca(aspas);
    EXPECT_EQ(linha.find('\n'), std::string::npos);
}

// An answer file that cannot be removed (here a folder in its place) is an
// earlier command's answer: the command is not sent, its result says so,
// and nothing of the old answer is read, by EnviaComando or by a direct
// TXRX and LeResposta. Once the file can go, commands flow again.
TEST_F(Link, UnremovableAnswerFileSendsNothing) {
    std::filesystem::create_directory(kArquivoResposta);
    GravaArquivo(std::filesystem::path(kArquivoResposta) / "x", "{+28 stale");
    Resposta = "{+13 earlier";
    Status = "+";
    LimpaTrocas();
    EXPECT_EQ(EnviaComando(1, 180, ".13"), kRespostaPresa);
    EXPECT_TRUE(RespostaPresa());
    EXPECT_EQ(Resposta, "");
    EXPECT_EQ(Status, "");
    EXPECT_EQ(AbreImpressora(1), -1);
    EXPECT_EQ(driver.chamadas, (Chamadas{ChAbre(1), ChFecha(1)})) << Descreve(driver.chamadas);
    ASSERT_EQ(Trocas().size(), 2u);
    EXPECT_EQ(Trocas()[0].resultado, kRespostaPresa);
#if !defined(_WIN32)
    // A readable stale file in a folder the program may not write to: only
    // where permissions bind (not for root).
    if (geteuid() != 0) {
        std::filesystem::remove_all(kArquivoResposta);
        GravaArquivo(kArquivoResposta, "{+28 stale\r\n");
        std::filesystem::permissions(".", std::filesystem::perms::owner_write, std::filesystem::perm_options::remove);
        EXPECT_EQ(TXRX(1, 10, ".23"), kRespostaPresa);
        EXPECT_EQ(LeResposta(), "");
        std::filesystem::permissions(".", std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
    }
#endif
    std::filesystem::remove_all(kArquivoResposta);
    driver.Limpa();
    driver.Enfileira(".13", "{+13");
    EXPECT_EQ(EnviaComando(1, 180, ".13"), 0);
    EXPECT_FALSE(RespostaPresa());
    EXPECT_EQ(Resposta, "{+13");
    EXPECT_EQ(driver.chamadas, Chamadas{ChTXRX(1, 180, ".13")}) << Descreve(driver.chamadas);
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

// SHA-256 against the standard's vectors, and fed in pieces that straddle
// the 64-byte blocks and the padding's edge at 56.
TEST(Identidade, Sha256) {
    const struct {
        std::string mensagem;
        const char* hex;
    } casos[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& caso : casos) {
        Sha256 inteiro;
        inteiro.Acrescenta(caso.mensagem.data(), caso.mensagem.size());
        EXPECT_EQ(inteiro.Hex(), caso.hex) << caso.mensagem.size();
    }
    for (std::size_t tamanho : {55u, 56u, 63u, 64u, 65u, 119u, 200u}) {
        std::string mensagem;
        for (std::size_t i = 0; i < tamanho; ++i) mensagem += static_cast<char>(i * 7);
        Sha256 inteiro;
        inteiro.Acrescenta(mensagem.data(), mensagem.size());
        const std::string esperado = inteiro.Hex();
        for (std::size_t corte : {std::size_t{1}, std::size_t{3}, std::size_t{64}}) {
            Sha256 pedacos;
            for (std::size_t i = 0; i < tamanho; i += corte)
                pedacos.Acrescenta(mensagem.data() + i, std::min(corte, tamanho - i));
            EXPECT_EQ(pedacos.Hex(), esperado) << tamanho << " in pieces of " << corte;
        }
    }
}

// A file is described by its size and digest (and on Windows its version
// resource); a file that cannot be read, or no library at all, is said so.
TEST_F(Link, LibraryDescription) {
    const std::string arquivo = (pasta.Caminho() / "Zub_Dll3.dll").string();
    GravaArquivo(arquivo, std::string(1234567, 'a'));
    const IdentidadeArquivo identidade = IdentificaArquivo(arquivo);
    ASSERT_TRUE(identidade.tamanho);
    EXPECT_EQ(*identidade.tamanho, 1234567u);
    std::vector<std::string> linhas{"Biblioteca do driver: " + arquivo};
#if defined(_WIN32)
    linhas.push_back("Versão do arquivo: nenhuma");
#endif
    linhas.push_back("Tamanho: 1.234.567 bytes");
    linhas.push_back("SHA-256: " + identidade.sha256);
    EXPECT_EQ(DescreveBiblioteca(identidade, "x"), linhas);

    const IdentidadeArquivo ausente = IdentificaArquivo(arquivo + ".ausente");
    EXPECT_FALSE(ausente.tamanho);
    EXPECT_EQ(DescreveBiblioteca(ausente, "x").back(), "Arquivo ilegível: tamanho e SHA-256 desconhecidos");
    EXPECT_EQ(DescreveBiblioteca(std::nullopt, "Zub_Dll3.dll"),
              std::vector<std::string>{"Biblioteca do driver não encontrada: Zub_Dll3.dll"});

    // The library the link loaded is described by the path it was found at.
    InstalaDriver(nullptr);
    EnviaComando(1, 3, ".28");
    EXPECT_EQ(BibliotecaDoDriver(), PastaDoPrograma() + kBibliotecaDriver);
#if defined(_WIN32)
    EXPECT_NE(IdentificaArquivo(BibliotecaDoDriver()).versao.value_or(""), "");
#endif
}

}  // namespace
}  // namespace tavorin
