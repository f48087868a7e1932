// The coupon: open, items, payments, close, in order and out of it.
#include "simulador.h"

namespace zubsim::teste {
namespace {

// The fixed item with some fields replaced.
std::string Item(Campos trocas) { return ComCampos(kItem, trocas); }

TEST_F(Simulador, CouponInOrderCountsPrintsAndGivesChange) {
    const std::string abre = Aceito(".17");
    EXPECT_EQ(Campo(abre, 5, 4) + Campo(abre, 115, 4), "00010001");
    const std::string item = Aceito(kItem);
    EXPECT_EQ(Campo(item, 23, 3) + " " + Campo(item, 27, 12), "001 000000000100");  // 1,000 x R$1,00
    EXPECT_EQ(Campo(Aceito(".28"), 15, 1), "2");
    EXPECT_EQ(Campo(Aceito(kPaga100), 40, 12), "000000010000");
    const std::string fecha = Aceito(".12");
    EXPECT_EQ(Campo(fecha, 27, 12) + " " + Campo(fecha, 53, 12), "000000000100 000000009900");
    EXPECT_EQ(Campo(Aceito(".28"), 15, 1), "0");
    const std::string bobina = Bobina();
    for (const char* texto : {"CCF:000001", "001 1234567890123 PRODUTO DE QUALIDADE", "1,000 UN x 1,00  T01",
                              "DINHEIRO", "100,00", "TROCO R$", "99,00"})
        EXPECT_TRUE(Tem(bobina, texto)) << texto << "\n" << bobina;
}

TEST_F(Simulador, StepsOutOfOrderGetTheirOwnCodes) {
    const std::string meio = ".1001000000000050";
    const struct {
        std::vector<std::string> antes;
        std::string comando, codigo;
    } casos[] = {
        {{}, kItem, "15"},
        {{}, ".12", "15"},
        {{".17"}, ".17", "14"},
        {{".17"}, kPaga100, "16"},
        {{".17", kItem}, ".12", "17"},
        {{".17", kItem, meio}, ".12", "17"},
        {{".17", kItem, meio}, kItem, "20"},
        {{".17", kItem, kPaga100}, kPaga100, "21"},
        {{".17", kItem, kPaga100, ".12"}, ".12", "15"},
        {{".17"}, ".14", "14"},
        {{".17"}, ".35100000010324", "14"},
    };
    for (const auto& caso : casos) {
        std::filesystem::remove(Estado());  // a fresh printer
        Aceitos(caso.antes);
        EXPECT_EQ(Recusado(caso.comando), caso.codigo) << caso.comando << " after " << caso.antes.size() << " steps";
    }
}

// Items are checked field by field and add up, rounded to the centavo;
// payments add up until they reach the total.
TEST_F(Simulador, ItemsAndPaymentsAddUp) {
    Aceito(".17");
    for (const auto& item : {Item({{4, "12345678901X3"}}), Item({{17, "0000000"}}), Item({{69, "T09"}})})
        EXPECT_EQ(Recusado(item), "18") << item;
    // 2,500 x R$3,99 = R$9,975, rounded to R$9,98; then 1 x R$1,00.
    EXPECT_EQ(Campo(Aceito(Item({{17, "0002500000000399"}, {65, "KG  "}, {69, "F01"}})), 27, 12), "000000000998");
    EXPECT_EQ(Campo(Aceito(Item({{45, "CAF\xC9 COM A\xC7\xDA" "CAR     "}})), 23, 16), "002 000000001098");
    EXPECT_EQ(Recusado(".1006000000001000"), "19");
    EXPECT_EQ(Campo(Aceito(".1003000000000500"), 53, 12), "000000000598");
    EXPECT_EQ(Recusado(".12"), "17");
    Aceito(".1001000000000600");
    EXPECT_EQ(Campo(Aceito(".12"), 53, 12), "000000000002");  // change
    for (const char* texto : {"2,500 KG x 3,99  F01", "CAFÉ COM AÇÚCAR", "CARTÃO DE CRÉDITO"})
        EXPECT_TRUE(Tem(Bobina(), texto)) << texto << "\n" << Bobina();
}

}  // namespace
}  // namespace zubsim::teste
