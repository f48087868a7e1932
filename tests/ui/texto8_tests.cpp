// The 8-bit conversion at the windows' edge: what the printer sends is
// shown as Windows-1252 text, and what the operator types goes back as
// the same bytes.
#include "texto8.h"

#include <QTest>

using namespace tavorin;

class Texto8Test : public QObject {
    Q_OBJECT

private slots:
    void windows1252() {
        std::string todos;
        for (int c = 0; c < 256; ++c) todos.push_back(static_cast<char>(c));
        QCOMPARE(DoDriver(todos).size(), 256);
        QVERIFY(ParaDriver(DoDriver(todos)) == todos);
        QCOMPARE(DoDriver("REDU\xC7\xC3O \x80 \x93x\x94 \x85"), QStringLiteral("REDUÇÃO € “x” …"));
        QVERIFY(ParaDriver(QStringLiteral("ação € “x”")) == "a\xE7\xE3o \x80 \x93x\x94");
        // One question mark per character outside the code page, a
        // character of two UTF-16 units included.
        QVERIFY(ParaDriver(QString::fromUtf8("a→b 日 x\xF0\x9F\x98\x80y")) == "a?b ? x?y");
    }
};

QTEST_MAIN(Texto8Test)
#include "texto8_tests.moc"
