#include "comandos.h"

#include <cstddef>
#include <utility>

#include "calendario.h"
#include "cp1252.h"
#include "relatorios.h"
#include "resposta.h"
#include "texto.h"

namespace zubsim {

namespace {

// Text a command carries, as the paper shows it: the bytes the code page
// leaves undefined print as "?".
std::string NaBobina(const std::string& bytes) { return tavorin::Utf8DoCp1252(bytes, tavorin::Indefinido::Interrogacao); }

int64_t VendaDoDia(const Estado& e) {
    int64_t soma = 0;
    for (int64_t total : e.totaisDia) soma += total;
    return soma;
}

// "ddmmyy" at `posicao`, as the number yyyymmdd.
bool LeDataDoComando(const std::string& texto, std::size_t posicao, int& numero) {
    if (!SaoDigitos(texto, posicao, 6)) return false;
    const Data data{comum::AnoDoSeculo(static_cast<int>(Numero(texto, posicao + 4, 2))),
                    static_cast<int>(Numero(texto, posicao + 2, 2)), static_cast<int>(Numero(texto, posicao, 2))};
    if (!comum::DataDoSeculo(data)) return false;
    numero = NumeroDaData(data);
    return true;
}

struct Comando;

class Execucao {
public:
    Execucao(Estado& estado, const Ambiente& ambiente, const std::string& comando,
             int64_t agoraNoHost)
        : e_(estado), ambiente_(ambiente), comando_(comando), agoraNoHost_(agoraNoHost) {}

    std::string Roda();

    bool alterou = false;
    std::string bobina;   // printed text, UTF-8

private:
    // The command's entry in the table of commands, or null.
    static const Comando* Procura(const std::string& comando);

    int64_t AgoraSegundos() const { return agoraNoHost_ + e_.desvioRelogio; }
    Momento Agora() const { return MomentoDe(AgoraSegundos()); }
    int Hoje() const { return NumeroDaData(Agora().data); }
    // No date of the clock may come before the last reduction or the day
    // whose movement is still open.
    int DataMinima() const;
    bool PendenteDeOutroDia() const { return e_.diaMovimento != 0 && e_.diaMovimento < Hoje(); }
    bool ReduzidoHoje() const { return e_.diaUltimaZ == Hoje(); }
    char EstadoReducao() const;
    char EstadoCupom() const;

    std::string Recusa(Erro erro) const { return zubsim::Recusa(comando_, erro); }
    Resposta Aceita() const { return Resposta(comando_); }
    void Imprime(const std::string& titulo, const std::string& corpo) {
        bobina += Cabecalho(Agora(), e_.coo, titulo) + corpo;
    }

    std::string Status();
    std::string Papel();
    std::string Registrador();
    std::string Gaveta();
    std::string LeituraX();
    std::string ReducaoZ();
    std::string LeituraMemoria();
    std::string ProximoBloco();
    std::string AbreCupom();
    std::string VendeItem();
    std::string Paga();
    std::string FechaCupom();
    std::string AcertaRelogio();
    std::string HorarioVerao();

    Estado& e_;
    const Ambiente& ambiente_;
    const std::string& comando_;
    int64_t agoraNoHost_;
    bool paraArquivo_ = false;   // a reading sent with "#"
};

struct Comando {
    const char* codigo;
    std::size_t tamanho;
    std::size_t tamanhoParaArquivo;   // with the trailing "#"; 0: none
    bool consulta;                    // answered even off line
    bool imprime;                     // needs paper (a reading to the file does not)
    std::string (Execucao::*executa)();
};

const Comando* Execucao::Procura(const std::string& comando) {
    static const Comando kComandos[] = {
        {"28", 3, 0, true, false, &Execucao::Status},
        {"23", 3, 0, true, false, &Execucao::Papel},
        {"56", 5, 0, true, false, &Execucao::Registrador},
        {"27", 4, 0, true, false, &Execucao::Registrador},
        {"21", 3, 0, false, false, &Execucao::Gaveta},
        {"13", 3, 0, false, true, &Execucao::LeituraX},
        {"14", 3, 0, false, true, &Execucao::ReducaoZ},
        {"15", 11, 12, false, true, &Execucao::LeituraMemoria},
        {"16", 15, 16, false, true, &Execucao::LeituraMemoria},
        {"++", 3, 0, false, false, &Execucao::ProximoBloco},
        {"17", 3, 0, false, true, &Execucao::AbreCupom},
        {"01", 71, 0, false, true, &Execucao::VendeItem},
        {"10", 17, 0, false, true, &Execucao::Paga},
        {"12", 3, 0, false, true, &Execucao::FechaCupom},
        {"35", 15, 0, false, false, &Execucao::AcertaRelogio},
        {"36", 4, 0, false, false, &Execucao::HorarioVerao},
    };
    if (comando.size() < 3 || comando[0] != '.') return nullptr;
    for (const Comando& c : kComandos)
        if (comando.compare(1, 2, c.codigo) == 0) return &c;
    return nullptr;
}

int Execucao::DataMinima() const {
    int minima = e_.diaMovimento;
    if (!e_.reducoes.empty()) {
        int ultima = NumeroDaData(MomentoDe(e_.reducoes.back().emissao).data);
        if (ultima > minima) minima = ultima;
    }
    return minima;
}

char Execucao::EstadoReducao() const {
    if (PendenteDeOutroDia()) return 'F';
    return ReduzidoHoje() ? 'S' : 'N';
}

char Execucao::EstadoCupom() const {
    if (!e_.cupom.aberto) return '0';
    if (e_.cupom.itens == 0) return '1';
    return e_.cupom.pago == 0 ? '2' : '3';
}

std::string Execucao::Roda() {
    const Comando* comando = Procura(comando_);
    bool consulta = comando && comando->consulta;
    // Only ".++" and the status queries leave a reading to the file going;
    // anything else could change what its remaining blocks would say.
    if (e_.leitura.tipo != 0 && !consulta && !(comando && comando->codigo[0] == '+')) {
        e_.leitura = LeituraEmCurso{};
        alterou = true;
    }
    if (!comando) return Recusa(comando_.size() >= 3 && comando_[0] == '.'
                                    ? Erro::ComandoDesconhecido
                                    : Erro::FormatoInvalido);
    if (!consulta && ambiente_.foraDeLinha) return Recusa(Erro::ForaDeLinha);
    if (comando_.size() != comando->tamanho) {
        if (comando->tamanhoParaArquivo == 0 || comando_.size() != comando->tamanhoParaArquivo ||
            comando_.back() != '#')
            return Recusa(Erro::FormatoInvalido);
        paraArquivo_ = true;
    }
    if (comando->imprime && !paraArquivo_ && ambiente_.semPapel) return Recusa(Erro::SemPapel);
    return (this->*comando->executa)();
}

std::string Execucao::Status() {
    Momento agora = Agora();
    Resposta r = Aceita();
    r.Poe(5, Digitos(e_.coo, 4))
        .Poe(10, Digitos(e_.crz, 4))
        .Poe(15, std::string(1, EstadoCupom()))
        .Poe(18, std::string(1, EstadoReducao()))
        .Poe(44, Digitos(agora.data.dia, 2) + Digitos(agora.data.mes, 2) +
                     Digitos(agora.data.ano % 100, 2))
        .Poe(50, Digitos(agora.hora, 2) + Digitos(agora.minuto, 2))
        .Poe(54, e_.horarioVerao ? "S" : "N")
        .Poe(55, Digitos(agora.segundo, 2))
        .Poe(124, e_.diaPrimeiraLX == NumeroDaData(agora.data) ? "S" : "N");
    return r.Linha();
}

std::string Execucao::Papel() {
    // Out of paper wins over off line: paper is what the operator must
    // see to first, and either one stops the coupon window.
    const char* estado = ambiente_.semPapel ? "5" : ambiente_.foraDeLinha ? "1" : "0";
    return Aceita()
        .Poe(6, estado)
        .Poe(8, ambiente_.semPapel ? "5" : "0")
        .Poe(9, ambiente_.foraDeLinha ? "1" : "0")
        .Linha();
}

std::string Execucao::Registrador() {
    if (comando_ == ".5609")
        return Aceita().Poe(5, Digitos(e_.coo, 4)).Poe(23, Digitos(e_.coo, 6)).Linha();
    if (comando_ == ".271")
        return Aceita().Poe(23, Digitos(e_.ccf, 6)).Poe(115, Digitos(e_.ccf, 4)).Linha();
    return Recusa(Erro::RegistradorInexistente);
}

std::string Execucao::Gaveta() { return Aceita().Linha(); }

std::string Execucao::LeituraX() {
    if (e_.cupom.aberto) return Recusa(Erro::CupomAberto);
    if (e_.coo >= kLimiteContador) return Recusa(Erro::MemoriaEsgotada);
    ++e_.coo;
    e_.diaPrimeiraLX = Hoje();
    // The day's first document opens its movement, unless the day is
    // already reduced.
    if (e_.diaMovimento == 0 && !ReduzidoHoje()) e_.diaMovimento = Hoje();
    alterou = true;
    Imprime("LEITURA X", CorpoLeituraX(e_));
    return Aceita().Poe(5, Digitos(e_.coo, 4)).Linha();
}

std::string Execucao::ReducaoZ() {
    if (e_.cupom.aberto) return Recusa(Erro::CupomAberto);
    if (e_.diaMovimento == 0 && ReduzidoHoje()) return Recusa(Erro::ReducaoJaEmitida);
    if (e_.crz >= kLimiteReducoes || e_.coo >= kLimiteContador) return Recusa(Erro::MemoriaEsgotada);
    ++e_.coo;
    ++e_.crz;
    Reducao r;
    r.crz = e_.crz;
    r.coo = e_.coo;
    r.movimento = e_.diaMovimento != 0 ? e_.diaMovimento : Hoje();
    r.emissao = AgoraSegundos();
    r.vendaBruta = VendaDoDia(e_);
    r.grandeTotal = e_.grandeTotal;
    e_.reducoes.push_back(r);
    Imprime("REDUÇÃO Z", CorpoReducaoZ(e_, r));
    e_.totaisDia = {};
    e_.diaMovimento = 0;
    e_.diaUltimaZ = r.movimento;
    alterou = true;
    return Aceita().Poe(5, Digitos(e_.coo, 4)).Poe(10, Digitos(e_.crz, 4)).Linha();
}

std::string Execucao::LeituraMemoria() {
    LeituraEmCurso pedido;
    if (comando_[2] == '5') {
        if (!SaoDigitos(comando_, 3, 8)) return Recusa(Erro::IntervaloInvalido);
        pedido.tipo = 15;
        pedido.inicio = static_cast<int>(Numero(comando_, 3, 4));
        pedido.fim = static_cast<int>(Numero(comando_, 7, 4));
    } else {
        pedido.tipo = 16;
        if (!LeDataDoComando(comando_, 3, pedido.inicio) || !LeDataDoComando(comando_, 9, pedido.fim))
            return Recusa(Erro::IntervaloInvalido);
    }
    if (pedido.inicio > pedido.fim) return Recusa(Erro::IntervaloInvalido);
    pedido.emissao = AgoraSegundos();

    if (paraArquivo_) {
        RelatorioMemoria relatorio(e_, pedido);
        pedido.proximo = 1;
        e_.leitura = pedido;
        alterou = true;
        return Bloco(1, tavorin::Cp1252DoUtf8(relatorio.Linha(0)));
    }
    if (e_.cupom.aberto) return Recusa(Erro::CupomAberto);
    if (e_.coo >= kLimiteContador) return Recusa(Erro::MemoriaEsgotada);
    ++e_.coo;
    alterou = true;
    RelatorioMemoria relatorio(e_, pedido);
    std::string corpo;
    for (std::size_t i = 1; i < relatorio.Linhas(); ++i) corpo += relatorio.Linha(i) + "\n";
    Imprime("LEITURA DA MEMÓRIA FISCAL", corpo);
    return Aceita().Poe(5, Digitos(e_.coo, 4)).Linha();
}

std::string Execucao::ProximoBloco() {
    if (e_.leitura.tipo == 0) return Recusa(Erro::SemLeitura);
    RelatorioMemoria relatorio(e_, e_.leitura);
    // A ".++" from any process goes on from where the last one left: the
    // end is saved in the state, the position beside it (Executa).
    std::size_t proximo = static_cast<std::size_t>(e_.leitura.proximo);
    if (proximo >= relatorio.Linhas()) {
        e_.leitura = LeituraEmCurso{};
        alterou = true;
        return Resposta(comando_, ']').Linha();
    }
    ++e_.leitura.proximo;
    return Bloco(static_cast<int>(proximo) + 1, tavorin::Cp1252DoUtf8(relatorio.Linha(proximo)));
}

std::string Execucao::AbreCupom() {
    if (e_.cupom.aberto) return Recusa(Erro::CupomAberto);
    if (PendenteDeOutroDia()) return Recusa(Erro::ReducaoPendente);
    if (ReduzidoHoje()) return Recusa(Erro::ReducaoJaEmitida);
    if (e_.coo >= kLimiteContador || e_.ccf >= kLimiteContador) return Recusa(Erro::MemoriaEsgotada);
    ++e_.coo;
    ++e_.ccf;
    e_.cupom = Cupom{true, 0, 0, 0};
    if (e_.diaMovimento == 0) e_.diaMovimento = Hoje();
    alterou = true;
    Imprime("CUPOM FISCAL", "CCF:" + Digitos(e_.ccf, 6) + "\n" +
                                "ITEM CÓDIGO        DESCRIÇÃO\n" +
                                "     QTD UN  x VL.UNIT  ST            VL.ITEM\n");
    return Aceita().Poe(5, Digitos(e_.coo, 4)).Poe(115, Digitos(e_.ccf, 4)).Linha();
}

std::string Execucao::VendeItem() {
    if (!e_.cupom.aberto) return Recusa(Erro::CupomNaoAberto);
    if (e_.cupom.pago > 0) return Recusa(Erro::PagamentoIniciado);
    if (e_.cupom.itens >= 999) return Recusa(Erro::ItemInvalido);
    // .01 ccccccccccccc qqqqqqq ppppppppp rrrrrrrrrrrr dddddddddddddddddddd uuuu ttt
    //     code (13)     qty,3 dec  price,2 dec  reserved, blank  description  unit  tax
    const std::string& c = comando_;
    if (!SaoDigitos(c, 3, 13) || !SaoDigitos(c, 16, 7) || !SaoDigitos(c, 23, 9))
        return Recusa(Erro::ItemInvalido);
    int64_t quantidade = Numero(c, 16, 7);
    int64_t preco = Numero(c, 23, 9);
    if (quantidade == 0 || preco == 0) return Recusa(Erro::ItemInvalido);
    if (c.compare(32, 12, std::string(12, ' ')) != 0) return Recusa(Erro::ItemInvalido);
    std::string descricao = c.substr(44, 20);
    std::string unidade = c.substr(64, 4);
    for (char ch : descricao + unidade) {
        unsigned char b = static_cast<unsigned char>(ch);
        if (b < 0x20 || b == 0x7F) return Recusa(Erro::ItemInvalido);
    }
    while (!descricao.empty() && descricao.back() == ' ') descricao.pop_back();
    if (descricao.empty()) return Recusa(Erro::ItemInvalido);
    while (!unidade.empty() && unidade.back() == ' ') unidade.pop_back();
    std::string tributo = c.substr(68, 3);
    std::size_t indice = kTributos;
    for (std::size_t i = 0; i < kTributos; ++i)
        if (tributo == kCodigosTributo[i]) indice = i;
    if (indice == kTributos) return Recusa(Erro::ItemInvalido);

    // Quantity in thousandths times price in centavos, rounded to centavos.
    int64_t valor = (quantidade * preco + 500) / 1000;
    // The coupon's total must fit its answer field, the grand total (and
    // so every day's and every reading's sum) its limit.
    if (e_.cupom.total + valor > kLimiteCupom || e_.grandeTotal + valor > kLimiteTotal)
        return Recusa(Erro::ItemInvalido);
    ++e_.cupom.itens;
    e_.cupom.total += valor;
    e_.totaisDia[indice] += valor;
    e_.grandeTotal += valor;
    alterou = true;
    bobina += Digitos(e_.cupom.itens, 3) + " " + c.substr(3, 13) + " " + NaBobina(descricao) + "\n";
    bobina += Coluna("     " + Quantidade(quantidade) + " " +
                         (unidade.empty() ? std::string("UN") : NaBobina(unidade)) + " x " +
                         Dinheiro(preco) + "  " + tributo,
                     Dinheiro(valor)) +
              "\n";
    return Aceita()
        .Poe(5, Digitos(e_.coo, 4))
        .Poe(23, Digitos(e_.cupom.itens, 3))
        .Poe(27, Digitos(e_.cupom.total, 12))
        .Linha();
}

std::string Execucao::Paga() {
    if (!e_.cupom.aberto) return Recusa(Erro::CupomNaoAberto);
    if (e_.cupom.itens == 0) return Recusa(Erro::SemItens);
    if (e_.cupom.pago >= e_.cupom.total) return Recusa(Erro::CupomJaPago);
    if (!SaoDigitos(comando_, 3, 14)) return Recusa(Erro::PagamentoInvalido);
    int forma = static_cast<int>(Numero(comando_, 3, 2));
    int64_t valor = Numero(comando_, 5, 12);
    const char* nome = NomeDoPagamento(forma);
    if (!nome || valor == 0 || e_.cupom.pago + valor > kLimiteCupom) return Recusa(Erro::PagamentoInvalido);
    if (e_.cupom.pago == 0)
        bobina += Coluna("TOTAL R$", Dinheiro(e_.cupom.total)) + "\n";
    e_.cupom.pago += valor;
    alterou = true;
    bobina += Coluna(nome, Dinheiro(valor)) + "\n";
    int64_t falta = e_.cupom.total > e_.cupom.pago ? e_.cupom.total - e_.cupom.pago : 0;
    return Aceita()
        .Poe(5, Digitos(e_.coo, 4))
        .Poe(27, Digitos(e_.cupom.total, 12))
        .Poe(40, Digitos(e_.cupom.pago, 12))
        .Poe(53, Digitos(falta, 12))
        .Linha();
}

std::string Execucao::FechaCupom() {
    if (!e_.cupom.aberto) return Recusa(Erro::CupomNaoAberto);
    if (e_.cupom.itens == 0) return Recusa(Erro::SemItens);
    if (e_.cupom.pago < e_.cupom.total) return Recusa(Erro::PagamentoInsuficiente);
    int64_t troco = e_.cupom.pago - e_.cupom.total;
    Cupom cupom = e_.cupom;
    e_.cupom = Cupom{};
    alterou = true;
    bobina += Coluna("TROCO R$", Dinheiro(troco)) + "\n" + Centro("OBRIGADO, VOLTE SEMPRE") +
              "\n" + std::string(kColunas, '-') + "\n";
    return Aceita()
        .Poe(5, Digitos(e_.coo, 4))
        .Poe(27, Digitos(cupom.total, 12))
        .Poe(40, Digitos(cupom.pago, 12))
        .Poe(53, Digitos(troco, 12))
        .Linha();
}

std::string Execucao::AcertaRelogio() {
    if (e_.cupom.aberto) return Recusa(Erro::CupomAberto);
    // .35 hhmmss ddmmyy
    if (!SaoDigitos(comando_, 3, 12)) return Recusa(Erro::DataHoraInvalida);
    Momento novo;
    novo.hora = static_cast<int>(Numero(comando_, 3, 2));
    novo.minuto = static_cast<int>(Numero(comando_, 5, 2));
    novo.segundo = static_cast<int>(Numero(comando_, 7, 2));
    int data = 0;
    if (!HoraValida(novo.hora, novo.minuto, novo.segundo) || !LeDataDoComando(comando_, 9, data))
        return Recusa(Erro::DataHoraInvalida);
    if (data < DataMinima()) return Recusa(Erro::DataAnterior);
    novo.data = DataDoNumero(data);
    // Only a host clock far off the printer's years gets here.
    if (Segundos(novo) - agoraNoHost_ > kLimiteDesvio || Segundos(novo) - agoraNoHost_ < -kLimiteDesvio)
        return Recusa(Erro::DataHoraInvalida);
    e_.desvioRelogio = Segundos(novo) - agoraNoHost_;
    alterou = true;
    return Aceita().Linha();
}

std::string Execucao::HorarioVerao() {
    char modo = comando_[3];
    if (modo != 'S' && modo != 'N') return Recusa(Erro::CampoInvalido);
    if (e_.cupom.aberto) return Recusa(Erro::CupomAberto);
    bool entra = modo == 'S';
    if (entra && e_.horarioVerao) return Recusa(Erro::JaEmVerao);
    if (!entra && !e_.horarioVerao) return Recusa(Erro::NaoEstaEmVerao);
    int64_t desvio = e_.desvioRelogio + (entra ? 3600 : -3600);
    if (desvio > kLimiteDesvio || desvio < -kLimiteDesvio) return Recusa(Erro::DataHoraInvalida);
    if (NumeroDaData(MomentoDe(agoraNoHost_ + desvio).data) < DataMinima())
        return Recusa(Erro::DataAnterior);
    e_.desvioRelogio = desvio;
    e_.horarioVerao = entra;
    alterou = true;
    return Aceita().Linha();
}

}  // namespace

Feito RodaComando(Estado& estado, const Ambiente& ambiente, const std::string& comando, int64_t agoraNoHost) {
    Execucao execucao(estado, ambiente, comando, agoraNoHost);
    Feito feito;
    feito.resposta = execucao.Roda();
    feito.alterou = execucao.alterou;
    feito.bobina = std::move(execucao.bobina);
    return feito;
}

}  // namespace zubsim
