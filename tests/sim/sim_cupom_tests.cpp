// The coupon: open, items, payments, close, in order and out of it.
#include "simulador.h"

namespace zubsim::teste {
namespace {

// The fixed item with some fields replaced.
std::string Item(Campos trocas) { return ComCampos(kItem, trocas); }

// COO at 5 and CCF at 115; the items so far at 23, the total at 27, what
// was paid at 40, what is left to pay (then the change) at 53.
TEST_F(Simulador, CouponInOrderCountsPrintsAndGivesChange) {
    Roteiro({{".17", "+ 5=0001 115=0001"}, {".28", "+ 15=1"}, {kItem, "+ 23=001 27=000000000100"}, {".28", "+ 15=2"},
             {kPaga100, "+ 40=000000010000"}, {".12", "+ 27=000000000100 53=000000009900"}, {".28", "+ 15=0"}});
    const std::string bobina = Bobina();
    for (const char* texto : {"CCF:000001", "001 1234567890123 PRODUTO DE QUALIDADE", "1,000 UN x 1,00  T01",
                              "DINHEIRO", "100,00", "TROCO R$", "99,00"})
        EXPECT_TRUE(Tem(bobina, texto)) << texto << "\n" << bobina;
}

TEST_F(Simulador, StepsOutOfOrderGetTheirOwnCodes) {
    const std::string meio = ".1001000000000050";
    const std::pair<std::vector<std::string>, std::string> casos[] = {
        {{kItem}, "-15"},
        {{".12"}, "-15"},
        {{".17", ".17"}, "-14"},
        {{".17", kPaga100}, "-16"},
        {{".17", kItem, ".12"}, "-17"},
        {{".17", kItem, meio, ".12"}, "-17"},
        {{".17", kItem, meio, kItem}, "-20"},
        {{".17", kItem, kPaga100, kPaga100}, "-21"},
        {{".17", kItem, kPaga100, ".12", ".12"}, "-15"},
        {{".17", ".14"}, "-14"},
        {{".17", ".35100000010324"}, "-14"},
    };
    for (const auto& [passos, codigo] : casos) {
        std::filesystem::remove(Estado());  // a fresh printer
        Aceitos({passos.begin(), passos.end() - 1});
        Roteiro({{passos.back(), codigo}});
    }
}

// Items are checked field by field and add up, rounded to the centavo;
// payments add up until they reach the total.
TEST_F(Simulador, ItemsAndPaymentsAddUp) {
    Aceito(".17");
    for (const auto& item : {Item({{4, "12345678901X3"}}), Item({{17, "0000000"}}), Item({{69, "T09"}})})
        Roteiro({{item, "-18"}});
    // 2,500 x R$3,99 = R$9,975, rounded to R$9,98; then 1 x R$1,00.
    Roteiro({{Item({{17, "0002500000000399"}, {65, "KG  "}, {69, "F01"}}), "+ 27=000000000998"},
             {Item({{45, "CAF\xC9 COM A\xC7\xDA" "CAR     "}}), "+ 23=002 27=000000001098"},
             {".1006000000001000", "-19"}, {".1003000000000500", "+ 53=000000000598"}, {".12", "-17"},
             {".1001000000000600", "+ 53=000000000000"}, {".12", "+ 53=000000000002"}});
    for (const char* texto : {"2,500 KG x 3,99  F01", "CAFÉ COM AÇÚCAR", "CARTÃO DE CRÉDITO"})
        EXPECT_TRUE(Tem(Bobina(), texto)) << texto << "\n" << Bobina();
}

}  // namespace
}  // namespace zubsim::teste
