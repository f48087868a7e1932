#include "calendario.h"

#include "calendario_civil.h"

#include <ctime>

namespace zubsim {

namespace {

int64_t DivisaoPiso(int64_t a, int64_t b) {
    int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

}  // namespace

bool HoraValida(int hora, int minuto, int segundo) {
    return hora >= 0 && hora < 24 && minuto >= 0 && minuto < 60 && segundo >= 0 && segundo < 60;
}

// Civil-from-days and days-from-civil on 400-year eras (March-based years).
int64_t DiasDesdeEpoca(const Data& data) {
    int64_t ano = data.ano - (data.mes <= 2 ? 1 : 0);
    int64_t era = DivisaoPiso(ano, 400);
    int64_t anoDaEra = ano - era * 400;
    int64_t mes = data.mes;
    int64_t diaDoAno = (153 * (mes > 2 ? mes - 3 : mes + 9) + 2) / 5 + data.dia - 1;
    int64_t diaDaEra = anoDaEra * 365 + anoDaEra / 4 - anoDaEra / 100 + diaDoAno;
    return era * 146097 + diaDaEra - 719468;
}

Data DataDosDias(int64_t dias) {
    dias += 719468;
    int64_t era = DivisaoPiso(dias, 146097);
    int64_t diaDaEra = dias - era * 146097;
    int64_t anoDaEra = (diaDaEra - diaDaEra / 1460 + diaDaEra / 36524 - diaDaEra / 146096) / 365;
    int64_t diaDoAno = diaDaEra - (365 * anoDaEra + anoDaEra / 4 - anoDaEra / 100);
    int64_t mp = (5 * diaDoAno + 2) / 153;
    Data data;
    data.dia = static_cast<int>(diaDoAno - (153 * mp + 2) / 5 + 1);
    data.mes = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    data.ano = static_cast<int>(anoDaEra + era * 400 + (data.mes <= 2 ? 1 : 0));
    return data;
}

int64_t Segundos(const Momento& momento) {
    return DiasDesdeEpoca(momento.data) * 86400 + momento.hora * 3600 + momento.minuto * 60 +
           momento.segundo;
}

Momento MomentoDe(int64_t segundos) {
    int64_t dias = DivisaoPiso(segundos, 86400);
    int64_t resto = segundos - dias * 86400;
    Momento momento;
    momento.data = DataDosDias(dias);
    momento.hora = static_cast<int>(resto / 3600);
    momento.minuto = static_cast<int>(resto / 60 % 60);
    momento.segundo = static_cast<int>(resto % 60);
    return momento;
}

int NumeroDaData(const Data& data) { return data.ano * 10000 + data.mes * 100 + data.dia; }

Data DataDoNumero(int numero) { return Data{numero / 10000, numero / 100 % 100, numero % 100}; }

bool NumeroDeDataValido(int numero) {
    Data data = DataDoNumero(numero);
    return numero > 0 && comum::DataValida(data);
}

int64_t AgoraNoHost() {
    std::time_t agora = std::time(nullptr);
    const std::tm local = comum::HoraLocal(agora);
    Momento momento;
    momento.data = Data{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
    momento.hora = local.tm_hour;
    momento.minuto = local.tm_min;
    // A leap second (tm_sec 60) counts as the last second of its minute.
    momento.segundo = local.tm_sec > 59 ? 59 : local.tm_sec;
    return Segundos(momento);
}

}  // namespace zubsim
