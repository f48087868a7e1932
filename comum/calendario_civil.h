// The Gregorian calendar's dates and rules and the host's local time, once
// for the whole program and the simulated printer.
#pragma once

#include <ctime>

namespace comum {

// A day, the year in full.
struct Data {
    int ano = 0, mes = 0, dia = 0;
    bool operator<(const Data& o) const {
        return ano != o.ano ? ano < o.ano : mes != o.mes ? mes < o.mes : dia < o.dia;
    }
};

bool Bissexto(int ano);
// 1 to 12; 29 for February of a leap year.
int DiasNoMes(int mes, int ano);
// A day the calendar has, in years 1 to 9999.
bool DataValida(const Data& data);
// A two-digit year as a fiscal printer means it: always in 2000-2099.
inline int AnoDoSeculo(int doisDigitos) { return 2000 + doisDigitos % 100; }
// A day a fiscal printer can hold: it keeps two digits of the year.
inline bool DataDoSeculo(const Data& data) { return data.ano >= 2000 && data.ano <= 2099 && DataValida(data); }

// `segundos` since the epoch as the host's local wall clock.
std::tm HoraLocal(std::time_t segundos);

}  // namespace comum
