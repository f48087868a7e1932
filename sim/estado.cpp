#include "estado.h"

#include <zlib.h>

#include "calendario.h"
#include "estado_regras.h"

namespace zubsim {

std::string Junta(std::initializer_list<int64_t> valores) {
    std::string texto;
    for (int64_t valor : valores) {
        if (!texto.empty()) texto += ' ';
        texto += std::to_string(valor);
    }
    return texto;
}

bool DiaOuZero(int64_t valor) {
    return valor == 0 || (valor > 0 && valor < 100000000 && NumeroDeDataValido(static_cast<int>(valor)));
}

bool Entre(int64_t valor, int64_t minimo, int64_t maximo) { return valor >= minimo && valor <= maximo; }

uint32_t Crc(uint32_t crc, const char* bytes, std::size_t tamanho) {
    return static_cast<uint32_t>(crc32_z(crc, reinterpret_cast<const Bytef*>(bytes), tamanho));
}

bool RegistroValido(const Reducao& r, std::size_t indice) {
    return r.crz == static_cast<int64_t>(indice) + 1 && Entre(r.coo, 0, kLimiteContador) &&
           NumeroDeDataValido(r.movimento) && Entre(r.emissao, -kLimiteSegundos, kLimiteSegundos) &&
           Entre(r.vendaBruta, 0, kLimiteTotal) && Entre(r.grandeTotal, 0, kLimiteTotal);
}

bool CamposValidos(const Estado& e) {
    const Cupom& c = e.cupom;
    const LeituraEmCurso& l = e.leitura;
    bool cupomValido = c.aberto ? Entre(c.itens, 0, 999) && Entre(c.total, 0, kLimiteCupom) &&
                                      Entre(c.pago, 0, kLimiteCupom) && (c.itens > 0 || (c.total == 0 && c.pago == 0))
                                : c.itens == 0 && c.total == 0 && c.pago == 0;
    bool leituraValida =
        l.tipo == 0 ? l.inicio == 0 && l.fim == 0 && l.proximo == 0 && l.emissao == 0
        : l.tipo == 15 ? Entre(l.inicio, 0, 9999) && Entre(l.fim, l.inicio, 9999)
        : l.tipo == 16 && NumeroDeDataValido(l.inicio) && NumeroDeDataValido(l.fim) && l.inicio <= l.fim;
    leituraValida = leituraValida && Entre(l.proximo, 0, 1000000) && Entre(l.emissao, -kLimiteSegundos, kLimiteSegundos);
    // The day's totals are part of the grand total.
    int64_t dia = 0;
    for (int64_t total : e.totaisDia) {
        if (!Entre(total, 0, kLimiteTotal)) return false;
        dia += total;
    }
    if (dia > e.grandeTotal) return false;
    return cupomValido && leituraValida && Entre(e.coo, 0, kLimiteContador) && Entre(e.ccf, 0, kLimiteContador) &&
           Entre(e.crz, 0, kLimiteReducoes) && Entre(e.grandeTotal, 0, kLimiteTotal) &&
           Entre(e.desvioRelogio, -kLimiteDesvio, kLimiteDesvio) && DiaOuZero(e.diaMovimento) &&
           DiaOuZero(e.diaUltimaZ) && DiaOuZero(e.diaPrimeiraLX);
}

bool Valido(const Estado& e, std::size_t desde) {
    if (!CamposValidos(e) || e.crz != static_cast<int64_t>(e.reducoes.size())) return false;
    for (std::size_t i = desde; i < e.reducoes.size(); ++i)
        if (!RegistroValido(e.reducoes[i], i)) return false;
    return true;
}

}  // namespace zubsim
