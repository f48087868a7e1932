// The entry rules for dates, times and numbers, shared by every window:
// what a text typed by an operator becomes, and what stays as typed. One
// row per behaviour and boundary.
#include "regras_entrada.h"

#include <QTest>

using namespace tavorin;

namespace {

void L(const char* regra, const QString& digitado, const QString& esperado) {
    QTest::addRow("%s: \"%s\"", regra, qPrintable(digitado)) << QString::fromLatin1(regra) << digitado << esperado;
}
// A text the rule does not read comes back exactly as typed.
void Fica(const char* regra, const QString& digitado) { L(regra, digitado, digitado); }

}  // namespace

class RegrasEntradaTest : public QObject {
    Q_OBJECT

private slots:
    void regras_data() {
        QTest::addColumn<QString>("regra");
        QTest::addColumn<QString>("digitado");
        QTest::addColumn<QString>("esperado");
        // Day first, "/" between; a two-digit year is 2000-2029 or
        // 1930-1999, which only decides 29 February.
        L("data", " 5/3/9 ", "05/03/09");
        L("data", "050309", "05/03/09");
        L("data", "29/2/00", "29/02/00");
        Fica("data", "29/02/1900");
        Fica("data", "31/04/09");
        Fica("data", "0/1/09");
        Fica("data", "12/31/09");
        Fica("data", "01/01/0000");
        Fica("data", "5-3-09");
        Fica("data", "0503091");
        Fica("data", "310409");
        Fica("data", QStringLiteral("٥/٣/٩"));
        Fica("data", "");
        // What the printer is sent for a date range.
        L("seis", "01/01/00", "010100");
        L("seis", "5/3/2009", "050309");
        Fica("seis", "31/02/09");
        // Hours on the 24-hour clock.
        L("hora", "9:5", "09:05:00");
        L("hora", " 14:30:15 ", "14:30:15");
        L("hora", "14", "14:00:00");
        L("hora", "235959", "23:59:59");
        Fica("hora", "930");
        Fica("hora", "24:00");
        Fica("hora", "12:60");
        Fica("hora", "9:59:60");
        Fica("hora", "014:30");
        Fica("hora", "14:30:00:00");
        Fica("hora", "");
        // A whole number with at least four digits; the first decimal
        // after a comma rounds half away from zero.
        L("numero", "7", "0007");
        L("numero", " +00007 ", "0007");
        L("numero", "-7", "-0007");
        L("numero", "-0,4", "0000");
        L("numero", "2,4999", "0002");
        L("numero", "-2,5", "-0003");
        L("numero", "9999,5", "10000");
        L("numero", ",5", "0001");
        L("numero", "123456789012345678901234567890", "123456789012345678901234567890");
        Fica("numero", "1.5");
        Fica("numero", "1,2,3");
        Fica("numero", QStringLiteral("٣"));
        Fica("numero", "");
    }
    void regras() {
        QFETCH(QString, regra);
        QFETCH(QString, digitado);
        QFETCH(QString, esperado);
        const QString obtido = regra == QLatin1String("data")   ? NormalizaData(digitado)
                               : regra == QLatin1String("seis") ? DataSeisDigitos(digitado)
                               : regra == QLatin1String("hora") ? NormalizaHora(digitado)
                                                                : NormalizaNumero(digitado);
        QCOMPARE(obtido, esperado);
    }
};

QTEST_MAIN(RegrasEntradaTest)
#include "regras_entrada_tests.moc"
