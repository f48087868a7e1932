// The fiscal day: counters, Leitura X, Redução Z and the states the
// status query reports for them as the printer's date moves on.
#include "simulador.h"

namespace zubsim::teste {
namespace {

TEST_F(Simulador, EachDocumentCountsItsCountersAndNothingElseDoes) {
    Relogio("100000", "010324");
    const struct {
        std::vector<std::string> comandos;
        int coo;
        int ccf;
    } casos[] = {
        {{".28", ".23", ".5609", ".271", ".21"}, 0, 0},
        {{".13"}, 1, 0},
        {{".17"}, 1, 1},
        {{kItem, kPaga100, ".12"}, 0, 0},
        {{".1500019999#", ".++", ".++"}, 0, 0},   // to the file: nothing printed
        {{".1500019999"}, 1, 0},
        {{".14"}, 1, 0},
        {{".35110000010324", ".99"}, 0, 0},
    };
    int coo = 0, ccf = 0;
    for (const auto& caso : casos) {
        for (const auto& comando : caso.comandos) Envia(comando);
        coo += caso.coo;
        ccf += caso.ccf;
        std::string linhaCoo = Aceito(".5609");
        EXPECT_EQ(Campo(linhaCoo, 5, 4), "000" + std::to_string(coo)) << caso.comandos[0];
        EXPECT_EQ(Campo(linhaCoo, 23, 6), "00000" + std::to_string(coo));
        EXPECT_EQ(Ccf(), "000" + std::to_string(ccf)) << caso.comandos[0];
    }
}

TEST_F(Simulador, ReductionStateFollowsTheMovementAcrossDays) {
    auto estados = [&] {
        std::string linha = Aceito(".28");
        return Campo(linha, 18, 1) + Campo(linha, 124, 1);
    };
    Relogio("100000", "010324");
    EXPECT_EQ(estados(), "NN");
    CupomCompleto();
    Aceito(".13");
    EXPECT_EQ(estados(), "NS");

    // Next day without a Redução Z: yesterday's movement must be reduced
    // before anything is sold.
    Relogio("090000", "020324");
    EXPECT_EQ(estados(), "FN");
    EXPECT_EQ(Recusado(".17"), "12");
    Aceito(".13");   // a Leitura X is still allowed
    EXPECT_EQ(estados(), "FS");

    // The Z closes 01/03 and leaves 02/03 open for sales.
    std::string z = Aceito(".14");
    EXPECT_EQ(Campo(z, 10, 4), "0001");
    EXPECT_EQ(estados(), "NS");
    CupomCompleto();
    Aceito(".14");
    EXPECT_EQ(estados(), "SS");
    EXPECT_EQ(Recusado(".17"), "13");
    EXPECT_EQ(Recusado(".14"), "13");

    Relogio("080000", "030324");
    EXPECT_EQ(estados(), "NN");
    // The two reductions carry the movement days they closed.
    auto blocos = LeParaArquivo(".16010324030324#");
    std::string texto;
    for (const auto& b : blocos) texto += b + "\n";
    EXPECT_NE(texto.find("REDU\xC7\xC3O 0001  MOVIMENTO 01/03/24"), std::string::npos) << texto;
    EXPECT_NE(texto.find("REDU\xC7\xC3O 0002  MOVIMENTO 02/03/24"), std::string::npos) << texto;
}

TEST_F(Simulador, ReductionOfADayWithoutMovementIsAllowedOnce) {
    Relogio("100000", "010324");
    EXPECT_EQ(Campo(Aceito(".14"), 10, 4), "0001");
    EXPECT_EQ(Campo(Aceito(".28"), 18, 1), "S");
    EXPECT_EQ(Recusado(".14"), "13");
    // A Leitura X after the day's Z does not open a new movement.
    Aceito(".13");
    Relogio("100000", "020324");
    EXPECT_EQ(Campo(Aceito(".28"), 18, 1), "N");
}

TEST_F(Simulador, PaperRollGetsEveryPrintedDocumentButNotTheDrawer) {
    Relogio("100000", "010324");
    Aceito(".21");
    EXPECT_EQ(Bobina(), "");
    Aceito(".13");
    std::string depoisDaLX = Bobina();
    EXPECT_NE(depoisDaLX.find("LEITURA X"), std::string::npos);
    EXPECT_NE(depoisDaLX.find("01/03/2024 10:00"), std::string::npos) << depoisDaLX;
    EXPECT_NE(depoisDaLX.find("COO:000001"), std::string::npos);
    Aceito(".21");
    EXPECT_EQ(Bobina(), depoisDaLX);
    CupomCompleto();
    Aceito(".14");
    std::string bobina = Bobina();
    ASSERT_EQ(bobina.compare(0, depoisDaLX.size(), depoisDaLX), 0) << "appended, not rewritten";
    for (const char* texto : {"CUPOM FISCAL", "COO:000002", "PRODUTO DE QUALIDADE", "TROCO R$",
                              "99,00", "REDUÇÃO Z", "COO:000003", "VENDA BRUTA DIÁRIA"})
        EXPECT_NE(bobina.find(texto), std::string::npos) << texto;
}

}  // namespace
}  // namespace zubsim::teste
