#include "relatorios.h"

#include "texto.h"

namespace zubsim {

namespace {

const std::string kSeparador(kColunas, '-');
const std::string kDuplo(kColunas, '=');

std::string LinhaDePapel(const std::string& texto) { return texto + "\n"; }

std::string Totalizadores(const Estado& e) {
    std::string texto = LinhaDePapel("TOTALIZADORES PARCIAIS");
    for (std::size_t i = 0; i < kTributos; ++i)
        texto += LinhaDePapel(Coluna(std::string(" ") + kCodigosTributo[i] + " " + NomeDoTributo(i),
                              Dinheiro(e.totaisDia[i])));
    return texto;
}

int64_t VendaDoDia(const Estado& e) {
    int64_t soma = 0;
    for (int64_t total : e.totaisDia) soma += total;
    return soma;
}

std::string Contadores(const Estado& e) {
    return LinhaDePapel(Coluna("CONTADOR DE ORDEM DE OPERAÇÃO", Digitos(e.coo, 6))) +
           LinhaDePapel(Coluna("CONTADOR DE CUPOM FISCAL", Digitos(e.ccf, 6))) +
           LinhaDePapel(Coluna("CONTADOR DE REDUÇÕES Z", Digitos(e.crz, 4)));
}

}  // namespace

std::string Cabecalho(const Momento& agora, int64_t coo, const std::string& titulo) {
    return LinhaDePapel(kDuplo) + LinhaDePapel(Centro("ZUBSIM - IMPRESSORA FISCAL SIMULADA")) +
           LinhaDePapel(Coluna(TextoData(agora.data, true) + " " + TextoHora(agora),
                        "COO:" + Digitos(coo, 6))) +
           LinhaDePapel(Centro(titulo)) + LinhaDePapel(kSeparador);
}

const char* NomeDoPagamento(int forma) {
    switch (forma) {
        case 1: return "DINHEIRO";
        case 2: return "CHEQUE";
        case 3: return "CARTÃO DE CRÉDITO";
        case 4: return "CARTÃO DE DÉBITO";
        case 5: return "OUTROS";
        default: return nullptr;
    }
}

const char* NomeDoTributo(std::size_t indice) {
    static const char* const kNomes[kTributos] = {
        "ICMS 18,00%", "ICMS 12,00%", "ICMS 7,00%", "ICMS 25,00%",
        "SUBSTITUIÇÃO TRIBUTÁRIA", "ISENTO", "NÃO INCIDÊNCIA"};
    return indice < kTributos ? kNomes[indice] : "";
}

std::string CorpoLeituraX(const Estado& e) {
    return Contadores(e) + Totalizadores(e) +
           LinhaDePapel(Coluna("VENDA BRUTA DIÁRIA", Dinheiro(VendaDoDia(e)))) +
           LinhaDePapel(Coluna("GRANDE TOTAL", Dinheiro(e.grandeTotal))) + LinhaDePapel(kSeparador);
}

std::string CorpoReducaoZ(const Estado& e, const Reducao& r) {
    return LinhaDePapel(Coluna("MOVIMENTO DO DIA", TextoData(DataDoNumero(r.movimento), true))) +
           Contadores(e) + Totalizadores(e) +
           LinhaDePapel(Coluna("VENDA BRUTA DIÁRIA", Dinheiro(r.vendaBruta))) +
           LinhaDePapel(Coluna("GRANDE TOTAL", Dinheiro(r.grandeTotal))) + LinhaDePapel(kSeparador);
}

RelatorioMemoria::RelatorioMemoria(const Estado& estado, const LeituraEmCurso& pedido)
    : estado_(estado), pedido_(pedido) {
    for (std::size_t i = 0; i < estado.reducoes.size(); ++i) {
        const Reducao& r = estado.reducoes[i];
        int chave = pedido.tipo == 15 ? r.crz : r.movimento;
        if (chave >= pedido.inicio && chave <= pedido.fim) selecionadas_.push_back(i);
    }
}

std::size_t RelatorioMemoria::Linhas() const {
    // Header, the records (or one line saying there are none), three totals.
    std::size_t corpo = selecionadas_.empty() ? 1 : selecionadas_.size() * kLinhasPorReducao;
    return kLinhasCabecalho + corpo + 3;
}

std::string RelatorioMemoria::Linha(std::size_t indice) const {
    auto data = [](int numero) { return TextoData(DataDoNumero(numero), false); };
    if (indice == 0) return "LEITURA DA MEMÓRIA FISCAL";
    if (indice == 1)
        return pedido_.tipo == 15
                   ? "POR REDUÇÃO: " + Digitos(pedido_.inicio, 4) + " A " + Digitos(pedido_.fim, 4)
                   : "POR DATA: " + data(pedido_.inicio) + " A " + data(pedido_.fim);
    if (indice == 2) {
        Momento emissao = MomentoDe(pedido_.emissao);
        return "EMITIDA EM " + TextoData(emissao.data, false) + " " + TextoHora(emissao);
    }
    indice -= kLinhasCabecalho;
    std::size_t corpo = selecionadas_.empty() ? 1 : selecionadas_.size() * kLinhasPorReducao;
    if (indice < corpo) {
        if (selecionadas_.empty()) return "NENHUMA REDUÇÃO NO INTERVALO";
        const Reducao& r = estado_.reducoes[selecionadas_[indice / kLinhasPorReducao]];
        switch (indice % kLinhasPorReducao) {
            case 0:
                return "REDUÇÃO " + Digitos(r.crz, 4) + "  MOVIMENTO " + data(r.movimento) +
                       "  COO " + Digitos(r.coo, 6);
            case 1: return Coluna("  VENDA BRUTA DIÁRIA", Dinheiro(r.vendaBruta));
            default: return Coluna("  GRANDE TOTAL", Dinheiro(r.grandeTotal));
        }
    }
    indice -= corpo;
    if (indice == 0) return Coluna("REDUÇÕES NO INTERVALO", std::to_string(selecionadas_.size()));
    if (indice == 1) {
        int64_t soma = 0;
        for (std::size_t i : selecionadas_) soma += estado_.reducoes[i].vendaBruta;
        return Coluna("VENDA BRUTA NO INTERVALO", Dinheiro(soma));
    }
    return "FIM DA LEITURA";
}

}  // namespace zubsim
