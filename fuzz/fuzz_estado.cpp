// The state file reader: one input is a state file and, after a line
// "--memoria--", its fiscal memory file. What the reader accepts must be
// valid, must survive the commands that do arithmetic on it, and what they
// save must read back.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "ambiente.h"
#include "ambiente_teste.h"
#include "estado.h"
#include "impressora.h"

#include <zlib.h>

namespace {

namespace fs = std::filesystem;
using namespace zubsim;

fs::path pasta;

// What failed and on which line, then the crash that libFuzzer reports.
#define Exige(condicao) \
    ((condicao) ? void() : (std::fprintf(stderr, "%s:%d: %s\n", __FILE__, __LINE__, #condicao), std::abort()))

void Grava(const fs::path& arquivo, const std::string& bytes) {
    std::ofstream(arquivo, std::ios::binary) << bytes;
}

uint32_t Crc(const std::string& bytes) {
    return static_cast<uint32_t>(crc32_z(0, reinterpret_cast<const Bytef*>(bytes.data()), bytes.size()));
}

// A mutated state would almost never pass its checksums: they are made
// anew (the fiscal memory's length and CRC-32, then the file's), so the
// values behind them get explored. Format 1 has none.
std::string Sela(std::string texto, const std::string& registros) {
    const std::size_t memoria = texto.find("\nmemoria="), crc = texto.rfind("crc32=");
    if (crc == std::string::npos || (crc > 0 && texto[crc - 1] != '\n')) return texto;
    texto.resize(crc);
    if (memoria != std::string::npos && memoria < crc) {
        const std::size_t inicio = memoria + 9, fim = texto.find_first_of(" \n", inicio);
        texto.replace(inicio, texto.find('\n', inicio) - inicio,
                      texto.substr(inicio, fim - inicio) + " " + std::to_string(registros.size()) + " " +
                          std::to_string(Crc(registros)));
    }
    char linha[24];
    std::snprintf(linha, sizeof linha, "crc32=%08x\n", static_cast<unsigned>(Crc(texto)));
    return texto + linha;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static const tavorin::teste::DiretorioTemporario trabalho("fuzz-estado", true);
    pasta = trabalho.Caminho();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dados, std::size_t tamanho) {
    if (tamanho > 65536) return 0;
    const std::string entrada(reinterpret_cast<const char*>(dados), tamanho);
    static const std::string kSeparador = "--memoria--\n";
    const std::size_t corte = entrada.find(kSeparador);
    const std::string registros = corte == std::string::npos ? "" : entrada.substr(corte + kSeparador.size());
    const std::string texto = Sela(entrada.substr(0, corte), registros);

    Estado estado;
    Memoria memoria;
    if (!Interpreta(texto, estado, memoria)) return 0;
    if (!InterpretaMemoria(registros, memoria, estado)) return 0;
    Exige(Valido(estado));

    Ambiente ambiente;
    ambiente.diretorio = pasta / "impressora";
    std::error_code erro;
    fs::remove_all(ambiente.diretorio, erro);
    fs::create_directories(ambiente.diretorio);
    Grava(ambiente.diretorio / kArquivoEstado, texto);
    Grava(ambiente.diretorio / kArquivoMemoria, registros);
    EsqueceEstado();
    const int64_t agora = 1709287200;   // 01/03/2024 10:00:00
    for (const char* comando :
         {".28", ".13", ".17", ".0112345678901239999999999999999            PRODUTO             UN  T01",
          ".1001999999999999", ".12", ".36S", ".14", ".1500009999#", ".++", ".1600010100311299", ".35235959311299"}) {
        std::string resposta;
        Exige(Executa(comando, ambiente, agora, [&](const std::string& linha) {
            resposta = linha;
            return true;
        }));
        Exige(resposta.size() > 22 && (resposta.size() != 128 || resposta.compare(20, 2, "06") != 0));
    }
    EsqueceEstado();
    Gravado lido;
    Exige(CarregaEstado(ambiente.diretorio, lido) == Carga::Lida && Valido(lido.estado));
    return 0;
}
