// The coupon: open, items, payments, close, in order and out of it.
#include "simulador.h"

namespace zubsim::teste {
namespace {

// The fixed item with some fields replaced (positions from 1, as the
// command is tabulated).
std::string Item(std::initializer_list<std::pair<std::size_t, std::string>> trocas) {
    std::string item = kItem;
    for (const auto& [posicao, texto] : trocas) item.replace(posicao - 1, texto.size(), texto);
    return item;
}

TEST_F(Simulador, CouponInOrderCountsPrintsAndGivesChange) {
    std::string abre = Aceito(".17");
    EXPECT_EQ(Campo(abre, 5, 4), "0001");
    EXPECT_EQ(Campo(abre, 115, 4), "0001");
    EXPECT_EQ(Campo(Aceito(".28"), 15, 1), "1");
    std::string item = Aceito(kItem);
    EXPECT_EQ(Campo(item, 23, 3), "001");
    EXPECT_EQ(Campo(item, 27, 12), "000000000100");   // 1,000 x R$1,00
    EXPECT_EQ(Campo(Aceito(".28"), 15, 1), "2");
    std::string paga = Aceito(kPaga100);
    EXPECT_EQ(Campo(paga, 40, 12), "000000010000");
    EXPECT_EQ(Campo(paga, 53, 12), "000000000000");
    std::string fecha = Aceito(".12");
    EXPECT_EQ(Campo(fecha, 27, 12), "000000000100");
    EXPECT_EQ(Campo(fecha, 53, 12), "000000009900");
    EXPECT_EQ(Campo(Aceito(".28"), 15, 1), "0");
    EXPECT_EQ(Coo(), "0001");
    EXPECT_EQ(Ccf(), "0001");
    std::string bobina = Bobina();
    for (const char* texto : {"CCF:000001", "001 1234567890123 PRODUTO DE QUALIDADE",
                              "1,000 UN x 1,00  T01", "TOTAL R$", "DINHEIRO", "100,00",
                              "TROCO R$", "99,00"})
        EXPECT_NE(bobina.find(texto), std::string::npos) << texto << "\n" << bobina;
}

TEST_F(Simulador, StepsOutOfOrderGetTheirOwnCodes) {
    const struct {
        std::vector<std::string> antes;
        std::string comando;
        std::string codigo;
    } casos[] = {
        {{}, kItem, "15"},
        {{}, kPaga100, "15"},
        {{}, ".12", "15"},
        {{".17"}, ".17", "14"},
        {{".17"}, kPaga100, "16"},
        {{".17"}, ".12", "16"},
        {{".17", kItem}, ".12", "17"},
        {{".17", kItem, ".1001000000000050"}, ".12", "17"},
        {{".17", kItem, ".1001000000000050"}, kItem, "20"},
        {{".17", kItem, kPaga100}, kPaga100, "21"},
        {{".17", kItem, kPaga100}, kItem, "20"},
        {{".17", kItem, kPaga100, ".12"}, ".12", "15"},
        {{".17"}, ".13", "14"},
        {{".17"}, ".14", "14"},
        {{".17"}, ".1500011000", "14"},
        {{".17"}, ".35100000010324", "14"},
        {{".17"}, ".36S", "14"},
    };
    for (const auto& caso : casos) {
        // Each case on a fresh printer.
        std::filesystem::remove(Estado());
        Aceitos(caso.antes);
        EXPECT_EQ(Recusado(caso.comando), caso.codigo)
            << caso.comando << " after " << caso.antes.size() << " steps";
    }
}

TEST_F(Simulador, InvalidItemsAreRefusedAndLeaveTheCouponAsItWas) {
    Aceito(".17");
    const std::string invalidos[] = {
        Item({{4, "12345678901X3"}}),          // code
        Item({{17, "0000000"}}),               // no quantity
        Item({{24, "000000000"}}),             // no price
        Item({{20, "0a0"}}),                   // quantity digits
        Item({{33, "000000000001"}}),          // reserved field
        Item({{45, "                    "}}),  // no description
        Item({{50, "\t"}}),                    // control character
        Item({{69, "T09"}}),                   // unknown tax
        Item({{69, "t01"}}),
    };
    for (const auto& item : invalidos) EXPECT_EQ(Recusado(item), "18") << item;
    EXPECT_EQ(Campo(Aceito(".28"), 15, 1), "1") << "no item was sold";
}

TEST_F(Simulador, ItemsAddUpWithQuantityAndTax) {
    Aceito(".17");
    // 2,500 x R$3,99 = R$9,975, rounded to R$9,98; then 1 x R$1,00.
    std::string item = Aceito(Item({{17, "0002500000000399"}, {65, "KG  "}, {69, "F01"}}));
    EXPECT_EQ(Campo(item, 27, 12), "000000000998");
    item = Aceito(Item({{45, "CAF\xC9 COM A\xC7\xDA" "CAR     "}, {69, "I01"}}));
    EXPECT_EQ(Campo(item, 23, 3), "002");
    EXPECT_EQ(Campo(item, 27, 12), "000000001098");
    std::string bobina = Bobina();
    EXPECT_NE(bobina.find("2,500 KG x 3,99  F01"), std::string::npos) << bobina;
    EXPECT_NE(bobina.find("CAFÉ COM AÇÚCAR"), std::string::npos) << bobina;
}

TEST_F(Simulador, PaymentsAccumulateUntilTheTotal) {
    Aceitos({".17", Item({{24, "000001050"}})});   // R$10,50
    const std::string invalidos[] = {".1000000000001000", ".1006000000001000",
                                     ".1001000000000000", ".10010000000010x0"};
    for (const auto& pagamento : invalidos) EXPECT_EQ(Recusado(pagamento), "19") << pagamento;
    std::string parte = Aceito(".1003000000000500");
    EXPECT_EQ(Campo(parte, 53, 12), "000000000550");
    EXPECT_EQ(Recusado(".12"), "17");
    Aceito(".1001000000000600");
    EXPECT_EQ(Campo(Aceito(".12"), 53, 12), "000000000050");
    EXPECT_NE(Bobina().find("CARTÃO DE CRÉDITO"), std::string::npos);
}

TEST_F(Simulador, SalesGoIntoTheDayAndTheGrandTotal) {
    Relogio("100000", "010324");
    CupomCompleto();
    Aceitos({".17", Item({{24, "000000250"}, {69, "T02"}}), kPaga100, ".12", ".14"});
    auto blocos = LeParaArquivo(".1500010001#");
    ASSERT_GE(blocos.size(), 6u);
    EXPECT_EQ(blocos[4].substr(blocos[4].size() - 5), " 3,50") << blocos[4];
    EXPECT_EQ(blocos[5].substr(blocos[5].size() - 5), " 3,50") << blocos[5];
    std::string bobina = Bobina();
    std::string z = bobina.substr(bobina.rfind("REDUÇÃO Z"));
    std::size_t t02 = z.find(" T02 ICMS 12,00%");
    ASSERT_NE(t02, std::string::npos) << z;
    std::string linha = z.substr(t02, z.find('\n', t02) - t02);
    EXPECT_EQ(linha.substr(linha.size() - 5), " 2,50") << linha;
}

}  // namespace
}  // namespace zubsim::teste
