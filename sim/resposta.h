// The printer's answer line and its error codes.
//
// Every answer but a reading block has the same frame, 128 characters:
//   1      "@", the start character
//   2      status: "+" accepted, "-" refused, "]" a reading has no more blocks
//   3-4    the command's code as received ("??" when there was none)
//   21-22  error code, "00" when accepted
//   24-63  on a refusal, the error's meaning (ASCII, no accents)
// and each command's own fields at their positions; unused positions are
// blanks. A block of a fiscal memory reading is instead
//   "@+", the block number in 4 digits (3-6), the block data from 7, "}".
#pragma once

#include <cstddef>
#include <string>

namespace zubsim {

inline constexpr std::size_t kTamanhoResposta = 128;
inline constexpr char kInicioResposta = '@';

enum class Erro {
    Nenhum = 0,
    ComandoDesconhecido = 1,
    FormatoInvalido = 2,
    CampoInvalido = 3,
    ForaDeLinha = 4,
    SemPapel = 5,
    EstadoIlegivel = 6,
    FalhaAoGravar = 7,
    DataHoraInvalida = 8,
    DataAnterior = 9,
    JaEmVerao = 10,
    NaoEstaEmVerao = 11,
    ReducaoPendente = 12,
    ReducaoJaEmitida = 13,
    CupomAberto = 14,
    CupomNaoAberto = 15,
    SemItens = 16,
    PagamentoInsuficiente = 17,
    ItemInvalido = 18,
    PagamentoInvalido = 19,
    PagamentoIniciado = 20,
    CupomJaPago = 21,
    IntervaloInvalido = 22,
    SemLeitura = 23,
    RegistradorInexistente = 24,
    MemoriaEsgotada = 25,
};

// The two-digit code at positions 21-22.
std::string CodigoErro(Erro erro);
// Short meaning shown in the answer line, plain ASCII.
const char* MensagemErro(Erro erro);

class Resposta {
public:
    // An accepted answer ("+" and "00"), or with `status` "]".
    explicit Resposta(const std::string& comando, char status = '+');

    // Writes `texto` from `posicao` (counted from 1) on.
    Resposta& Poe(std::size_t posicao, const std::string& texto);
    const std::string& Linha() const { return linha_; }

private:
    std::string linha_;
};

// A refusal of `comando` (the code is taken from it).
std::string Recusa(const std::string& comando, Erro erro);

// One block of a reading sent to the file.
std::string Bloco(int numero, const std::string& dados);

}  // namespace zubsim
