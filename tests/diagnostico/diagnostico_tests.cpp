// The technician's diagnostic against the fake driver: the answer file as
// it stands after each command, byte for byte; an answer the driver left
// in another folder, named; a port a window keeps open and a folder another
// process holds, left alone.
#include "ambiente_teste.h"
#include "arquivo_resposta.h"
#include "diagnostico.h"
#include "fake_driver.h"
#include "identidade.h"
#include "link.h"

#include <gtest/gtest.h>

namespace tavorin {
namespace {

using namespace teste;
namespace fs = std::filesystem;
using Chamadas = std::vector<Chamada>;

#if defined(_WIN32)
const char* const kCasa = "USERPROFILE";
#else
const char* const kCasa = "HOME";
#endif

class Relatorio : public ::testing::Test {
protected:
    // The report holds this line whole.
    static ::testing::AssertionResult Tem(const tavorin::Diagnostico& d, const std::string& linha) {
        if (("\n" + d.relatorio).find("\n" + linha + "\n") != std::string::npos) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "no line \"" << linha << "\" in\n" << d.relatorio;
    }

    DiretorioTemporario pasta;
    FakeDriver driver;
};

// What the driver left in the working folder, right after each command:
// its size, the first line's end, the line as the exchange log shows it
// and in hexadecimal with its end.
TEST_F(Relatorio, TheAnswerFileAsItStands) {
    const struct {
        std::string bytes, fim, linha, hexa;  // linha empty: the line not checked
    } casos[] = {
        {"@+28 a\r\n", "CR LF", "\"@+28·a\"", "40 2B 32 38 20 61 0D 0A"},
        {"@+28\nX\r\n", "LF", "\"@+28\"", "40 2B 32 38 0A"},
        {"@-\x01\r", "CR", "\"@-\\x01\"", "40 2D 01 0D"},
        {"@+", "nenhum", "\"@+\"", "40 2B"},
        {"", "nenhum (arquivo vazio)", "\"\"", "(nada)"},
        {std::string(5000, 'x'), "nenhum nos primeiros 4.096 bytes", "", ""},
    };
    driver.respostaPadrao = {std::nullopt, 0};
    for (const auto& caso : casos) {
        driver.durante = [&](const Chamada&) { GravaArquivo(kArquivoResposta, caso.bytes); };
        const tavorin::Diagnostico d = Diagnostica({1});
        const bool comLinha = !caso.linha.empty();
        for (const std::string comando : {".28 ", ".23 "})
            for (const std::string& linha : {"arquivo de resposta: " + (pasta.Caminho() / kArquivoResposta).string(),
                                             "tamanho do arquivo de resposta: " + ComMilhares(caso.bytes.size()) + " bytes",
                                             "fim de linha: " + caso.fim, comLinha ? "primeira linha: " + caso.linha : "",
                                             comLinha ? "primeira linha em hexadecimal: " + caso.hexa : ""})
                EXPECT_TRUE(linha.empty() ? ::testing::AssertionSuccess() : Tem(d, comando + linha)) << caso.fim;
    }
}

// A driver that answers, but not in the working folder: the file it wrote
// in the last minute is named where it was found, and the printer is not
// taken as found.
TEST_F(Relatorio, AnAnswerLeftInAnotherFolderIsNamed) {
    const std::string casaAntes = std::getenv(kCasa) ? std::getenv(kCasa) : "";
    const fs::path casa = pasta.Caminho() / "casa";
    fs::create_directory(casa);
    PoeAmbiente(kCasa, casa.string().c_str());
    driver.pastaDaResposta = casa;
    driver.respostaPadrao = {"@+28 elsewhere", 0};
    const tavorin::Diagnostico d = Diagnostica({1});
    EXPECT_EQ(d.desfecho, tavorin::Diagnostico::Desfecho::Nenhuma);
    EXPECT_EQ(d.resumo, "nenhuma impressora respondeu ao .28 (porta 1: sem resposta)");
    EXPECT_TRUE(Tem(d, ".28 arquivo de resposta: nenhum em " + pasta.Caminho().string()));
    const std::string achada = ".28 RespZub.txt recente em outra pasta: " + (casa / kArquivoResposta).string() +
                               " (pasta do usuário; 16 bytes, modificado em ";
    EXPECT_NE(d.relatorio.find(achada), std::string::npos) << d.relatorio;
    // A driver that returned an error is not looked for elsewhere.
    driver.respostaPadrao = {"@+28 elsewhere", -2};
    EXPECT_EQ(Diagnostica({1}).relatorio.find("recente em outra pasta"), std::string::npos);
    PoeAmbiente(kCasa, casaAntes.c_str());
}

// A port a window keeps open (the coupon window's) is neither opened nor
// closed; with the folder held by another process nothing is sent.
TEST_F(Relatorio, LeavesOthersPortsAndFolderAlone) {
    driver.respostaPadrao = {"@+", 0};
    Abre(2);
    driver.Limpa();
    const tavorin::Diagnostico aberta = Diagnostica({2});
    EXPECT_EQ(driver.chamadas, Chamadas({ChTXRX(2, 3, ".28"), ChTXRX(2, 10, ".23")})) << Descreve(driver.chamadas);
    EXPECT_TRUE(PortaEstaAberta(2));
    EXPECT_TRUE(Tem(aberta, "Abre: não chamado: a porta já estava aberta por uma janela do Tavorin"));
    EXPECT_EQ(aberta.desfecho, tavorin::Diagnostico::Desfecho::Encontrada);

    const TravaDePasta outra(kArquivoTrava, std::chrono::milliseconds(0));
    ASSERT_TRUE(outra.Obtida());
    const auto limite = LimiteDaTrava();
    PoeLimiteDaTrava(std::chrono::milliseconds(0));
    driver.Limpa();
    const tavorin::Diagnostico ocupada = Diagnostica();
    PoeLimiteDaTrava(limite);
    EXPECT_TRUE(driver.chamadas.empty()) << Descreve(driver.chamadas);
    EXPECT_TRUE(Tem(ocupada, "Trava da pasta (RespZub.txt.trava): ocupada por outro processo"));
    EXPECT_EQ(ocupada.resumo, "nada foi enviado (porta 1: a trava da pasta não foi obtida)");
}

}  // namespace
}  // namespace tavorin
