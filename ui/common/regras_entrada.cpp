#include "regras_entrada.h"

namespace tavorin {

namespace {

QString Aplica(std::optional<std::string> (*regra)(const std::string&), const QString& texto) {
    const auto lido = regra(texto.trimmed().toStdString());
    return lido ? QString::fromStdString(*lido) : texto;
}

}  // namespace

QString NormalizaData(const QString& texto) { return Aplica(NormalizaData, texto); }

QString DataSeisDigitos(const QString& texto) { return Aplica(DataSeisDigitos, texto); }

QString NormalizaHora(const QString& texto) { return Aplica(NormalizaHora, texto); }

QString NormalizaNumero(const QString& texto) { return Aplica(NormalizaNumero, texto); }

}  // namespace tavorin
