// The entry rules for dates, times and numbers, shared by every window:
// what each text typed by an operator becomes, and what stays as typed.
#include "regras_entrada.h"

#include <QTest>

using namespace tavorin;

namespace {

void Linha(const char* nome, const QString& digitado, const QString& esperado) {
    QTest::newRow(nome) << digitado << esperado;
}

// A text the rule does not read comes back exactly as typed.
void Fica(const char* nome, const QString& digitado) { Linha(nome, digitado, digitado); }

void Colunas() {
    QTest::addColumn<QString>("digitado");
    QTest::addColumn<QString>("esperado");
}

}  // namespace

class RegrasEntradaTest : public QObject {
    Q_OBJECT

private slots:
    void normalizaData_data() {
        Colunas();
        Linha("d/m/y", "5/3/9", "05/03/09");
        Linha("already dd/mm/yy", "05/03/09", "05/03/09");
        Linha("four-digit year", "5/3/2009", "05/03/09");
        Linha("last century", "31/12/1999", "31/12/99");
        Linha("year 0", "1/1/0", "01/01/00");
        Linha("blanks around", "  5/3/9 ", "05/03/09");
        Linha("ddmmyy", "050309", "05/03/09");
        Linha("ddmmyyyy", "05032009", "05/03/09");
        Linha("last day of the year", "31/12/10", "31/12/10");
        Linha("30 April", "30/4/09", "30/04/09");
        // A two-digit year lies in 2000-2029 or 1930-1999; that decides
        // only whether 29 February exists.
        Linha("29 Feb 2000", "29/02/00", "29/02/00");
        Linha("29 Feb 2028", "29/2/28", "29/02/28");
        Fica("29 Feb 2029", "29/2/29");
        Fica("29 Feb 1930", "29/2/30");
        Linha("29 Feb 1996", "29/2/96", "29/02/96");
        Linha("29 Feb 2000, long", "29/02/2000", "29/02/00");
        Fica("29 Feb 1900", "29/02/1900");
        Fica("29 Feb 2100", "29/02/2100");
        Linha("29 Feb 2000, eight digits", "29022000", "29/02/00");
        Fica("29 Feb 1930, six digits", "290230");
        Fica("31 April", "31/04/09");
        Fica("day 0", "0/1/09");
        Fica("day 32", "32/1/09");
        Fica("month 0", "1/0/09");
        Fica("month 13", "1/13/09");
        Fica("month first", "12/31/09");
        Fica("year 0000", "01/01/0000");
        Fica("three-digit year", "05/03/009");
        Fica("five-digit year", "05/03/20090");
        Fica("three-digit day", "005/03/09");
        Fica("two fields", "5/3");
        Fica("four fields", "5/3/09/1");
        Fica("dashes", "5-3-09");
        Fica("points", "5.3.09");
        Fica("blank inside", "5 /3/9");
        Fica("sign", "+5/3/9");
        Fica("letters", "a/b/c");
        Fica("empty field", "5//09");
        Fica("seven digits", "0503091");
        Fica("four digits", "0503");
        Fica("six digits, not a date", "310409");
        Fica("other digits", QStringLiteral("٥/٣/٩"));
        Fica("empty", "");
        Fica("blanks only", "   ");
    }
    void normalizaData() {
        QFETCH(QString, digitado);
        QFETCH(QString, esperado);
        QCOMPARE(NormalizaData(digitado), esperado);
    }

    void dataSeisDigitos_data() {
        Colunas();
        Linha("start default", "01/01/00", "010100");
        Linha("end default", "30/12/10", "301210");
        Linha("short fields", "5/3/9", "050309");
        Linha("four-digit year", "31/12/1999", "311299");
        Linha("already six digits", "050309", "050309");
        Linha("eight digits", "05032009", "050309");
        Linha("blanks around", " 1/2/03 ", "010203");
        Fica("not a date", "31/02/09");
        Fica("letters", "abc");
        Fica("empty", "");
    }
    void dataSeisDigitos() {
        QFETCH(QString, digitado);
        QFETCH(QString, esperado);
        QCOMPARE(DataSeisDigitos(digitado), esperado);
        // The printer's six digits read back as the same date.
        if (digitado != esperado) QCOMPARE(NormalizaData(esperado), NormalizaData(digitado));
    }

    void normalizaHora_data() {
        Colunas();
        Linha("hh:mm", "14:30", "14:30:00");
        Linha("h:mm", "9:05", "09:05:00");
        Linha("h:m", "9:5", "09:05:00");
        Linha("hh:mm:ss", "14:30:15", "14:30:15");
        Linha("h:m:s", "1:2:3", "01:02:03");
        Linha("hh", "14", "14:00:00");
        Linha("hhmm", "1430", "14:30:00");
        Linha("hhmmss", "143015", "14:30:15");
        Linha("midnight", "00:00", "00:00:00");
        Linha("last second", "23:59:59", "23:59:59");
        Linha("blanks around", " 14:30 ", "14:30:00");
        Fica("one digit alone", "9");
        Fica("three digits", "930");
        Fica("five digits", "14305");
        Fica("seven digits", "1430151");
        Fica("hour 24", "24:00");
        Fica("hour 24, digits", "2400");
        Fica("minute 60", "12:60");
        Fica("second 60", "12:30:60");
        Fica("three-digit hour", "014:30");
        Fica("trailing colon", "14:30:");
        Fica("no hour", ":30");
        Fica("four fields", "14:30:00:00");
        Fica("h separator", "14h30");
        Fica("point", "14.30");
        Fica("sign", "-1:30");
        Fica("blank inside", "14: 30");
        Fica("empty", "");
    }
    void normalizaHora() {
        QFETCH(QString, digitado);
        QFETCH(QString, esperado);
        QCOMPARE(NormalizaHora(digitado), esperado);
    }

    void normalizaNumero_data() {
        Colunas();
        Linha("one digit", "7", "0007");
        Linha("three digits", "123", "0123");
        Linha("four digits", "1234", "1234");
        Linha("five digits", "12345", "12345");
        Linha("zero", "0", "0000");
        Linha("leading zeros dropped to four", "00007", "0007");
        Linha("negative", "-7", "-0007");
        Linha("plus sign", "+7", "0007");
        Linha("minus zero", "-0", "0000");
        Linha("blanks around", " 7 ", "0007");
        Linha("decimal comma, half up", "2,5", "0003");
        Linha("decimal comma, down", "2,4", "0002");
        Linha("negative half away from zero", "-2,5", "-0003");
        Linha("rounding carries", "9999,5", "10000");
        Linha("rounding carries through nines", "99,9", "0100");
        Linha("rounding after leading zeros", "0009,5", "0010");
        Linha("small negative is zero", "-0,4", "0000");
        Linha("no whole part", ",5", "0001");
        Linha("only the first decimal decides", "12,4999", "0012");
        Linha("longer than any machine integer", "123456789012345678901234567890",
              "123456789012345678901234567890");
        Fica("point is not a decimal", "1.5");
        Fica("thousands point", "1.000");
        Fica("exponent", "1e3");
        Fica("letters", "12a");
        Fica("hexadecimal", "&H10");
        Fica("sign alone", "-");
        Fica("plus alone", "+");
        Fica("comma alone", ",");
        Fica("two commas", "1,2,3");
        Fica("two signs", "--7");
        Fica("blank after sign", "- 7");
        Fica("blank inside", "1 000");
        Fica("other digits", QStringLiteral("٣"));
        Fica("empty", "");
        Fica("blanks only", "  ");
    }
    void normalizaNumero() {
        QFETCH(QString, digitado);
        QFETCH(QString, esperado);
        QCOMPARE(NormalizaNumero(digitado), esperado);
    }

    // Each rule leaves its own output as it is, so leaving a box twice
    // changes nothing the second time.
    void rulesAreStable_data() {
        QTest::addColumn<QString>("texto");
        for (const char* texto : {"5/3/9", "29/02/2000", "050309", "14:30", "9", "7", "-2,5", "12345", "abc", ""})
            QTest::newRow(texto) << QString::fromLatin1(texto);
    }
    void rulesAreStable() {
        QFETCH(QString, texto);
        const QString data = NormalizaData(texto), hora = NormalizaHora(texto), numero = NormalizaNumero(texto);
        QCOMPARE(NormalizaData(data), data);
        QCOMPARE(NormalizaHora(hora), hora);
        QCOMPARE(NormalizaNumero(numero), numero);
    }
};

QTEST_MAIN(RegrasEntradaTest)
#include "regras_entrada_tests.moc"
