// What the state's files share (sim/estado*.cpp only): the rules a state
// must keep and the few pieces of its text.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

#include "estado.h"

namespace zubsim {

bool Entre(int64_t valor, int64_t minimo, int64_t maximo);
// A date yyyymmdd, or 0.
bool DiaOuZero(int64_t valor);
// The record at `indice` of the fiscal memory.
bool RegistroValido(const Reducao& reducao, std::size_t indice);
// Everything but the records themselves.
bool CamposValidos(const Estado& estado);
// The values separated by single blanks.
std::string Junta(std::initializer_list<int64_t> valores);
// zlib's CRC-32 of `bytes`, going on from `crc`.
uint32_t Crc(uint32_t crc, const char* bytes, std::size_t tamanho);

}  // namespace zubsim
