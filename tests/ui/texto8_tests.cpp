// The 8-bit conversion at the windows' edge: what the printer sends is
// shown as Windows-1252 text, and what the operator types goes back as
// the same bytes.
#include "texto8.h"

#include <QTest>

using namespace tavorin;

class Texto8Test : public QObject {
    Q_OBJECT
private slots:
    void everyByteSurvivesTheRoundTrip() {
        std::string todos;
        for (int c = 0; c < 256; ++c) todos.push_back(static_cast<char>(c));
        const QString texto = DoDriver(todos);
        QCOMPARE(texto.size(), 256);
        QVERIFY(ParaDriver(texto) == todos);
    }

    void windows1252Letters_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("texto");
        QTest::newRow("Portuguese") << QByteArray("REDU\xC7\xC3O Z") << QStringLiteral("REDUÇÃO Z");
        QTest::newRow("euro and quotes") << QByteArray("\x80 \x93x\x94 \x85") << QStringLiteral("€ “x” …");
    }
    void windows1252Letters() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, texto);
        const std::string cru(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        QCOMPARE(DoDriver(cru), texto);
        QVERIFY(ParaDriver(texto) == cru);
    }

    void charactersOutsideTheCodePageBecomeQuestionMarks() {
        QVERIFY(ParaDriver(QStringLiteral("a→b 日")) == std::string("a?b ?"));
        // A character outside the Basic Multilingual Plane (two UTF-16
        // units) is one character, so one "?".
        const std::string emoji = ParaDriver(QString::fromUtf8("x\xF0\x9F\x98\x80y"));
        QVERIFY(emoji == std::string("x?y"));
    }
};

QTEST_MAIN(Texto8Test)
#include "texto8_tests.moc"
