#include "calendario_civil.h"

namespace comum {

bool Bissexto(int ano) { return (ano % 4 == 0 && ano % 100 != 0) || ano % 400 == 0; }

int DiasNoMes(int mes, int ano) {
    static const int dias[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return mes == 2 && Bissexto(ano) ? 29 : dias[mes - 1];
}

bool DataValida(const Data& data) {
    return data.ano >= 1 && data.ano <= 9999 && data.mes >= 1 && data.mes <= 12 && data.dia >= 1 &&
           data.dia <= DiasNoMes(data.mes, data.ano);
}

std::tm HoraLocal(std::time_t segundos) {
    std::tm local{};
#if defined(_WIN32)
    localtime_s(&local, &segundos);
#else
    localtime_r(&segundos, &local);
#endif
    return local;
}

}  // namespace comum
