// The simulated printer's command handling: one input is a session, one
// command a line, run on a new printer whose clock stands still. The
// first byte sets the tester's switches (bit 0 out of paper, bit 1 off
// line). Every answer must be a well-formed line, and whatever the session
// left must read back as a valid state.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "ambiente.h"
#include "ambiente_teste.h"
#include "estado.h"
#include "impressora.h"

namespace {

namespace fs = std::filesystem;
using namespace zubsim;

fs::path pasta;

// 01/03/2024 10:00:00 on the printer's wall clock.
constexpr int64_t kAgora = 1709287200;

// What failed and on which line, then the crash that libFuzzer reports.
#define Exige(condicao) \
    ((condicao) ? void() : (std::fprintf(stderr, "%s:%d: %s\n", __FILE__, __LINE__, #condicao), std::abort()))

std::string Roda(const std::string& comando, const Ambiente& ambiente) {
    std::string resposta;
    Exige(Executa(comando, ambiente, kAgora, [&](const std::string& linha) {
        resposta = linha;
        return true;
    }));
    if (std::getenv("FUZZ_MOSTRA")) std::fprintf(stderr, "%s -> %s\n", comando.c_str(), resposta.c_str());
    Exige(resposta.size() >= 3 && resposta[0] == '@');
    if (resposta[1] == '+' && resposta.back() == '}') {
        Exige(resposta.find('}') == resposta.size() - 1 && resposta.find_first_of("\r\n") == std::string::npos);
    } else {
        Exige(resposta.size() == 128);
        for (char c : resposta) Exige(c >= 0x20 && c < 0x7F && c != '}');
    }
    return resposta;
}

// Refused with "06": the state could not be read back.
bool Ilegivel(const std::string& resposta) { return resposta.size() == 128 && resposta.compare(20, 2, "06") == 0; }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static const tavorin::teste::DiretorioTemporario trabalho("fuzz-comandos", true);
    pasta = trabalho.Caminho();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dados, std::size_t tamanho) {
    if (tamanho == 0 || tamanho > 8192) return 0;
    const std::string entrada(reinterpret_cast<const char*>(dados) + 1, tamanho - 1);
    Ambiente ambiente;
    ambiente.semPapel = dados[0] & 1;
    ambiente.foraDeLinha = dados[0] & 2;
    ambiente.diretorio = pasta / "impressora";
    std::error_code erro;
    fs::remove_all(ambiente.diretorio, erro);
    EsqueceEstado();
    for (std::size_t inicio = 0; inicio <= entrada.size();) {
        std::size_t fim = entrada.find('\n', inicio);
        if (fim == std::string::npos) fim = entrada.size();
        Exige(!Ilegivel(Roda(entrada.substr(inicio, fim - inicio), ambiente)));
        inicio = fim + 1;
    }
    // Read back from the files alone.
    EsqueceEstado();
    Exige(!Ilegivel(Roda(".28", ambiente)));
    return 0;
}
