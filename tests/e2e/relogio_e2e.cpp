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
        // "abc" goes out cut short, 11 characters: the printer refuses it.
        Substitui(Caixa("NData"), QStringLiteral("abc"));
        Clique("SetClock");
        QCOMPARE(Texto("RespClock"), QStringLiteral("ERRO 02"));
        // Typed loosely; both boxes are rewritten before "Alterar" acts.
        Substitui(Caixa("NData"), QStringLiteral("25/12/2003"));
        Substitui(Caixa("NHora"), QStringLiteral("14:30"));
        Clique("SetClock");
        QVERIFY2(Texto("RespClock").startsWith(QStringLiteral("@+35")), qPrintable(Texto("RespClock")));
        QVERIFY2(Mostra(QStringLiteral("Horario Normal 25/12/03 14:30")), qPrintable(Texto("Text1")));

        Clique("EHV");
        QVERIFY2(Mostra(QStringLiteral("Horario de Verao 25/12/03 15:30")), qPrintable(Texto("Text1")));
        Clique("EHV");
        QCOMPARE(Texto("RespClock"), QStringLiteral("ERRO 10"));

        Clique("SHV");
        QVERIFY2(Mostra(QStringLiteral("Horario Normal 25/12/03 14:30")), qPrintable(Texto("Text1")));
        Clique("SHV");
        QCOMPARE(Texto("RespClock"), QStringLiteral("ERRO 11"));
    }
};

QTEST_MAIN(RelogioE2E)
#include "relogio_e2e.moc"
