// The answer line: its frame, the fields of the status queries at the
// positions the program reads, and refusals of malformed commands.
#include "simulador.h"

namespace zubsim::teste {
namespace {

struct Posicao {
    std::size_t posicao;
    std::string valor;
};

TEST_F(Simulador, QueriesPutEveryFieldWhereTheProgramReadsIt) {
    Relogio("143000", "251203");
    Aceitos({".13", ".17", kItem, kPaga100, ".12", ".17"});   // COO 3, CCF 2, coupon open
    const struct {
        std::string comando;
        std::vector<Posicao> campos;
    } casos[] = {
        {".28", {{1, "@+28"}, {15, "1"}, {18, "N"}, {21, "00"}, {44, "251203"},
                 {50, "1430"}, {54, "N"}, {124, "S"}}},
        {".23", {{1, "@+23"}, {6, "0"}, {8, "00"}, {21, "00"}}},
        {".5609", {{1, "@+56"}, {5, "0003"}, {21, "00"}, {23, "000003"}}},
        {".271", {{1, "@+27"}, {21, "00"}, {23, "000002"}, {115, "0002"}}},
    };
    for (const auto& caso : casos) {
        std::string linha = Aceito(caso.comando);
        EXPECT_EQ(linha.size(), 128u) << caso.comando;
        for (const auto& campo : caso.campos)
            EXPECT_EQ(Campo(linha, campo.posicao, campo.valor.size()), campo.valor)
                << caso.comando << " at " << campo.posicao << ": " << linha;
    }
}

TEST_F(Simulador, PaperAndLineStateAtPositionSix) {
    const struct {
        const char* semPapel;
        const char* foraDeLinha;
        const char* estado;
    } casos[] = {{nullptr, nullptr, "0"}, {"1", nullptr, "5"}, {nullptr, "1", "1"},
                 {"1", "1", "5"},         {"0", "0", "0"}};
    for (const auto& caso : casos) {
        PoeAmbiente("ZUBSIM_SEM_PAPEL", caso.semPapel);
        PoeAmbiente("ZUBSIM_FORA_DE_LINHA", caso.foraDeLinha);
        EXPECT_EQ(Campo(Aceito(".23"), 6, 1), caso.estado)
            << "paper " << (caso.semPapel ? caso.semPapel : "-") << ", line "
            << (caso.foraDeLinha ? caso.foraDeLinha : "-");
        // The other queries answer whatever the paper and the line.
        Aceitos({".28", ".5609", ".271"});
    }
}

TEST_F(Simulador, MalformedAndUnknownCommandsAreRefusedWithTheirCode) {
    const struct {
        std::string comando;
        std::string codigo;
        std::string eco;   // positions 3-4
    } casos[] = {
        {".99", "01", "99"},           {".AB", "01", "AB"},        {".28 ", "02", "28"},
        {"28", "02", "??"},            {"", "02", "??"},           {".2", "02", "??"},
        {".", "02", "??"},             {"x28", "02", "??"},        {".5608", "24", "56"},
        {".56", "02", "56"},           {".272", "24", "27"},       {".36X", "03", "36"},
        {".36", "02", "36"},           {".150001000", "02", "15"}, {".1500011000X", "02", "15"},
        {".1600010000000000#", "02", "16"}, {".13#", "02", "13"},  {".0112345", "02", "01"},
        {".}]", "01", "??"},
    };
    for (const auto& caso : casos) {
        EXPECT_EQ(Recusado(caso.comando), caso.codigo) << '"' << caso.comando << '"';
        EXPECT_EQ(Campo(resposta_, 3, 2), caso.eco) << '"' << caso.comando << '"';
        EXPECT_EQ(resposta_.size(), 128u);
    }
    EXPECT_EQ(Troca(1, 10, nullptr), 0);
    EXPECT_EQ(Campo(resposta_, 2, 1), "-");
    EXPECT_EQ(Campo(resposta_, 21, 2), "02");
}

// Whatever the command, the line the program reads is plain bytes with
// "}" only closing a block and "]" only as a status.
TEST_F(Simulador, AnswersNeverHoldCharactersTheProgramCouldMisread) {
    const std::vector<std::string> comandos = {
        ".28", ".23", ".5609", ".271", ".21", ".13", ".17", kItem, kPaga100, ".12", ".14",
        ".1500019999#", ".++", ".++", ".++", ".++", ".++", ".++", ".++", ".++", ".++", ".++",
        ".++", ".1500019999", ".16010100311299", ".99", ".12", ".36S", ".36S", ".36N",
        std::string(".28\x01\xff", 5)};
    for (const auto& comando : comandos) {
        ASSERT_EQ(Envia(comando), 0);
        ASSERT_GE(resposta_.size(), 3u) << comando;
        EXPECT_EQ(resposta_[0], '@');
        bool bloco = resposta_.back() == '}' && resposta_[1] == '+' && resposta_.size() != 128;
        for (std::size_t i = 1; i < resposta_.size(); ++i) {
            unsigned char c = static_cast<unsigned char>(resposta_[i]);
            bool ultimo = i + 1 == resposta_.size();
            EXPECT_TRUE(c >= 0x20 && c != 0x7F && (c < 0x80 || (bloco && c >= 0xA0)))
                << comando << ": byte " << int(c) << " at " << i + 1;
            if (c == '}') {
                EXPECT_TRUE(bloco && ultimo) << comando << ": " << resposta_;
            }
            if (c == ']') {
                EXPECT_EQ(i, 1u) << comando << ": " << resposta_;
            }
        }
    }
}

}  // namespace
}  // namespace zubsim::teste
