// Readings of the fiscal memory: by reduction numbers and by dates,
// printed or handed out block by block for the file.
#include "simulador.h"

namespace zubsim::teste {
namespace {

class MemoriaFiscal : public Simulador {
protected:
    // Three reductions: 01/03/24 with R$1,00, 02/03/24 with R$2,00 and
    // 05/03/24 with nothing sold.
    void SetUp() override {
        Simulador::SetUp();
        Relogio("100000", "010324");
        CupomCompleto();
        Aceito(".14");
        Relogio("100000", "020324");
        Aceitos({".17", kItem, kItem, kPaga100, ".12", ".14"});
        Relogio("100000", "050324");
        Aceito(".14");
    }
};

TEST_F(MemoriaFiscal, ReadingToTheFileCoversExactlyTheReductionsInTheRange) {
    const struct {
        std::string comando, dentro, quantas, venda;
    } casos[] = {
        {".1500011000#", "123", "3", "3,00"},
        {".1500030009#", "3", "1", "0,00"},
        {".16020324040324#", "2", "1", "2,00"},
        {".16010100311223#", "", "", ""},
    };
    for (const auto& caso : casos) {
        const auto blocos = LeParaArquivo(caso.comando);
        std::string texto;
        for (const auto& bloco : blocos) texto += bloco + "\n";
        ASSERT_EQ(blocos.size(), caso.dentro.empty() ? 7u : 6 + 3 * caso.dentro.size()) << texto;
        EXPECT_EQ(blocos.front(), "LEITURA DA MEM\xD3RIA FISCAL");
        EXPECT_EQ(blocos.back(), "FIM DA LEITURA");
        for (char crz : std::string("123"))
            EXPECT_EQ(Tem(texto, std::string("REDU\xC7\xC3O 000") + crz + " "), Tem(caso.dentro, {crz}))
                << caso.comando << " " << crz;
        if (caso.dentro.empty()) {
            EXPECT_EQ(blocos[3], "NENHUMA REDU\xC7\xC3O NO INTERVALO");
            continue;
        }
        const std::string& total = blocos[blocos.size() - 3];
        EXPECT_EQ(total.substr(0, 21), "REDU\xC7\xD5" "ES NO INTERVALO");
        EXPECT_EQ(total.substr(total.size() - 2), " " + caso.quantas);
        const std::string& venda = blocos[blocos.size() - 2];
        EXPECT_EQ(venda.substr(venda.size() - 5), " " + caso.venda) << venda;
    }
}

// After the last block "]", then nothing more; a new reading starts over,
// the status queries leave a reading going and any other command ends it.
TEST_F(MemoriaFiscal, BlocksEndWithBracketAndOtherCommandsEndTheReading) {
    LeParaArquivo(".1500010001#");
    EXPECT_EQ(Campo(resposta_, 1, 4) + Campo(resposta_, 21, 2), "@]++00");
    Roteiro({{".++", "-23"}, {".1500011000#", "+ 3=0001"}, {".++", "+ 3=0002"}, {".28", "+"}, {".23", "+"},
             {".5609", "+"}, {".271", "+"}, {".++", "+ 3=0003"}, {".16010324310324#", "+ 3=0001"}, {".21", "+"},
             {".++", "-23"}});
}

TEST_F(MemoriaFiscal, BadRangesAreRefused) {
    for (const std::string comando : {".1500040001", ".15000A0003", ".15-0010003", ".16020324010324", ".16310224010324",
                                      ".16011324311224", ".1601/3/4010324"})
        Roteiro({{comando, "-22"}, {comando + "#", "-22"}});
    Aceito(".16290224290224#");  // 29/02/24 exists
}

TEST_F(MemoriaFiscal, PrintedReadingAnswersOnceAndGoesToThePaperRoll) {
    const std::string antes = Bobina();
    Roteiro({{".1500020003", "+ 5=0006"}});
    const std::string impresso = Bobina().substr(antes.size());
    for (const char* texto : {"LEITURA DA MEMÓRIA FISCAL", "COO:000006", "POR REDUÇÃO: 0002 A 0003", "REDUÇÃO 0002",
                              "REDUÇÃO 0003", "FIM DA LEITURA"})
        EXPECT_TRUE(Tem(impresso, texto)) << texto << "\n" << impresso;
    EXPECT_FALSE(Tem(impresso, "REDUÇÃO 0001")) << impresso;
    // Without paper only the reading to the file works.
    PoeAmbiente("ZUBSIM_SEM_PAPEL", "1");
    Roteiro({{".++", "-23"}, {".16010324310324", "-05"}});
    EXPECT_EQ(LeParaArquivo(".1500011000#").size(), 15u);
}

}  // namespace
}  // namespace zubsim::teste
