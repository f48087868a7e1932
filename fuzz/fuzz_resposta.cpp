// The link's reading of the answer: a driver that writes the input as
// RespZub.txt, then EnviaComando and what the windows take from the answer.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ambiente_teste.h"
#include "arquivo_resposta.h"
#include "fake_driver.h"
#include "link.h"

namespace {

// What failed and on which line, then the crash that libFuzzer reports.
#define Exige(condicao) \
    ((condicao) ? void() : (std::fprintf(stderr, "%s:%d: %s\n", __FILE__, __LINE__, #condicao), std::abort()))

// Made once the fuzzer starts, never before the link's own state.
tavorin::teste::FakeDriver* driver;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static const tavorin::teste::DiretorioTemporario pasta("fuzz-resposta", true);
    static tavorin::teste::FakeDriver fake;
    driver = &fake;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dados, std::size_t tamanho) {
    const std::string resposta(reinterpret_cast<const char*>(dados), tamanho);
    driver->respostaPadrao = {resposta, 0, true};
    driver->Limpa();
    tavorin::EnviaComando(1, 10, ".28");
    // The first line, bytes as they were, up to the first CR or LF, and
    // never more than the link reads of an answer.
    const std::string& linha = tavorin::Resposta;
    Exige(resposta.compare(0, linha.size(), linha) == 0);
    Exige(linha.size() == tamanho || linha.size() == tavorin::kMaxResposta || resposta[linha.size()] == '\r' ||
          resposta[linha.size()] == '\n');
    Exige(tavorin::Status == tavorin::Mid(linha, 2, 1));
    Exige(tavorin::TextoRelogio().size() <= 17 + 14);  // "Horario de Verao dd/mm/yy hh:mm"
    for (std::size_t posicao : {std::size_t{0}, std::size_t{1}, std::size_t{21}, std::size_t{124}, linha.size(), linha.size() + 1})
        Exige(tavorin::Mid(linha, posicao, 4).size() <= 4);
    return 0;
}
