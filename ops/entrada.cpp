#include "entrada.h"

#include "calendario_civil.h"

#include <vector>

namespace tavorin {

namespace {

bool SoDigitos(const std::string& texto) {
    if (texto.empty()) return false;
    for (char c : texto)
        if (c < '0' || c > '9') return false;
    return true;
}

std::string Apara(const std::string& texto) {
    const char* brancos = " \t\n\v\f\r";
    const std::size_t inicio = texto.find_first_not_of(brancos);
    if (inicio == std::string::npos) return {};
    return texto.substr(inicio, texto.find_last_not_of(brancos) - inicio + 1);
}

std::vector<std::string> Separa(const std::string& texto, char separador) {
    std::vector<std::string> partes(1);
    for (char c : texto) {
        if (c == separador)
            partes.emplace_back();
        else
            partes.back().push_back(c);
    }
    return partes;
}

// Digits only, so it cannot fail; long runs are refused before this.
int Numero(const std::string& digitos) { return digitos.empty() ? 0 : std::stoi(digitos); }

// The year a one- or two-digit year stands for.
int AnoCompleto(int ano, std::size_t digitos) { return digitos <= 2 ? comum::AnoDoSeculo(ano) : ano; }

// A fiscal printer keeps two digits of the year, 2000-2099: a date outside
// them is none it can hold, and never another century's in disguise.
std::optional<Data> Valida(int dia, int mes, int ano) {
    const Data data{ano, mes, dia};
    if (!comum::DataDoSeculo(data)) return std::nullopt;
    return data;
}

std::string DoisDigitos(int valor) {
    valor %= 100;
    return std::string(1, static_cast<char>('0' + valor / 10)) + static_cast<char>('0' + valor % 10);
}

}  // namespace

std::optional<Data> LeData(const std::string& digitado) {
    const std::string texto = Apara(digitado);
    if (SoDigitos(texto) && (texto.size() == 6 || texto.size() == 8))
        return Valida(Numero(texto.substr(0, 2)), Numero(texto.substr(2, 2)),
                      AnoCompleto(Numero(texto.substr(4)), texto.size() - 4));
    const std::vector<std::string> partes = Separa(texto, '/');
    if (partes.size() != 3) return std::nullopt;
    const std::string &dia = partes[0], &mes = partes[1], &ano = partes[2];
    if (!SoDigitos(dia) || !SoDigitos(mes) || !SoDigitos(ano)) return std::nullopt;
    if (dia.size() > 2 || mes.size() > 2 || !(ano.size() <= 2 || ano.size() == 4)) return std::nullopt;
    return Valida(Numero(dia), Numero(mes), AnoCompleto(Numero(ano), ano.size()));
}

std::optional<std::string> NormalizaData(const std::string& texto) {
    const auto data = LeData(texto);
    if (!data) return std::nullopt;
    return DoisDigitos(data->dia) + '/' + DoisDigitos(data->mes) + '/' + DoisDigitos(data->ano);
}

std::optional<std::string> DataSeisDigitos(const std::string& texto) {
    const auto data = LeData(texto);
    if (!data) return std::nullopt;
    return DoisDigitos(data->dia) + DoisDigitos(data->mes) + DoisDigitos(data->ano);
}

std::optional<std::string> NormalizaHora(const std::string& digitado) {
    const std::string texto = Apara(digitado);
    std::vector<std::string> partes;
    if (SoDigitos(texto) && (texto.size() == 2 || texto.size() == 4 || texto.size() == 6)) {
        for (std::size_t i = 0; i < texto.size(); i += 2) partes.push_back(texto.substr(i, 2));
    } else {
        partes = Separa(texto, ':');
        if (partes.size() < 2 || partes.size() > 3) return std::nullopt;
        for (const std::string& parte : partes)
            if (!SoDigitos(parte) || parte.size() > 2) return std::nullopt;
    }
    while (partes.size() < 3) partes.push_back("00");
    const int hora = Numero(partes[0]), minuto = Numero(partes[1]), segundo = Numero(partes[2]);
    if (hora > 23 || minuto > 59 || segundo > 59) return std::nullopt;
    return DoisDigitos(hora) + ':' + DoisDigitos(minuto) + ':' + DoisDigitos(segundo);
}

std::optional<std::string> NormalizaNumero(const std::string& digitado) {
    std::string texto = Apara(digitado);
    bool negativo = false;
    if (!texto.empty() && (texto[0] == '-' || texto[0] == '+')) {
        negativo = texto[0] == '-';
        texto.erase(0, 1);
    }
    std::string inteiro = texto, fracao;
    const std::size_t separador = texto.find(',');
    if (separador != std::string::npos) {
        inteiro = texto.substr(0, separador);
        fracao = texto.substr(separador + 1);
        if (!SoDigitos(fracao)) return std::nullopt;
        if (inteiro.empty()) inteiro = "0";
    }
    if (!SoDigitos(inteiro)) return std::nullopt;

    // Whole digits as text, so a number of any length is kept exactly.
    const std::size_t zeros = inteiro.find_first_not_of('0');
    inteiro.erase(0, zeros == std::string::npos ? inteiro.size() - 1 : zeros);
    if (!fracao.empty() && fracao[0] >= '5') {
        std::size_t i = inteiro.size();
        for (; i > 0 && inteiro[i - 1] == '9'; --i) inteiro[i - 1] = '0';
        if (i == 0)
            inteiro.insert(0, 1, '1');
        else
            ++inteiro[i - 1];
    }
    if (inteiro == "0") negativo = false;
    if (inteiro.size() < 4) inteiro.insert(0, 4 - inteiro.size(), '0');
    return (negativo ? "-" : "") + inteiro;
}

}  // namespace tavorin
