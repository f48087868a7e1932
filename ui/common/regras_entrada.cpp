#include "regras_entrada.h"

#include <QStringList>

#include <optional>

namespace tavorin {

namespace {

struct Data {
    int dia, mes, ano;
};

bool SoDigitos(const QString& texto) {
    if (texto.isEmpty()) return false;
    for (QChar c : texto)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
    return true;
}

bool Bissexto(int ano) { return (ano % 4 == 0 && ano % 100 != 0) || ano % 400 == 0; }

int DiasNoMes(int mes, int ano) {
    static const int dias[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return mes == 2 && Bissexto(ano) ? 29 : dias[mes - 1];
}

// The year a one- or two-digit year stands for.
int AnoCompleto(int ano, int digitos) { return digitos <= 2 ? (ano < 30 ? 2000 + ano : 1900 + ano) : ano; }

std::optional<Data> Valida(int dia, int mes, int ano) {
    if (mes < 1 || mes > 12 || ano < 1 || dia < 1 || dia > DiasNoMes(mes, ano)) return std::nullopt;
    return Data{dia, mes, ano};
}

std::optional<Data> LeData(const QString& digitado) {
    const QString texto = digitado.trimmed();
    if (SoDigitos(texto) && (texto.size() == 6 || texto.size() == 8)) {
        const int digitosAno = texto.size() - 4;
        return Valida(texto.left(2).toInt(), texto.mid(2, 2).toInt(),
                      AnoCompleto(texto.mid(4).toInt(), digitosAno));
    }
    const QStringList partes = texto.split(QLatin1Char('/'));
    if (partes.size() != 3) return std::nullopt;
    const QString &dia = partes[0], &mes = partes[1], &ano = partes[2];
    if (!SoDigitos(dia) || !SoDigitos(mes) || !SoDigitos(ano)) return std::nullopt;
    if (dia.size() > 2 || mes.size() > 2 || !(ano.size() <= 2 || ano.size() == 4)) return std::nullopt;
    return Valida(dia.toInt(), mes.toInt(), AnoCompleto(ano.toInt(), ano.size()));
}

QString DoisDigitos(int valor) { return QString::number(valor % 100).rightJustified(2, QLatin1Char('0')); }

}  // namespace

QString NormalizaData(const QString& texto) {
    const auto data = LeData(texto);
    if (!data) return texto;
    return DoisDigitos(data->dia) + QLatin1Char('/') + DoisDigitos(data->mes) + QLatin1Char('/') +
           DoisDigitos(data->ano);
}

QString DataSeisDigitos(const QString& texto) {
    const auto data = LeData(texto);
    if (!data) return texto;
    return DoisDigitos(data->dia) + DoisDigitos(data->mes) + DoisDigitos(data->ano);
}

QString NormalizaHora(const QString& digitado) {
    const QString texto = digitado.trimmed();
    QStringList partes;
    if (SoDigitos(texto) && (texto.size() == 2 || texto.size() == 4 || texto.size() == 6)) {
        for (int i = 0; i < texto.size(); i += 2) partes << texto.mid(i, 2);
    } else {
        partes = texto.split(QLatin1Char(':'));
        if (partes.size() < 2 || partes.size() > 3) return digitado;
        for (const QString& parte : partes)
            if (!SoDigitos(parte) || parte.size() > 2) return digitado;
    }
    while (partes.size() < 3) partes << QStringLiteral("00");
    const int hora = partes[0].toInt(), minuto = partes[1].toInt(), segundo = partes[2].toInt();
    if (hora > 23 || minuto > 59 || segundo > 59) return digitado;
    return DoisDigitos(hora) + QLatin1Char(':') + DoisDigitos(minuto) + QLatin1Char(':') + DoisDigitos(segundo);
}

QString NormalizaNumero(const QString& digitado) {
    QString texto = digitado.trimmed();
    bool negativo = false;
    if (texto.startsWith(QLatin1Char('-')) || texto.startsWith(QLatin1Char('+'))) {
        negativo = texto.startsWith(QLatin1Char('-'));
        texto.remove(0, 1);
    }
    QString inteiro = texto, fracao;
    const int separador = texto.indexOf(QLatin1Char(','));
    if (separador >= 0) {
        inteiro = texto.left(separador);
        fracao = texto.mid(separador + 1);
        if (!SoDigitos(fracao)) return digitado;
        if (inteiro.isEmpty()) inteiro = QStringLiteral("0");
    }
    if (!SoDigitos(inteiro)) return digitado;

    // Whole digits as text, so a number of any length is kept exactly.
    while (inteiro.size() > 1 && inteiro.startsWith(QLatin1Char('0'))) inteiro.remove(0, 1);
    if (!fracao.isEmpty() && fracao[0] >= QLatin1Char('5')) {
        int i = inteiro.size() - 1;
        for (; i >= 0 && inteiro[i] == QLatin1Char('9'); --i) inteiro[i] = QLatin1Char('0');
        if (i < 0)
            inteiro.prepend(QLatin1Char('1'));
        else
            inteiro[i] = QChar(inteiro[i].unicode() + 1);
    }
    if (inteiro == QLatin1String("0")) negativo = false;
    return (negativo ? QStringLiteral("-") : QString()) + inteiro.rightJustified(4, QLatin1Char('0'));
}

}  // namespace tavorin
