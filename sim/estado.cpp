#include "estado.h"

#include <charconv>
#include <iterator>
#include <map>
#include <sstream>
#include <system_error>

#include "arquivo.h"
#include "calendario.h"

namespace zubsim {

namespace {

namespace fs = std::filesystem;

std::string Junta(std::initializer_list<int64_t> valores) {
    std::string texto;
    for (int64_t valor : valores) {
        if (!texto.empty()) texto += ' ';
        texto += std::to_string(valor);
    }
    return texto;
}

// Splits on single blanks into integers; false on anything else.
bool Inteiros(const std::string& texto, std::vector<int64_t>& valores) {
    valores.clear();
    std::size_t inicio = 0;
    while (inicio <= texto.size()) {
        std::size_t fim = texto.find(' ', inicio);
        if (fim == std::string::npos) fim = texto.size();
        if (fim == inicio) return false;
        int64_t valor = 0;
        const char* primeiro = texto.data() + inicio;
        const char* ultimo = texto.data() + fim;
        auto [ponteiro, erro] = std::from_chars(primeiro, ultimo, valor);
        if (erro != std::errc() || ponteiro != ultimo) return false;
        valores.push_back(valor);
        inicio = fim + 1;
    }
    return true;
}

bool DiaOuZero(int64_t valor) {
    return valor == 0 || (valor > 0 && valor < 100000000 && NumeroDeDataValido(static_cast<int>(valor)));
}

}  // namespace

std::string Serializa(const Estado& e) {
    std::ostringstream saida;
    saida << "formato=" << kFormatoEstado << '\n';
    saida << "coo=" << e.coo << '\n';
    saida << "ccf=" << e.ccf << '\n';
    saida << "crz=" << e.crz << '\n';
    saida << "grande_total=" << e.grandeTotal << '\n';
    saida << "desvio_relogio=" << e.desvioRelogio << '\n';
    saida << "horario_verao=" << (e.horarioVerao ? 1 : 0) << '\n';
    saida << "dia_movimento=" << e.diaMovimento << '\n';
    saida << "dia_ultima_z=" << e.diaUltimaZ << '\n';
    saida << "dia_primeira_lx=" << e.diaPrimeiraLX << '\n';
    saida << "totais_dia=";
    for (std::size_t i = 0; i < kTributos; ++i) saida << (i ? " " : "") << e.totaisDia[i];
    saida << '\n';
    saida << "cupom="
          << Junta({e.cupom.aberto ? 1 : 0, e.cupom.itens, e.cupom.total, e.cupom.pago}) << '\n';
    saida << "leitura="
          << Junta({e.leitura.tipo, e.leitura.inicio, e.leitura.fim, e.leitura.proximo,
                    e.leitura.emissao})
          << '\n';
    for (const Reducao& r : e.reducoes)
        saida << "reducao="
              << Junta({r.crz, r.coo, r.movimento, r.emissao, r.vendaBruta, r.grandeTotal})
              << '\n';
    saida << "fim=" << e.reducoes.size() << '\n';
    return saida.str();
}

bool Interpreta(const std::string& texto, Estado& saida) {
    // Every key once, in any order, except "reducao" (one per record, in
    // order) and "fim", which must close the file: a file cut short or
    // edited into nonsense is refused as a whole.
    static const char* const kChaves[] = {"formato",       "coo",           "ccf",
                                          "crz",           "grande_total",  "desvio_relogio",
                                          "horario_verao", "dia_movimento", "dia_ultima_z",
                                          "dia_primeira_lx", "totais_dia",  "cupom",
                                          "leitura"};
    std::map<std::string, std::vector<int64_t>> campos;
    Estado e;
    bool terminou = false;
    std::istringstream entrada(texto);
    std::string linha;
    std::vector<int64_t> valores;
    while (std::getline(entrada, linha)) {
        if (!linha.empty() && linha.back() == '\r') linha.pop_back();
        if (terminou) {
            if (linha.empty()) continue;
            return false;
        }
        std::size_t igual = linha.find('=');
        if (igual == std::string::npos) return false;
        std::string chave = linha.substr(0, igual);
        if (!Inteiros(linha.substr(igual + 1), valores)) return false;
        if (chave == "reducao") {
            if (valores.size() != 6) return false;
            Reducao r{static_cast<int>(valores[0]), valores[1], static_cast<int>(valores[2]),
                      valores[3], valores[4], valores[5]};
            if (valores[0] != static_cast<int64_t>(e.reducoes.size()) + 1 ||
                !NumeroDeDataValido(r.movimento) || valores[2] != r.movimento)
                return false;
            e.reducoes.push_back(r);
            continue;
        }
        if (chave == "fim") {
            if (valores.size() != 1 || valores[0] != static_cast<int64_t>(e.reducoes.size()))
                return false;
            terminou = true;
            continue;
        }
        bool conhecida = false;
        for (const char* k : kChaves) conhecida = conhecida || chave == k;
        if (!conhecida || campos.count(chave)) return false;
        campos[chave] = valores;
    }
    if (!terminou || campos.size() != std::size(kChaves)) return false;

    auto um = [&](const char* chave, int64_t& destino) {
        const auto& v = campos[chave];
        if (v.size() != 1) return false;
        destino = v[0];
        return true;
    };
    int64_t formato = 0, crz = 0, verao = 0, movimento = 0, ultimaZ = 0, primeiraLX = 0;
    if (!um("formato", formato) || formato != kFormatoEstado) return false;
    if (!um("coo", e.coo) || !um("ccf", e.ccf) || !um("crz", crz) ||
        !um("grande_total", e.grandeTotal) || !um("desvio_relogio", e.desvioRelogio) ||
        !um("horario_verao", verao) || !um("dia_movimento", movimento) ||
        !um("dia_ultima_z", ultimaZ) || !um("dia_primeira_lx", primeiraLX))
        return false;
    if (e.coo < 0 || e.ccf < 0 || e.grandeTotal < 0 || (verao != 0 && verao != 1) ||
        crz != static_cast<int64_t>(e.reducoes.size()) || !DiaOuZero(movimento) ||
        !DiaOuZero(ultimaZ) || !DiaOuZero(primeiraLX))
        return false;
    e.crz = static_cast<int>(crz);
    e.horarioVerao = verao == 1;
    e.diaMovimento = static_cast<int>(movimento);
    e.diaUltimaZ = static_cast<int>(ultimaZ);
    e.diaPrimeiraLX = static_cast<int>(primeiraLX);

    const auto& totais = campos["totais_dia"];
    if (totais.size() != kTributos) return false;
    for (std::size_t i = 0; i < kTributos; ++i) {
        if (totais[i] < 0) return false;
        e.totaisDia[i] = totais[i];
    }
    const auto& cupom = campos["cupom"];
    if (cupom.size() != 4 || (cupom[0] != 0 && cupom[0] != 1) || cupom[1] < 0 || cupom[1] > 999 ||
        cupom[2] < 0 || cupom[3] < 0)
        return false;
    e.cupom = Cupom{cupom[0] == 1, static_cast<int>(cupom[1]), cupom[2], cupom[3]};
    const auto& leitura = campos["leitura"];
    if (leitura.size() != 5 || (leitura[0] != 0 && leitura[0] != 15 && leitura[0] != 16) ||
        leitura[1] < 0 || leitura[2] < 0 || leitura[3] < 0 || leitura[1] > 99999999 ||
        leitura[2] > 99999999 || leitura[3] > 1000000)
        return false;
    e.leitura = LeituraEmCurso{static_cast<int>(leitura[0]), static_cast<int>(leitura[1]),
                               static_cast<int>(leitura[2]), static_cast<int>(leitura[3]),
                               leitura[4]};
    saida = std::move(e);
    return true;
}

Carga CarregaEstado(const fs::path& arquivo, Estado& estado) {
    std::string texto;
    switch (LeArquivo(arquivo, texto)) {
        case Leitura::Ausente:
            estado = Estado{};
            return Carga::Nova;
        case Leitura::Falhou:
            return Carga::Ilegivel;
        case Leitura::Lido:
            break;
    }
    return Interpreta(texto, estado) ? Carga::Lida : Carga::Ilegivel;
}

bool SalvaEstado(const fs::path& arquivo, const Estado& estado) {
    std::error_code erro;
    fs::create_directories(arquivo.parent_path(), erro);
    return GravaAtomico(arquivo, Serializa(estado));
}

}  // namespace zubsim
