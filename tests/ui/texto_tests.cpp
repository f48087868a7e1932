// The 8-bit conversion at the windows' edge.
#include "texto8.h"

#include <QTest>

using namespace tavorin;

class TextoTest : public QObject {
    Q_OBJECT

private slots:
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
