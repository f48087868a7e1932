// Closing the main window ends the program whatever the coupon and clock
// windows are doing, and closes a port they left open, once.
#include "clock.h"
#include "cupom.h"
#include "driver.h"
#include "operador.h"

#include <QPointer>
#include <QTimer>

using namespace tavorin;
using namespace tavorin::teste;

class EncerramentoTest : public TesteJanela {
    Q_OBJECT

public:
    EncerramentoTest() : TesteJanela(2) {}

private:
    void Prepara() override { driver->respostaPadrao = Atendimento{Status28(), 0}; }

    // One thing the operator did before closing the main window.
    void Passo(const QString& passo) {
        if (passo == "cupom") Clique("Command6");
        if (passo == "fechar") Clique("Command1", principal->JanelaCupom());
        if (passo == "x-cupom") principal->JanelaCupom()->close();
        if (passo == "recusa") driver->respostaPadrao = Atendimento{Erro("06"), 0};
        if (passo == "relogio") {
            Clique("Command7");
            principal->JanelaRelogio()->Timer1_Timer();
        }
        if (passo == "x-relogio") principal->JanelaRelogio()->close();
        ApagaJanelasFechadas();
    }

private slots:
    void closingTheMainWindowEndsTheProgram_data() {
        QTest::addColumn<QString>("passos");
        QTest::addColumn<bool>("portaAberta");
        QTest::newRow("coupon shown") << "cupom" << true;
        QTest::newRow("coupon hidden by Fechar") << "cupom fechar" << false;
        QTest::newRow("coupon closed from its title bar") << "cupom x-cupom" << true;
        QTest::newRow("clock shown after a good tick") << "relogio" << true;
        QTest::newRow("clock shown, probe refused") << "recusa relogio" << false;
        QTest::newRow("clock closed from its title bar") << "relogio x-relogio" << true;
        QTest::newRow("both shown") << "cupom relogio" << true;
    }
    void closingTheMainWindowEndsTheProgram() {
        QFETCH(QString, passos);
        QFETCH(bool, portaAberta);
        for (const QString& passo : passos.split(' ')) Passo(passo);
        QCOMPARE(PortaAberta(), portaAberta ? 2 : -1);
        QPointer<Cupom> cupom = principal->JanelaCupom();
        QPointer<Clock> relogio = principal->JanelaRelogio();
        driver->Limpa();

        // The operator closes the main window while the program runs; a
        // program that does not end is stopped after ten seconds.
        QTimer::singleShot(0, principal.get(), [&] { principal->close(); });
        QTimer::singleShot(10000, principal.get(), [] { QCoreApplication::exit(99); });
        QCOMPARE(QApplication::exec(), 0);

        const Chamadas esperado = portaAberta ? Chamadas{ChFecha(2)} : Chamadas{};
        CONFERE(esperado);
        QCOMPARE(PortaAberta(), -1);
        for (QWidget* janela : QApplication::topLevelWidgets())
            QVERIFY2(!janela->isVisible(), qPrintable(janela->objectName()));
        // The main window takes the other windows with it, and nothing
        // more reaches the driver.
        principal.reset();
        QVERIFY(!cupom && !relogio);
        QTest::qWait(1100);
        CONFERE(esperado);
    }
};

QTEST_MAIN(EncerramentoTest)
#include "encerramento_tests.moc"
