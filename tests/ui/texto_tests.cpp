// What a text typed by an operator becomes under the entry rules every
// window shares, and the 8-bit conversion at the windows' edge.
#include "regras_entrada.h"
#include "texto8.h"

#include <QTest>

using namespace tavorin;

class TextoTest : public QObject {
    Q_OBJECT

private slots:
    // "typed=becomes"; a text without "=" stays exactly as typed. The rules
    // themselves are tested without Qt; here, what the boxes add: non-ASCII
    // text through QString, and an unreadable text kept as typed.
    void regrasDeEntrada() {
        const std::pair<QString (*)(const QString&), QStringList> regras[] = {
            {NormalizaData, {" 5/3/9 =05/03/09", "٥/٣/٩", ""}},
            {DataSeisDigitos, {"5/3/2009=050309"}},
            {NormalizaHora, {"9:5=09:05:00", "24:00"}},
            {NormalizaNumero, {"7=0007", "٣"}},
        };
        for (const auto& [regra, casos] : regras)
            for (const QString& caso : casos) {
                const QString digitado = caso.section('=', 0, 0);
                const QString esperado = caso.contains('=') ? caso.section('=', 1) : digitado;
                QCOMPARE(digitado + " -> " + regra(digitado), digitado + " -> " + esperado);
            }
    }

    // Every byte shows as one character and goes back as itself; a
    // character the code page lacks, even outside the BMP, goes as one "?".
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
