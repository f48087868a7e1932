// The state file's text and the fiscal memory file's lines.
#include "estado.h"

#include <charconv>
#include <iterator>
#include <map>
#include <sstream>
#include <system_error>

#include "estado_regras.h"

namespace zubsim {

namespace {

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

std::string Hexa(uint32_t valor) {
    static const char kDigitos[] = "0123456789abcdef";
    std::string texto(8, '0');
    for (int i = 7; i >= 0; --i, valor >>= 4) texto[static_cast<std::size_t>(i)] = kDigitos[valor & 15];
    return texto;
}

// "reducao=" and its six numbers.
bool LeRegistro(const std::vector<int64_t>& v, std::size_t indice, Reducao& r) {
    if (v.size() != 6 || !Entre(v[0], 0, kLimiteReducoes) || !Entre(v[2], 0, 99999999)) return false;
    r = Reducao{static_cast<int>(v[0]), v[1], static_cast<int>(v[2]), v[3], v[4], v[5]};
    return RegistroValido(r, indice);
}

// Splits "key=numbers" lines; `reducoes` gets the "reducao" lines in
// order, `campos` each other key once. False on anything malformed.
bool LeLinhas(const std::string& texto, std::map<std::string, std::vector<int64_t>>& campos,
              std::vector<Reducao>& reducoes) {
    std::istringstream entrada(texto);
    std::string linha;
    std::vector<int64_t> valores;
    while (std::getline(entrada, linha)) {
        if (!linha.empty() && linha.back() == '\r') linha.pop_back();
        std::size_t igual = linha.find('=');
        if (igual == std::string::npos || !Inteiros(linha.substr(igual + 1), valores)) return false;
        std::string chave = linha.substr(0, igual);
        if (chave == "reducao") {
            Reducao r;
            if (!LeRegistro(valores, reducoes.size(), r)) return false;
            reducoes.push_back(r);
        } else if (!campos.emplace(chave, valores).second) {
            return false;
        }
    }
    return true;
}


}  // namespace

std::string LinhaDeReducao(const Reducao& r) {
    return "reducao=" + Junta({r.crz, r.coo, r.movimento, r.emissao, r.vendaBruta, r.grandeTotal}) + "\n";
}

std::string Serializa(const Estado& e, const Memoria& memoria) {
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
    saida << "memoria="
          << Junta({static_cast<int64_t>(memoria.registros), static_cast<int64_t>(memoria.bytes), memoria.crc})
          << '\n';
    std::string texto = saida.str();
    return texto + "crc32=" + Hexa(Crc(0, texto.data(), texto.size())) + "\n";
}

bool Interpreta(const std::string& texto, Estado& saida, Memoria& memoria) {
    // Format 2 ends with the CRC-32 of all that comes before it; a file
    // without it is format 1, which carried no checksum, or a cut one.
    static const std::string kCrc = "crc32=";
    const std::size_t tamanhoCrc = kCrc.size() + 9;
    const bool comCrc = texto.size() >= tamanhoCrc && texto.back() == '\n' &&
                        texto.compare(texto.size() - tamanhoCrc, kCrc.size(), kCrc) == 0 &&
                        (texto.size() == tamanhoCrc || texto[texto.size() - tamanhoCrc - 1] == '\n');
    std::string corpo = texto;
    if (comCrc) {
        corpo.resize(texto.size() - tamanhoCrc);
        if (texto.compare(texto.size() - 9, 8, Hexa(Crc(0, corpo.data(), corpo.size()))) != 0) return false;
    }
    // Every key once, in any order; in format 1 the records ("reducao",
    // one per record, in order) and "fim", their count, which must close
    // the file: a file cut short or edited into nonsense is refused whole.
    std::map<std::string, std::vector<int64_t>> campos;
    Estado e;
    if (!LeLinhas(corpo, campos, e.reducoes)) return false;
    const std::size_t ultima = corpo.rfind('\n', corpo.size() >= 2 ? corpo.size() - 2 : 0);
    const bool terminaComFim = corpo.compare(ultima == std::string::npos ? 0 : ultima + 1, 4, "fim=") == 0;
    static const char* const kChaves[] = {"formato",         "coo",          "ccf",           "crz",
                                          "grande_total",    "desvio_relogio", "horario_verao", "dia_movimento",
                                          "dia_ultima_z",    "dia_primeira_lx", "totais_dia",   "cupom",
                                          "leitura"};
    const char* const kChaveDoFormato = comCrc ? "memoria" : "fim";
    if (campos.size() != std::size(kChaves) + 1 || !campos.count(kChaveDoFormato)) return false;
    for (const char* k : kChaves)
        if (!campos.count(k)) return false;

    auto um = [&](const char* chave, int64_t& destino) {
        const auto& v = campos[chave];
        if (v.size() != 1) return false;
        destino = v[0];
        return true;
    };
    int64_t formato = 0, crz = 0, verao = 0, movimento = 0, ultimaZ = 0, primeiraLX = 0;
    if (!um("formato", formato) || formato != (comCrc ? kFormatoEstado : 1)) return false;
    if (!um("coo", e.coo) || !um("ccf", e.ccf) || !um("crz", crz) ||
        !um("grande_total", e.grandeTotal) || !um("desvio_relogio", e.desvioRelogio) ||
        !um("horario_verao", verao) || !um("dia_movimento", movimento) ||
        !um("dia_ultima_z", ultimaZ) || !um("dia_primeira_lx", primeiraLX))
        return false;
    if ((verao != 0 && verao != 1) || !Entre(crz, 0, kLimiteReducoes) || !DiaOuZero(movimento) ||
        !DiaOuZero(ultimaZ) || !DiaOuZero(primeiraLX))
        return false;
    e.crz = static_cast<int>(crz);
    e.horarioVerao = verao == 1;
    e.diaMovimento = static_cast<int>(movimento);
    e.diaUltimaZ = static_cast<int>(ultimaZ);
    e.diaPrimeiraLX = static_cast<int>(primeiraLX);

    const auto& totais = campos["totais_dia"];
    if (totais.size() != kTributos) return false;
    for (std::size_t i = 0; i < kTributos; ++i) e.totaisDia[i] = totais[i];
    const auto& cupom = campos["cupom"];
    if (cupom.size() != 4 || (cupom[0] != 0 && cupom[0] != 1) || !Entre(cupom[1], 0, 999)) return false;
    e.cupom = Cupom{cupom[0] == 1, static_cast<int>(cupom[1]), cupom[2], cupom[3]};
    const auto& leitura = campos["leitura"];
    if (leitura.size() != 5 || !Entre(leitura[0], 0, 16) || !Entre(leitura[1], 0, 99999999) ||
        !Entre(leitura[2], 0, 99999999) || !Entre(leitura[3], 0, 1000000))
        return false;
    e.leitura = LeituraEmCurso{static_cast<int>(leitura[0]), static_cast<int>(leitura[1]),
                               static_cast<int>(leitura[2]), static_cast<int>(leitura[3]),
                               leitura[4]};
    if (!CamposValidos(e)) return false;

    Memoria m;
    if (comCrc) {
        const auto& v = campos["memoria"];
        if (!e.reducoes.empty() || v.size() != 3 || v[0] != crz || v[1] < 0 || !Entre(v[2], 0, UINT32_MAX))
            return false;
        m = Memoria{static_cast<std::size_t>(v[0]), static_cast<uint64_t>(v[1]), static_cast<uint32_t>(v[2])};
    } else {
        const auto& v = campos["fim"];
        if (!terminaComFim || v.size() != 1 || v[0] != crz || crz != static_cast<int64_t>(e.reducoes.size()))
            return false;
    }
    saida = std::move(e);
    memoria = m;
    return true;
}

bool InterpretaMemoria(const std::string& texto, const Memoria& memoria, Estado& estado) {
    // No fiscal memory behind the state: none yet, or format 1's own records.
    if (memoria.registros == 0 && memoria.bytes == 0) return true;
    if (texto.size() < memoria.bytes) return false;
    const std::size_t bytes = static_cast<std::size_t>(memoria.bytes);
    if (Crc(0, texto.data(), bytes) != memoria.crc || (bytes > 0 && texto[bytes - 1] != '\n')) return false;
    std::vector<Reducao> reducoes;
    std::vector<int64_t> valores;
    for (std::size_t inicio = 0; inicio < bytes;) {
        const std::size_t fim = texto.find('\n', inicio);
        static const std::string kChave = "reducao=";
        if (texto.compare(inicio, kChave.size(), kChave) != 0 ||
            !Inteiros(texto.substr(inicio + kChave.size(), fim - inicio - kChave.size()), valores))
            return false;
        Reducao r;
        if (reducoes.size() >= memoria.registros || !LeRegistro(valores, reducoes.size(), r)) return false;
        reducoes.push_back(r);
        inicio = fim + 1;
    }
    if (reducoes.size() != memoria.registros) return false;
    estado.reducoes = std::move(reducoes);
    return true;
}

}  // namespace zubsim
