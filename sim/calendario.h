// Calendar arithmetic for the printer's clock. The printer keeps a wall
// clock with no time zone: a count of seconds since 01/01/1970 00:00:00
// of the proleptic Gregorian calendar, every day exactly 86400 seconds.
#pragma once

#include <cstdint>

#include "calendario_civil.h"

namespace zubsim {

using comum::Data;

struct Momento {
    Data data;
    int hora = 0;
    int minuto = 0;
    int segundo = 0;
};

bool HoraValida(int hora, int minuto, int segundo);

// Days since 01/01/1970 (negative before it).
int64_t DiasDesdeEpoca(const Data& data);
Data DataDosDias(int64_t dias);

int64_t Segundos(const Momento& momento);
Momento MomentoDe(int64_t segundos);

// The date as the number yyyymmdd (0 stands for "no date" in the state).
int NumeroDaData(const Data& data);
Data DataDoNumero(int numero);
bool NumeroDeDataValido(int numero);

// The host's local wall clock, in the same count.
int64_t AgoraNoHost();

}  // namespace zubsim
