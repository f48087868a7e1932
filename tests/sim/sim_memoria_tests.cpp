// Readings of the fiscal memory: by reduction numbers and by dates,
// printed or handed out block by block for the file.
#include "simulador.h"

namespace zubsim::teste {
namespace {

std::string Junta(const std::vector<std::string>& blocos) {
    std::string texto;
    for (const auto& bloco : blocos) texto += bloco + "\n";
    return texto;
}

bool Tem(const std::string& texto, const std::string& trecho) {
    return texto.find(trecho) != std::string::npos;
}

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
        std::string comando;
        std::vector<std::string> dentro;
        std::vector<std::string> fora;
        std::string quantas;
        std::string venda;
    } casos[] = {
        {".1500011000#", {"0001", "0002", "0003"}, {}, "3", "3,00"},
        {".1500020003#", {"0002", "0003"}, {"0001"}, "2", "2,00"},
        {".1500010001#", {"0001"}, {"0002", "0003"}, "1", "1,00"},
        {".1500030009#", {"0003"}, {"0001", "0002"}, "1", "0,00"},
        {".16010300301224#", {"0001", "0002", "0003"}, {}, "3", "3,00"},
        {".16020324040324#", {"0002"}, {"0001", "0003"}, "1", "2,00"},
        {".16050324050324#", {"0003"}, {"0001", "0002"}, "1", "0,00"},
    };
    for (const auto& caso : casos) {
        auto blocos = LeParaArquivo(caso.comando);
        std::string texto = Junta(blocos);
        ASSERT_FALSE(blocos.empty());
        EXPECT_EQ(blocos.front(), "LEITURA DA MEM\xD3RIA FISCAL");
        EXPECT_EQ(blocos.back(), "FIM DA LEITURA");
        for (const auto& crz : caso.dentro)
            EXPECT_TRUE(Tem(texto, "REDU\xC7\xC3O " + crz + " ")) << caso.comando << " " << crz;
        for (const auto& crz : caso.fora)
            EXPECT_FALSE(Tem(texto, "REDU\xC7\xC3O " + crz + " ")) << caso.comando << " " << crz;
        EXPECT_EQ(blocos.size(), 3 + 3 * caso.dentro.size() + 3) << texto;
        const std::string& total = blocos[blocos.size() - 3];
        EXPECT_EQ(total.substr(0, 21), "REDU\xC7\xD5" "ES NO INTERVALO");
        EXPECT_EQ(total.substr(total.size() - caso.quantas.size() - 1), " " + caso.quantas);
        const std::string& venda = blocos[blocos.size() - 2];
        EXPECT_EQ(venda.substr(venda.size() - caso.venda.size() - 1), " " + caso.venda) << venda;
        for (const auto& bloco : blocos)
            EXPECT_EQ(bloco.find_first_of("}\r\n"), std::string::npos) << bloco;
    }
}

TEST_F(MemoriaFiscal, RangeWithoutReductionsGivesAReportSayingSo) {
    for (const std::string comando : {".1500040100#", ".16010100311223#"}) {
        auto blocos = LeParaArquivo(comando);
        ASSERT_EQ(blocos.size(), 7u) << Junta(blocos);
        EXPECT_EQ(blocos[3], "NENHUMA REDU\xC7\xC3O NO INTERVALO");
    }
}

TEST_F(MemoriaFiscal, BlockSequenceEndsWithBracketThenHasNothingMore) {
    auto blocos = LeParaArquivo(".1500010001#");
    EXPECT_EQ(Campo(resposta_, 1, 4), "@]++");
    EXPECT_EQ(Campo(resposta_, 21, 2), "00");
    EXPECT_EQ(Recusado(".++"), "23");
}

TEST_F(MemoriaFiscal, NewReadingRestartsAndOtherCommandsEndTheReading) {
    Aceitos({".1500011000#", ".++", ".++"});
    EXPECT_EQ(Campo(resposta_, 3, 4), "0003");
    // The status queries (the clock window's tick) leave it going.
    Aceitos({".28", ".23", ".5609", ".271", ".++"});
    EXPECT_EQ(Campo(resposta_, 3, 4), "0004");
    Aceito(".16010324310324#");
    EXPECT_EQ(Campo(resposta_, 3, 4), "0001");
    Aceito(".++");
    EXPECT_EQ(resposta_.substr(6, resposta_.size() - 7), "POR DATA: 01/03/24 A 31/03/24");
    Aceito(".21");
    EXPECT_EQ(Recusado(".++"), "23");
}

TEST_F(MemoriaFiscal, BadRangesAreRefused) {
    for (const std::string intervalo :
         {"00040001", "000A0003", " 0010003", "-0010003", "0002000x"}) {
        EXPECT_EQ(Recusado(".15" + intervalo), "22") << intervalo;
        EXPECT_EQ(Recusado(".15" + intervalo + "#"), "22") << intervalo;
    }
    for (const std::string intervalo :
         {"020324010324", "310224010324", "010324300224", "290223010323", "011324311224",
          "000124010124", "01/3/4010324"}) {
        EXPECT_EQ(Recusado(".16" + intervalo), "22") << intervalo;
        EXPECT_EQ(Recusado(".16" + intervalo + "#"), "22") << intervalo;
    }
    // 29/02/24 exists.
    Aceito(".16290224290224#");
}

TEST_F(MemoriaFiscal, PrintedReadingAnswersOnceAndGoesToThePaperRoll) {
    std::string antes = Bobina();
    std::string linha = Aceito(".1500020003");
    EXPECT_EQ(linha.size(), 128u);
    EXPECT_EQ(Campo(linha, 5, 4), "0006");
    std::string impresso = Bobina().substr(antes.size());
    for (const char* texto : {"LEITURA DA MEMÓRIA FISCAL", "COO:000006", "POR REDUÇÃO: 0002 A 0003",
                              "REDUÇÃO 0002", "REDUÇÃO 0003", "FIM DA LEITURA"})
        EXPECT_TRUE(Tem(impresso, texto)) << texto << "\n" << impresso;
    EXPECT_FALSE(Tem(impresso, "REDUÇÃO 0001")) << impresso;
    EXPECT_EQ(Recusado(".++"), "23");
}

TEST_F(MemoriaFiscal, WithoutPaperOnlyTheReadingToTheFileWorks) {
    PoeAmbiente("ZUBSIM_SEM_PAPEL", "1");
    EXPECT_EQ(Recusado(".1500011000"), "05");
    EXPECT_EQ(Recusado(".16010324310324"), "05");
    EXPECT_EQ(LeParaArquivo(".1500011000#").size(), 15u);
}

}  // namespace
}  // namespace zubsim::teste
