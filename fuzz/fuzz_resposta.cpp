// The link's reading of the answer: a driver that writes the input as
// RespZub.txt, then EnviaComando and what the windows take from the answer.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "arquivo_resposta.h"
#include "driver.h"
#include "link.h"
#include "pasta.h"
#include "zub_dll3.h"

namespace {

// What failed and on which line, then the crash that libFuzzer reports.
#define Exige(condicao) \
    ((condicao) ? void() : (std::fprintf(stderr, "%s:%d: %s\n", __FILE__, __LINE__, #condicao), std::abort()))

class DriverDoFuzz : public tavorin::Driver {
public:
    std::string resposta;
    int16_t Abre(int16_t) override { return 0; }
    int16_t Fecha(int16_t) override { return 0; }
    int16_t TXRX(int16_t, int16_t, const char*) override {
        std::FILE* arquivo = std::fopen(tavorin::kArquivoResposta, "wb");
        if (!arquivo) return -3;
        std::fwrite(resposta.data(), 1, resposta.size(), arquivo);
        std::fclose(arquivo);
        return 0;
    }
};

DriverDoFuzz driver;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    tavorin::fuzz::PastaDeTrabalho("resposta");
    tavorin::InstalaDriver(&driver);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dados, std::size_t tamanho) {
    driver.resposta.assign(reinterpret_cast<const char*>(dados), tamanho);
    tavorin::EnviaComando(1, 10, ".28");
    // The first line, bytes as they were, up to the first CR or LF, and
    // never more than the link reads of an answer.
    const std::string& linha = tavorin::Resposta;
    Exige(driver.resposta.compare(0, linha.size(), linha) == 0);
    Exige(linha.size() == tamanho || linha.size() == tavorin::kMaxResposta || driver.resposta[linha.size()] == '\r' ||
          driver.resposta[linha.size()] == '\n');
    Exige(tavorin::Status == tavorin::Mid(linha, 2, 1));
    Exige(tavorin::TextoRelogio().size() <= 17 + 14);  // "Horario de Verao dd/mm/yy hh:mm"
    for (std::size_t posicao : {std::size_t{0}, std::size_t{1}, std::size_t{21}, std::size_t{124}, linha.size(), linha.size() + 1})
        Exige(tavorin::Mid(linha, posicao, 4).size() <= 4);
    return 0;
}
