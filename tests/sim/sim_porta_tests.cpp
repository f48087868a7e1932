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

// A port without the printer, or a mute printer, never answers: an empty
// line, and nothing done.
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
    PoeAmbiente("ZUBSIM_PORTA", nullptr);
    PoeAmbiente("ZUBSIM_MUDA", "1");
    EXPECT_EQ(Envia(".13"), -2);
    EXPECT_EQ(arquivo_, "\r\n");
    PoeAmbiente("ZUBSIM_MUDA", nullptr);
    EXPECT_EQ(Coo(), "0000");
}

// Read at every Abre, "1" only switches them on: the state at 6 of ".23";
// off line every command but the status queries is refused, out of paper
// every one that prints (the last row leaves both on for what follows).
TEST_F(Simulador, PaperAndLine) {
    const struct {
        const char *semPapel, *foraDeLinha, *estado;
    } casos[] = {{"0", "0", "0"}, {nullptr, nullptr, "0"}, {"1", nullptr, "5"}, {nullptr, "1", "1"}, {"1", "1", "5"}};
    for (const auto& caso : casos) {
        PoeAmbiente("ZUBSIM_SEM_PAPEL", caso.semPapel);
        PoeAmbiente("ZUBSIM_FORA_DE_LINHA", caso.foraDeLinha);
        Roteiro({{".23", std::string("+ 6=") + caso.estado}, {".28", "+"}, {".5609", "+"}, {".271", "+"}});
    }
    for (const std::string comando : {".21", ".13", ".1500011000#", ".++", ".17", ".12", ".35100000010324", ".36S"})
        Roteiro({{comando, "-04"}});
    Roteiro({{".99", "-01"}});
    PoeAmbiente("ZUBSIM_FORA_DE_LINHA", nullptr);
    Relogio("090000", "010324");
    for (const std::string& comando : std::vector<std::string>{".13", ".14", ".17", kItem, kPaga100, ".12"})
        Roteiro({{comando, "-05"}});
    Aceitos({".21", ".1500011000#", ".++", ".36S", ".36N"});
    PoeAmbiente("ZUBSIM_SEM_PAPEL", nullptr);
    Aceitos({".17", kItem});
    PoeAmbiente("ZUBSIM_SEM_PAPEL", "1");
    Roteiro({{kPaga100, "-05"}, {".12", "-05"}});
    PoeAmbiente("ZUBSIM_SEM_PAPEL", nullptr);
    EXPECT_EQ(Troca(1, 10, ".23"), 0);
    EXPECT_EQ(Campo(resposta_, 6, 1), "5") << "read at Abre only";
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
