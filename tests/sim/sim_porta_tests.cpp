// The driver's side: ports, results of the three functions, what the
// answer file holds when nothing answers, the tester's settings and the
// wire timing.
#include "simulador.h"

#include <chrono>

namespace zubsim::teste {
namespace {

using Relogio = std::chrono::steady_clock;

TEST_F(Simulador, OnlyPortsOneToEightExist) {
    for (int16_t porta : {1, 2, 5, 8}) {
        EXPECT_EQ(Abre(porta), 0) << porta;
        EXPECT_EQ(Abre(porta), 0) << "again, already open: " << porta;
        EXPECT_EQ(Fecha(porta), 0) << porta;
        EXPECT_EQ(Fecha(porta), 0) << "again, already closed: " << porta;
    }
    for (int16_t porta : {0, -1, 9, 100, -32768, 32767}) {
        EXPECT_EQ(Abre(porta), -1) << porta;
        EXPECT_EQ(Fecha(porta), -1) << porta;
        EXPECT_EQ(Troca(porta, 10, ".28"), -1) << porta;
    }
}

TEST_F(Simulador, ClosedPortSendsNothingAndWritesNoAnswer) {
    EXPECT_EQ(Troca(1, 10, ".13"), -1);
    EXPECT_FALSE(std::filesystem::exists(tavorin::kArquivoResposta));
    Abre(1);
    Fecha(1);
    EXPECT_EQ(Troca(1, 10, ".13"), -1);
    EXPECT_EQ(Coo(), "0000") << "the Leitura X never reached the printer";
}

TEST_F(Simulador, APortWithoutThePrinterOpensButNeverAnswers) {
    const struct {
        const char* porta;
        int16_t responde;   // 0: none
    } casos[] = {{nullptr, 1}, {"1", 1}, {"2", 2}, {"8", 8}, {"0", 0}, {"nenhuma", 0}, {"9", 0}};
    for (const auto& caso : casos) {
        PoeAmbiente("ZUBSIM_PORTA", caso.porta);
        for (int16_t porta = 1; porta <= 8; ++porta) {
            int16_t esperado = porta == caso.responde ? 0 : -2;
            EXPECT_EQ(Abre(porta), 0);
            EXPECT_EQ(Troca(porta, 3, ".28"), esperado)
                << "ZUBSIM_PORTA=" << (caso.porta ? caso.porta : "(unset)") << " port " << porta;
            EXPECT_EQ(arquivo_, esperado == 0 ? resposta_ + "\r\n" : "\r\n");
        }
    }
}

TEST_F(Simulador, MutePrinterLeavesAnEmptyLineAndDoesNothing) {
    PoeAmbiente("ZUBSIM_MUDA", "1");
    EXPECT_EQ(Envia(".13"), -2);
    EXPECT_EQ(arquivo_, "\r\n");
    PoeAmbiente("ZUBSIM_MUDA", nullptr);
    EXPECT_EQ(Coo(), "0000");
}

TEST_F(Simulador, SettingsAreReadAtAbreOnly) {
    Abre(1);
    PoeAmbiente("ZUBSIM_FORA_DE_LINHA", "1");
    EXPECT_EQ(Troca(1, 10, ".21"), 0);
    EXPECT_EQ(Campo(resposta_, 2, 1), "+");
    EXPECT_EQ(Recusado(".21"), "04");   // Envia opens again
}

TEST_F(Simulador, OffLineRefusesAllButTheStatusQueries) {
    PoeAmbiente("ZUBSIM_FORA_DE_LINHA", "1");
    for (const std::string& comando : std::vector<std::string>{
             ".21", ".13", ".14", ".1500011000", ".1500011000#", ".16010100311299#", ".++", ".17",
          kItem, kPaga100, ".12", ".35100000010324", ".36S", ".36N"})
        EXPECT_EQ(Recusado(comando), "04") << comando;
    Aceitos({".28", ".23", ".5609", ".271"});
    EXPECT_EQ(Recusado(".99"), "01");
}

TEST_F(Simulador, WithoutPaperOnlyPrintingIsRefused) {
    Relogio("090000", "010324");
    Aceitos({".17", kItem});
    PoeAmbiente("ZUBSIM_SEM_PAPEL", "1");
    for (const std::string& comando :
         std::vector<std::string>{".13", ".14", ".17", kItem, kPaga100, ".12"})
        EXPECT_EQ(Recusado(comando), "05") << comando;
    Aceitos({".28", ".23", ".5609", ".271", ".21", ".1500011000#", ".++"});
    PoeAmbiente("ZUBSIM_SEM_PAPEL", nullptr);
    Aceitos({kPaga100, ".12", ".35100000010324", ".36S", ".36N"});
    PoeAmbiente("ZUBSIM_SEM_PAPEL", "1");
    Aceitos({".35100000020324", ".36S", ".36N"});
}

TEST_F(Simulador, AnswerFileThatCannotBeWrittenGivesMinusThree) {
    std::filesystem::create_directory(tavorin::kArquivoResposta);
    Abre(1);
    EXPECT_EQ(TXRX(1, 10, ".28"), -3);
    EXPECT_EQ(TXRX(1, 10, ".13"), -3);
    PoeAmbiente("ZUBSIM_PORTA", "2");
    Abre(1);
    EXPECT_EQ(TXRX(1, 10, ".28"), -3);
    std::filesystem::remove(tavorin::kArquivoResposta);
    PoeAmbiente("ZUBSIM_PORTA", nullptr);
    EXPECT_EQ(Coo(), "0001") << "the printer did its part";
}

// Lower bounds only: the exchange must take at least the line's time.
TEST_F(Simulador, BaudRateMakesTheExchangeTakeTheLinesTime) {
    PoeAmbiente("ZUBSIM_BAUD", "9600");
    auto inicio = Relogio::now();
    ASSERT_EQ(Envia(".28"), 0);
    auto gasto = Relogio::now() - inicio;
    // (3 + 128 characters + 8 frame bytes) x 10 bits at 9600 bit/s.
    EXPECT_GE(gasto, std::chrono::microseconds(139 * 10 * 1000000LL / 9600));

    // Nothing answers: the whole wait limit, in seconds.
    PoeAmbiente("ZUBSIM_MUDA", "1");
    inicio = Relogio::now();
    EXPECT_EQ(Envia(".28", 1, 1), -2);
    EXPECT_GE(Relogio::now() - inicio, std::chrono::seconds(1));
    EXPECT_EQ(arquivo_, "\r\n");

    // An answer slower than the limit is lost, though the printer acted.
    PoeAmbiente("ZUBSIM_MUDA", nullptr);
    PoeAmbiente("ZUBSIM_BAUD", "300");
    inicio = Relogio::now();
    EXPECT_EQ(Envia(".13", 1, 1), -2);
    EXPECT_GE(Relogio::now() - inicio, std::chrono::seconds(1));
    EXPECT_EQ(arquivo_, "\r\n");
    PoeAmbiente("ZUBSIM_BAUD", nullptr);
    EXPECT_EQ(Coo(), "0001");
}

}  // namespace
}  // namespace zubsim::teste
