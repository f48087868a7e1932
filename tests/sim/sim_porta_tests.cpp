// The driver's side: ports, results of the three functions, what the
// answer file holds when nothing answers, the tester's settings and the
// wire timing.
#include "simulador.h"

#include <chrono>

namespace zubsim::teste {
namespace {

TEST_F(Simulador, OnlyPortsOneToEightExist) {
    for (int16_t porta : {1, 8}) {
        EXPECT_EQ(Abre(porta), 0) << porta;
        EXPECT_EQ(Abre(porta), 0) << "again, already open: " << porta;
        EXPECT_EQ(Fecha(porta), 0) << porta;
        EXPECT_EQ(Fecha(porta), 0) << "again, already closed: " << porta;
    }
    for (int16_t porta : {0, -1, 9}) {
        EXPECT_EQ(Abre(porta), -1) << porta;
        EXPECT_EQ(Fecha(porta), -1) << porta;
        EXPECT_EQ(Troca(porta, 10, ".28"), -1) << porta;
    }
    // A closed port sends nothing and leaves no answer.
    EXPECT_EQ(Troca(1, 10, ".13"), -1);
    EXPECT_FALSE(std::filesystem::exists(tavorin::kArquivoResposta));
    EXPECT_EQ(Coo(), "0000") << "the Leitura X never reached the printer";
}

// A port without the printer opens but never answers: an empty line.
TEST_F(Simulador, OnlyThePrintersPortAnswers) {
    const struct {
        const char* porta;
        int16_t responde;  // 0: none
    } casos[] = {{nullptr, 1}, {"8", 8}, {"nenhuma", 0}, {"9", 0}};
    for (const auto& caso : casos) {
        PoeAmbiente("ZUBSIM_PORTA", caso.porta);
        for (int16_t porta = 1; porta <= 8; ++porta) {
            const int16_t esperado = porta == caso.responde ? 0 : -2;
            EXPECT_EQ(Envia(".28", porta, 3), esperado) << (caso.porta ? caso.porta : "(unset)") << " port " << porta;
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

// Settings take effect at the next Abre.
TEST_F(Simulador, PaperAndLineStatesAtPositionSix) {
    const struct {
        const char *semPapel, *foraDeLinha, *estado;
    } casos[] = {{nullptr, nullptr, "0"}, {"1", nullptr, "5"}, {nullptr, "1", "1"}, {"1", "1", "5"}};
    for (const auto& caso : casos) {
        PoeAmbiente("ZUBSIM_SEM_PAPEL", caso.semPapel);
        PoeAmbiente("ZUBSIM_FORA_DE_LINHA", caso.foraDeLinha);
        EXPECT_EQ(Campo(Aceito(".23"), 6, 1), caso.estado) << caso.estado;
        Aceitos({".28", ".5609", ".271"});
    }
    Abre(1);
    PoeAmbiente("ZUBSIM_FORA_DE_LINHA", nullptr);
    EXPECT_EQ(Troca(1, 10, ".23"), 0);
    EXPECT_EQ(Campo(resposta_, 6, 1), "5") << "read at Abre only";
}

TEST_F(Simulador, OffLineRefusesAllButTheStatusQueries) {
    PoeAmbiente("ZUBSIM_FORA_DE_LINHA", "1");
    for (const std::string comando : {".21", ".13", ".14", ".1500011000#", ".++", ".17", ".12", ".35100000010324", ".36S"})
        EXPECT_EQ(Recusado(comando), "04") << comando;
    EXPECT_EQ(Recusado(".99"), "01");
}

TEST_F(Simulador, WithoutPaperOnlyPrintingIsRefused) {
    Relogio("090000", "010324");
    Aceitos({".17", kItem});
    PoeAmbiente("ZUBSIM_SEM_PAPEL", "1");
    for (const std::string& comando : std::vector<std::string>{".13", ".14", ".17", kItem, kPaga100, ".12"})
        EXPECT_EQ(Recusado(comando), "05") << comando;
    Aceitos({".21", ".1500011000#", ".++"});
    PoeAmbiente("ZUBSIM_SEM_PAPEL", nullptr);
    Aceitos({kPaga100, ".12"});
    PoeAmbiente("ZUBSIM_SEM_PAPEL", "1");
    Aceitos({".35100000020324", ".36S", ".36N"});
}

TEST_F(Simulador, AnswerFileThatCannotBeWrittenGivesMinusThree) {
    std::filesystem::create_directory(tavorin::kArquivoResposta);
    Abre(1);
    EXPECT_EQ(TXRX(1, 10, ".13"), -3);
    std::filesystem::remove(tavorin::kArquivoResposta);
    EXPECT_EQ(Coo(), "0001") << "the printer did its part";
}

// Lower bounds only: the exchange takes at least the line's time.
TEST_F(Simulador, BaudRateMakesTheExchangeTakeTheLinesTime) {
    using Agora = std::chrono::steady_clock;
    PoeAmbiente("ZUBSIM_BAUD", "9600");
    auto inicio = Agora::now();
    ASSERT_EQ(Envia(".28"), 0);
    // (3 + 128 characters + 8 frame bytes) x 10 bits at 9600 bit/s.
    EXPECT_GE(Agora::now() - inicio, std::chrono::microseconds(139 * 10 * 1000000LL / 9600));
    // An answer slower than the wait limit is lost, though the printer acted.
    PoeAmbiente("ZUBSIM_BAUD", "300");
    inicio = Agora::now();
    EXPECT_EQ(Envia(".13", 1, 1), -2);
    EXPECT_GE(Agora::now() - inicio, std::chrono::seconds(1));
    EXPECT_EQ(arquivo_, "\r\n");
    PoeAmbiente("ZUBSIM_BAUD", nullptr);
    EXPECT_EQ(Coo(), "0001");
}

}  // namespace
}  // namespace zubsim::teste
