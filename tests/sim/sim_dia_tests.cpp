// The fiscal day: counters, Leitura X, Redução Z and the states the
// status query reports for them as the printer's date moves on.
#include "simulador.h"

namespace zubsim::teste {
namespace {

TEST_F(Simulador, EachDocumentCountsItsCountersAndNothingElseDoes) {
    Relogio("100000", "010324");
    const struct {
        std::vector<std::string> comandos;
        int coo, ccf;
    } casos[] = {
        {{".28", ".23", ".5609", ".271", ".21", ".99"}, 0, 0},
        {{".13"}, 1, 0},
        {{".17"}, 1, 1},
        {{kItem, kPaga100, ".12"}, 0, 0},
        {{".1500019999#", ".++"}, 0, 0},  // to the file: nothing printed
        {{".1500019999"}, 1, 0},
        {{".14"}, 1, 0},
    };
    int coo = 0, ccf = 0;
    for (const auto& caso : casos) {
        for (const auto& comando : caso.comandos) Envia(comando);
        coo += caso.coo;
        ccf += caso.ccf;
        const std::string linhaCoo = Aceito(".5609");
        EXPECT_EQ(Campo(linhaCoo, 5, 4) + Campo(linhaCoo, 23, 6), "000" + std::to_string(coo) + "00000" + std::to_string(coo))
            << caso.comandos[0];
        EXPECT_EQ(Campo(Aceito(".271"), 115, 4), "000" + std::to_string(ccf)) << caso.comandos[0];
    }
}

TEST_F(Simulador, ReductionStatesFollowTheMovementAcrossDays) {
    auto estados = [&] {
        const std::string linha = Aceito(".28");
        return Campo(linha, 18, 1) + Campo(linha, 124, 1);
    };
    Relogio("100000", "010324");
    EXPECT_EQ(estados(), "NN");
    CupomCompleto();
    Aceito(".13");
    EXPECT_EQ(estados(), "NS");

    // Next day without a Redução Z: yesterday's movement must be reduced
    // before anything is sold; a Leitura X is still allowed.
    Relogio("090000", "020324");
    EXPECT_EQ(estados(), "FN");
    EXPECT_EQ(Recusado(".17"), "12");
    Aceito(".13");
    EXPECT_EQ(estados(), "FS");
    // The Z closes 01/03 and leaves 02/03 open for sales.
    EXPECT_EQ(Campo(Aceito(".14"), 10, 4), "0001");
    EXPECT_EQ(estados(), "NS");
    CupomCompleto();
    Aceito(".14");
    EXPECT_EQ(estados(), "SS");
    EXPECT_EQ(Recusado(".17"), "13");
    EXPECT_EQ(Recusado(".14"), "13");

    // The two reductions carry the movement days they closed.
    Relogio("080000", "030324");
    EXPECT_EQ(estados(), "NN");
    std::string texto;
    for (const auto& bloco : LeParaArquivo(".16010324030324#")) texto += bloco + "\n";
    EXPECT_TRUE(Tem(texto, "REDU\xC7\xC3O 0001  MOVIMENTO 01/03/24")) << texto;
    EXPECT_TRUE(Tem(texto, "REDU\xC7\xC3O 0002  MOVIMENTO 02/03/24")) << texto;
    // A day without movement has its Redução Z too, once.
    EXPECT_EQ(Campo(Aceito(".14"), 10, 4), "0003");
    EXPECT_EQ(Recusado(".14"), "13");
}

TEST_F(Simulador, PaperRollGetsEveryPrintedDocumentButNotTheDrawer) {
    Relogio("100000", "010324");
    Aceito(".21");
    EXPECT_EQ(Bobina(), "");
    Aceito(".13");
    const std::string leituraX = Bobina();
    for (const char* texto : {"LEITURA X", "01/03/2024 10:00", "COO:000001"})
        EXPECT_TRUE(Tem(leituraX, texto)) << texto << "\n" << leituraX;
    CupomCompleto();
    Aceito(".14");
    const std::string bobina = Bobina();
    ASSERT_EQ(bobina.compare(0, leituraX.size(), leituraX), 0) << "appended, not rewritten";
    for (const char* texto : {"CUPOM FISCAL", "COO:000002", "REDUÇÃO Z", "COO:000003", "VENDA BRUTA DIÁRIA"})
        EXPECT_TRUE(Tem(bobina, texto)) << texto;
}

}  // namespace
}  // namespace zubsim::teste
