// What the printer prints, as UTF-8 text for the paper roll, and the
// fiscal memory report that a reading prints or hands out block by block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "calendario.h"
#include "estado.h"

namespace zubsim {

// The header every document starts with: the printer's date and time and
// the document's COO.
std::string Cabecalho(const Momento& agora, int64_t coo, const std::string& titulo);

// Bodies of a Leitura X and of a Redução Z (the reduction just recorded,
// with the day's totals still in `estado`).
std::string CorpoLeituraX(const Estado& estado);
std::string CorpoReducaoZ(const Estado& estado, const Reducao& reducao);

const char* NomeDoPagamento(int forma);   // nullptr for an unknown form
const char* NomeDoTributo(std::size_t indice);

// The reading of the fiscal memory over a range, one report line per
// block. The lines are worked out on demand, so a block of a long
// reading costs no more than a short one.
class RelatorioMemoria {
public:
    RelatorioMemoria(const Estado& estado, const LeituraEmCurso& pedido);
    std::size_t Linhas() const;
    std::string Linha(std::size_t indice) const;   // UTF-8

private:
    static constexpr std::size_t kLinhasCabecalho = 3;
    static constexpr std::size_t kLinhasPorReducao = 3;
    const Estado& estado_;
    LeituraEmCurso pedido_;
    std::vector<std::size_t> selecionadas_;   // indices into estado_.reducoes
};

}  // namespace zubsim
