#include "estado.h"

#include <charconv>
#include <iterator>
#include <map>
#include <sstream>
#include <system_error>

#include <zlib.h>

#include "arquivo.h"
#include "arquivo_atomico.h"
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

// 0 for a missing file.
uint64_t Tamanho(const fs::path& arquivo) {
    std::error_code erro;
    const auto tamanho = fs::file_size(arquivo, erro);
    return erro ? 0 : tamanho;
}

bool Entre(int64_t valor, int64_t minimo, int64_t maximo) { return valor >= minimo && valor <= maximo; }

uint32_t Crc(uint32_t crc, const char* bytes, std::size_t tamanho) {
    return static_cast<uint32_t>(crc32_z(crc, reinterpret_cast<const Bytef*>(bytes), tamanho));
}

std::string Hexa(uint32_t valor) {
    static const char kDigitos[] = "0123456789abcdef";
    std::string texto(8, '0');
    for (int i = 7; i >= 0; --i, valor >>= 4) texto[static_cast<std::size_t>(i)] = kDigitos[valor & 15];
    return texto;
}

bool RegistroValido(const Reducao& r, std::size_t indice) {
    return r.crz == static_cast<int64_t>(indice) + 1 && Entre(r.coo, 0, kLimiteContador) &&
           NumeroDeDataValido(r.movimento) && Entre(r.emissao, -kLimiteSegundos, kLimiteSegundos) &&
           Entre(r.vendaBruta, 0, kLimiteTotal) && Entre(r.grandeTotal, 0, kLimiteTotal);
}

// Everything but the records themselves.
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

bool Valido(const Estado& e, std::size_t desde) {
    if (!CamposValidos(e) || e.crz != static_cast<int64_t>(e.reducoes.size())) return false;
    for (std::size_t i = desde; i < e.reducoes.size(); ++i)
        if (!RegistroValido(e.reducoes[i], i)) return false;
    return true;
}

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

Carga CarregaEstado(const fs::path& pasta, Gravado& gravado) {
    std::string texto;
    switch (LeArquivo(pasta / kArquivoEstado, texto)) {
        case Leitura::Ausente: {
            // A new printer has no fiscal memory yet. One that has records
            // but lost its state (or whose state is a link to nothing) is
            // damaged: starting afresh would cut the fiscal memory at the
            // first Redução Z.
            std::error_code erro;
            const fs::file_type estado = fs::symlink_status(pasta / kArquivoEstado, erro).type();
            const fs::file_type memoria = fs::symlink_status(pasta / kArquivoMemoria, erro).type();
            const bool semMemoria = memoria == fs::file_type::not_found ||
                                    (memoria == fs::file_type::regular && Tamanho(pasta / kArquivoMemoria) == 0);
            if (estado != fs::file_type::not_found || !semMemoria) return Carga::Ilegivel;
            gravado = Gravado{};
            return Carga::Nova;
        }
        case Leitura::Falhou:
            return Carga::Ilegivel;
        case Leitura::Lido:
            break;
    }
    // Unchanged since this process last saw it: the fiscal memory behind
    // it is the one already in memory.
    // (A fiscal memory file cut meanwhile is read again and refused.)
    if (!gravado.texto.empty() && texto == gravado.texto && Tamanho(pasta / kArquivoMemoria) == gravado.tamanhoMemoria)
        return Carga::Lida;
    Gravado lido;
    if (!Interpreta(texto, lido.estado, lido.memoria)) return Carga::Ilegivel;
    std::string memoria;
    const bool temMemoria = lido.memoria.registros > 0 || lido.memoria.bytes > 0;
    if ((temMemoria && LeArquivo(pasta / kArquivoMemoria, memoria) != Leitura::Lido) ||
        !InterpretaMemoria(memoria, lido.memoria, lido.estado))
        return Carga::Ilegivel;
    lido.texto = std::move(texto);
    lido.tamanhoMemoria = Tamanho(pasta / kArquivoMemoria);
    gravado = std::move(lido);
    return Carga::Lida;
}

namespace {

// "leitura=tipo inicio fim proximo emissao", padded to one length so that
// each rewrite covers the last.
constexpr std::size_t kTamanhoPosicao = 80;

std::string TextoDaPosicao(const LeituraEmCurso& l) {
    std::string texto = "leitura=" + Junta({l.tipo, l.inicio, l.fim, l.proximo, l.emissao});
    texto.resize(kTamanhoPosicao - 1, ' ');
    return texto + '\n';
}

}  // namespace

int PosicaoGuardada(const fs::path& pasta, const LeituraEmCurso& leitura) {
    // Read at every command while a reading goes on: no more than its one
    // length and a byte, to tell a longer one.
    comum::Arquivo arquivo(pasta / kArquivoLeitura, comum::Abertura::Le);
    std::string texto;
    if (!arquivo.Regular() || !arquivo.Le(texto, kTamanhoPosicao + 1) || texto.size() != kTamanhoPosicao) return -1;
    std::istringstream campos(texto.substr(8));
    LeituraEmCurso guardada;
    if (texto.compare(0, 8, "leitura=") != 0 ||
        !(campos >> guardada.tipo >> guardada.inicio >> guardada.fim >> guardada.proximo >> guardada.emissao))
        return -1;
    const bool mesma = guardada.tipo == leitura.tipo && guardada.inicio == leitura.inicio &&
                       guardada.fim == leitura.fim && guardada.emissao == leitura.emissao;
    return mesma && Entre(guardada.proximo, 0, 1000000) ? guardada.proximo : -1;
}

bool GuardaPosicao(const fs::path& pasta, const LeituraEmCurso& leitura) {
    return SobrescreveNoLugar(pasta / kArquivoLeitura, TextoDaPosicao(leitura));
}

bool SalvaEstado(const fs::path& pasta, bool duravel, Gravado& gravado) {
    const Estado& estado = gravado.estado;
    std::error_code erro;
    fs::create_directories(pasta, erro);
    // What a process killed while saving left behind.
    comum::RemoveAbandonados(pasta / kArquivoEstado);
    Memoria memoria = gravado.memoria;
    if (estado.reducoes.size() != memoria.registros) {
        // The fiscal memory only grows: the new records go after the bytes
        // the state vouches for (dropping what an interrupted save left).
        if (estado.reducoes.size() < memoria.registros) return false;
        std::string novos;
        for (std::size_t i = memoria.registros; i < estado.reducoes.size(); ++i)
            novos += LinhaDeReducao(estado.reducoes[i]);
        if (!AcrescentaDuravel(pasta / kArquivoMemoria, memoria.bytes, novos)) return false;
        memoria = Memoria{estado.reducoes.size(), memoria.bytes + novos.size(),
                          Crc(memoria.crc, novos.data(), novos.size())};
    }
    std::string texto = Serializa(estado, memoria);
    if (!comum::GravaAtomico(pasta / kArquivoEstado, texto, duravel)) return false;
    gravado.texto = std::move(texto);
    gravado.memoria = memoria;
    gravado.tamanhoMemoria = Tamanho(pasta / kArquivoMemoria);
    return true;
}

}  // namespace zubsim
