// Small text helpers: fixed-width digits, money in the Brazilian form and
// the paper's column layout.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "calendario.h"

namespace zubsim {

// Characters on one line of the paper roll.
inline constexpr std::size_t kColunas = 48;

// The last `largura` digits of a non-negative value, zeros in front.
std::string Digitos(int64_t valor, std::size_t largura);

// True when `texto` has `tamanho` characters from `posicao` (from 0) and
// all of them are ASCII digits.
bool SaoDigitos(const std::string& texto, std::size_t posicao, std::size_t tamanho);

// The digits at `posicao` (from 0) as a number; call SaoDigitos first.
int64_t Numero(const std::string& texto, std::size_t posicao, std::size_t tamanho);

// Centavos as "1.234,56" (two decimals, dot between thousands).
std::string Dinheiro(int64_t centavos);

// Quantity in thousandths as "1,000".
std::string Quantidade(int64_t milesimos);

// "dd/mm/yy" or, with `anoLongo`, "dd/mm/yyyy".
std::string TextoData(const Data& data, bool anoLongo);
// "hh:mm:ss".
std::string TextoHora(const Momento& momento);

// `esquerda` and `direita` on one paper line, blanks between them.
std::string Coluna(const std::string& esquerda, const std::string& direita);
// Centred on a paper line.
std::string Centro(const std::string& texto);

// Length in characters of UTF-8 text.
std::size_t Largura(const std::string& utf8);

}  // namespace zubsim
