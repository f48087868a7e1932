// What a text typed by an operator becomes under the entry rules every
// window shares, and the 8-bit conversion at the windows' edge.
#include "regras_entrada.h"
#include "texto8.h"

#include <QTest>

using namespace tavorin;

class TextoTest : public QObject {
    Q_OBJECT

private slots:
    // "typed=becomes"; a text without "=" stays exactly as typed. One case
    // per branch and boundary of each rule.
    void regrasDeEntrada() {
        const std::pair<QString (*)(const QString&), QStringList> regras[] = {
            // Day first; a two-digit year is 2000-2029 or 1930-1999.
            {NormalizaData, {" 5/3/9 =05/03/09", "050309=05/03/09", "01012001=01/01/01", "29/2/00=29/02/00",
                             "29/02/1900", "31/04/09", "0/1/09", "12/31/09", "01/01/0000", "1/1/209", "5-3-09",
                             "0503091", "310409", "٥/٣/٩", ""}},
            // What the printer is sent for a date range.
            {DataSeisDigitos, {"01/01/00=010100", "5/3/2009=050309", "31/02/09"}},
            {NormalizaHora, {"9:5=09:05:00", " 14:30:15 =14:30:15", "14=14:00:00", "0905=09:05:00",
                             "235959=23:59:59", "930", "24:00", "12:60", "9:59:60", "014:30", "14:30:00:00", ""}},
            // A whole number of at least four digits; the first decimal after
            // a comma rounds half away from zero.
            {NormalizaNumero, {"7=0007", " +00007 =0007", "-7=-0007", "-0,4=0000", "2,4999=0002", "-2,5=-0003",
                               "9999,5=10000", ",5=0001",
                               "123456789012345678901234567890=123456789012345678901234567890",
                               "1.5", "1,2,3", "٣", ""}},
        };
        for (const auto& [regra, casos] : regras)
            for (const QString& caso : casos) {
                const QString digitado = caso.section('=', 0, 0);
                const QString esperado = caso.contains('=') ? caso.section('=', 1) : digitado;
                QCOMPARE(digitado + " -> " + regra(digitado), digitado + " -> " + esperado);
            }
    }

    // Every byte shows as one character of Windows-1252 and goes back as
    // itself; a character the code page lacks goes as one "?".
    void windows1252() {
        std::string todos;
        for (int c = 0; c < 256; ++c) todos.push_back(static_cast<char>(c));
        QCOMPARE(DoDriver(todos).size(), 256);
        QVERIFY(ParaDriver(DoDriver(todos)) == todos);
        QCOMPARE(DoDriver("\xC7\x80\x93\x85"), QStringLiteral("Ç€“…"));
        QVERIFY(ParaDriver(QString::fromUtf8("a→b 日 x\xF0\x9F\x98\x80y")) == "a?b ? x?y");
    }
};

QTEST_MAIN(TextoTest)
#include "texto_tests.moc"
