// The Gregorian calendar's rules and the host's local time, once for the
// whole program and the simulated printer.
#pragma once

#include <ctime>

namespace comum {

bool Bissexto(int ano);
// 1 to 12; 29 for February of a leap year.
int DiasNoMes(int mes, int ano);
// A two-digit year as a fiscal printer means it: always in 2000-2099.
inline int AnoDoSeculo(int doisDigitos) { return 2000 + doisDigitos % 100; }

// `segundos` since the epoch as the host's local wall clock.
std::tm HoraLocal(std::time_t segundos);

}  // namespace comum
