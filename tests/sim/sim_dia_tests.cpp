// The fiscal day: counters, Leitura X, Redução Z and the states the
// status query reports for them as the printer's date moves on.
#include "simulador.h"

namespace zubsim::teste {
namespace {

TEST_F(Simulador, EachDocumentCountsItsCountersAndNothingElseDoes) {
    Relogio("100000", "010324");
    const std::pair<std::vector<std::string>, std::string> casos[] = {
        {{".28", ".23", ".5609", ".271", ".21", ".99"}, "0000 0000"},
        {{".13"}, "0001 0000"},
        {{".17"}, "0002 0001"},
        {{kItem, kPaga100, ".12"}, "0002 0001"},
        {{".1500019999#", ".++"}, "0002 0001"},  // to the file: nothing printed
        {{".1500019999"}, "0003 0001"},
        {{".14"}, "0004 0001"},
    };
    for (const auto& [comandos, contadores] : casos) {
        for (const auto& comando : comandos) Envia(comando);
        Roteiro({{".5609", "+ 5=" + contadores.substr(0, 4) + " 23=00" + contadores.substr(0, 4)},
                 {".271", "+ 115=" + contadores.substr(5)}});
    }
}

// ".28": the day's Redução Z state at 18, the first Leitura X at 124.
TEST_F(Simulador, ReductionStatesFollowTheMovementAcrossDays) {
    Relogio("100000", "010324");
    Roteiro({{".28", "+ 18=N 124=N"}});
    CupomCompleto();
    Roteiro({{".13", "+"}, {".28", "+ 18=N 124=S"}});
    // Next day without a Redução Z: yesterday's movement must be reduced
    // before anything is sold; a Leitura X is still allowed. The Z closes
    // 01/03 and leaves 02/03 open for sales.
    Relogio("090000", "020324");
    Roteiro({{".28", "+ 18=F 124=N"}, {".17", "-12"}, {".13", "+"}, {".28", "+ 18=F 124=S"}, {".14", "+ 10=0001"},
             {".28", "+ 18=N 124=S"}, {".17", "+"}, {".12", "-16"}, {kItem, "+"}, {kPaga100, "+"}, {".12", "+"},
             {".14", "+ 10=0002"}, {".28", "+ 18=S 124=S"}, {".17", "-13"}, {".14", "-13"}});
    // The two reductions carry the movement days they closed.
    Relogio("080000", "030324");
    Roteiro({{".28", "+ 18=N 124=N"}});
    std::string texto;
    for (const auto& bloco : LeParaArquivo(".16010324030324#")) texto += bloco + "\n";
    EXPECT_TRUE(Tem(texto, "REDU\xC7\xC3O 0001  MOVIMENTO 01/03/24")) << texto;
    EXPECT_TRUE(Tem(texto, "REDU\xC7\xC3O 0002  MOVIMENTO 02/03/24")) << texto;
    // A day without movement has its Redução Z too, once.
    Roteiro({{".14", "+ 10=0003"}, {".14", "-13"}});
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
