// The answer line: the fields of the status queries at the positions the
// program reads, and refusals of malformed commands.
#include "simulador.h"

namespace zubsim::teste {
namespace {

TEST_F(Simulador, QueriesPutEveryFieldWhereTheProgramReadsIt) {
    Relogio("143000", "251203");
    Aceitos({".13", ".17", kItem, kPaga100, ".12", ".17"});  // COO 3, CCF 2, coupon open
    const struct {
        std::string comando;
        std::vector<std::pair<std::size_t, std::string>> campos;
    } casos[] = {
        {".28", {{1, "@+28"}, {15, "1"}, {18, "N"}, {21, "00"}, {44, "2512031430"}, {54, "N"}, {124, "S"}}},
        {".23", {{1, "@+23"}, {6, "0"}, {21, "00"}}},
        {".5609", {{1, "@+56"}, {5, "0003"}, {23, "000003"}}},
        {".271", {{1, "@+27"}, {23, "000002"}, {115, "0002"}}},
    };
    for (const auto& caso : casos) {
        const std::string linha = Aceito(caso.comando);
        EXPECT_EQ(linha.size(), 128u) << caso.comando;
        for (const auto& [posicao, valor] : caso.campos)
            EXPECT_EQ(Campo(linha, posicao, valor.size()), valor) << caso.comando << " at " << posicao << ": " << linha;
    }
}

TEST_F(Simulador, MalformedAndUnknownCommandsAreRefusedWithTheirCode) {
    const struct {
        std::string comando, codigo, eco;  // eco: positions 3-4
    } casos[] = {
        {".99", "01", "99"},  {"", "02", "??"},          {"x28", "02", "??"},        {".28 ", "02", "28"},
        {".5608", "24", "56"}, {".36X", "03", "36"},      {".150001000", "02", "15"}, {".13#", "02", "13"},
    };
    for (const auto& caso : casos) {
        EXPECT_EQ(Recusado(caso.comando), caso.codigo) << '"' << caso.comando << '"';
        EXPECT_EQ(Campo(resposta_, 3, 2), caso.eco) << '"' << caso.comando << '"';
        EXPECT_EQ(resposta_.size(), 128u);
    }
    EXPECT_EQ(Troca(1, 10, nullptr), 0);
    EXPECT_EQ(Campo(resposta_, 2, 1) + Campo(resposta_, 21, 2), "-02");
}

}  // namespace
}  // namespace zubsim::teste
