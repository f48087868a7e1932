// The clock window on the real simulated printer: setting the printer's
// date and time, summer time, and the once-a-second display following them.
#include "clock.h"
#include "driver.h"
#include "link.h"
#include "operador.h"

using namespace tavorin;
using namespace tavorin::teste;

class RelogioE2E : public TesteJanela {
    Q_OBJECT

public:
    RelogioE2E() : TesteJanela(0, true) {}

private:
    QWidget* Janela() override { return principal->JanelaRelogio(); }
    void Prepara() override {
        PoeAmbiente("ZUBSIM_PORTA", "2");
        principal->Form_Load();
        Clique("Command7", principal.get());
        QVERIFY(Janela() && QTest::qWaitForWindowActive(Janela()));
    }
    // The display shows `texto` within a few ticks.
    bool Mostra(const QString& texto) {
        return QTest::qWaitFor([&] { return Texto("Text1") == texto; }, 4000);
    }

private slots:
    void setClockAndSummerTime() {
        // Typed loosely; both boxes are rewritten before "Alterar" acts.
        Substitui(Caixa("NData"), QStringLiteral("25/12/2003"));
        Substitui(Caixa("NHora"), QStringLiteral("14:30"));
        Clique("SetClock");
        QVERIFY2(Texto("RespClock").startsWith(QStringLiteral("@+35")), qPrintable(Texto("RespClock")));
        QVERIFY2(Mostra(QStringLiteral("Horario Normal 25/12/03 14:30")), qPrintable(Texto("Text1")));

        Clique("EHV");
        QVERIFY(Texto("RespClock").startsWith(QStringLiteral("@+36")));
        QVERIFY2(Mostra(QStringLiteral("Horario de Verao 25/12/03 15:30")), qPrintable(Texto("Text1")));
        Clique("EHV");
        QCOMPARE(Texto("RespClock"), QStringLiteral("ERRO 10"));
        // The main window's printer test reads the same clock.
        Clique("Command1", principal.get());
        QCOMPARE(Texto("Text2", principal.get()), QStringLiteral("Horario de Verao 25/12/03 15:30"));

        Clique("SHV");
        QVERIFY2(Mostra(QStringLiteral("Horario Normal 25/12/03 14:30")), qPrintable(Texto("Text1")));
        Clique("SHV");
        QCOMPARE(Texto("RespClock"), QStringLiteral("ERRO 11"));
    }

    // Texts that are not a date or time go out cut by position; the
    // printer refuses them, the window shows its code, the clock stays.
    void refusedSettings_data() {
        QTest::addColumn<QString>("data");
        QTest::addColumn<QString>("hora");
        QTest::addColumn<QString>("resultado");
        QTest::newRow("impossible date") << "31/02/03" << "14:30:00" << "ERRO 08";
        QTest::newRow("not a date: 11 characters") << "abc" << "14:30:00" << "ERRO 02";
    }
    void refusedSettings() {
        QFETCH(QString, data);
        QFETCH(QString, hora);
        QFETCH(QString, resultado);
        QVERIFY(QTest::qWaitFor([&] { return !Texto("Text1").isEmpty(); }, 4000));
        const QString antes = Texto("Text1");
        Substitui(Caixa("NData"), data);
        Substitui(Caixa("NHora"), hora);
        Clique("SetClock");
        QCOMPARE(Texto("RespClock"), resultado);
        QTest::qWait(1100);
        QCOMPARE(Texto("Text1").left(23), antes.left(23));
    }
};

QTEST_MAIN(RelogioE2E)
#include "relogio_e2e.moc"
