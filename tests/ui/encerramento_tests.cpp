// Closing the main window ends the program whatever the coupon and clock
// windows are doing, and closes a port they left open, once.
#include "ambiente.h"
#include "clock.h"
#include "cupom.h"
#include "driver.h"
#include "fake_driver.h"
#include "form1.h"
#include "link.h"
#include "operador.h"

#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using namespace tavorin;
using namespace tavorin::teste;

namespace {

constexpr int16_t kPorta = 2;

std::string Status28(char status) {
    std::string linha(130, '0');
    linha[0] = '{';
    linha[1] = status;
    return linha;
}

}  // namespace

class EncerramentoTest : public QObject {
    Q_OBJECT

    std::unique_ptr<DiretorioTemporario> pasta;
    std::unique_ptr<FakeDriver> driver;

    using Preparo = std::function<void(Form1&)>;
    QHash<QString, Preparo> preparos;

    static void Clica(Form1& janela, const char* nome) { teste::Clica(Controle<QPushButton>(&janela, nome)); }
    static void Apaga() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

private slots:
    void initTestCase() {
        // What the operator did before closing the main window.
        preparos[QStringLiteral("coupon shown")] = [](Form1& j) { Clica(j, "Command6"); };
        preparos[QStringLiteral("coupon hidden by Fechar")] = [](Form1& j) {
            Clica(j, "Command6");
            teste::Clica(Controle<QPushButton>(j.JanelaCupom(), "Command1"));
        };
        preparos[QStringLiteral("coupon hidden, then a report closed the port")] = [](Form1& j) {
            Clica(j, "Command6");
            j.JanelaCupom()->hide();
            Clica(j, "Command4");
        };
        preparos[QStringLiteral("coupon closed from its title bar")] = [](Form1& j) {
            Clica(j, "Command6");
            j.JanelaCupom()->close();
            Apaga();
        };
        preparos[QStringLiteral("clock shown after a good tick")] = [](Form1& j) {
            Clica(j, "Command7");
            j.JanelaRelogio()->Timer1_Timer();
        };
        preparos[QStringLiteral("clock shown, probe refused")] = [this](Form1& j) {
            driver->respostaPadrao = Atendimento{Status28('-'), 0, {}};
            Clica(j, "Command7");
            j.JanelaRelogio()->Timer1_Timer();
        };
        preparos[QStringLiteral("clock closed from its title bar after a good tick")] = [](Form1& j) {
            Clica(j, "Command7");
            j.JanelaRelogio()->Timer1_Timer();
            j.JanelaRelogio()->close();
            Apaga();
        };
        preparos[QStringLiteral("both shown")] = [](Form1& j) {
            Clica(j, "Command6");
            Clica(j, "Command7");
            j.JanelaRelogio()->Timer1_Timer();
        };
    }

    void init() {
        pasta = std::make_unique<DiretorioTemporario>();
        driver = std::make_unique<FakeDriver>();
        driver->respostaPadrao = Atendimento{Status28('+'), 0, {}};
        Porta = kPorta;
        Resposta.clear();
        Status.clear();
    }
    void cleanup() {
        driver.reset();
        pasta.reset();
    }

    void closingTheMainWindowEndsTheProgram_data() {
        QTest::addColumn<QString>("preparo");
        QTest::addColumn<bool>("portaAberta");
        QTest::newRow("coupon shown") << "coupon shown" << true;
        QTest::newRow("coupon hidden by Fechar") << "coupon hidden by Fechar" << false;
        QTest::newRow("coupon hidden, port closed by a report")
            << "coupon hidden, then a report closed the port" << false;
        QTest::newRow("coupon closed from its title bar") << "coupon closed from its title bar" << true;
        QTest::newRow("clock shown after a good tick") << "clock shown after a good tick" << true;
        QTest::newRow("clock shown, probe refused") << "clock shown, probe refused" << false;
        QTest::newRow("clock closed from its title bar")
            << "clock closed from its title bar after a good tick" << true;
        QTest::newRow("both shown") << "both shown" << true;
    }
    void closingTheMainWindowEndsTheProgram() {
        QFETCH(QString, preparo);
        QFETCH(bool, portaAberta);
        auto principal = std::make_unique<Form1>();
        QVERIFY(MostraEAtiva(principal.get()));
        preparos.value(preparo)(*principal);
        QCOMPARE(PortaAberta(), portaAberta ? int32_t(kPorta) : int32_t(-1));
        QPointer<Cupom> cupom = principal->JanelaCupom();
        QPointer<Clock> relogio = principal->JanelaRelogio();
        driver->Limpa();

        // The operator closes the main window while the program runs; a
        // program that does not end is stopped after ten seconds.
        QTimer::singleShot(0, principal.get(), [&] { principal->close(); });
        QTimer vigia;
        vigia.setSingleShot(true);
        connect(&vigia, &QTimer::timeout, [] { QCoreApplication::exit(99); });
        vigia.start(10000);
        QCOMPARE(QApplication::exec(), 0);

        const std::vector<Chamada> esperado =
            portaAberta ? std::vector<Chamada>{ChFecha(kPorta)} : std::vector<Chamada>{};
        QVERIFY2(driver->chamadas == esperado, Descreve(driver->chamadas).c_str());
        QCOMPARE(PortaAberta(), int32_t(-1));
        for (QWidget* janela : QApplication::topLevelWidgets())
            QVERIFY2(!janela->isVisible(), qPrintable(janela->objectName()));

        // The main window takes the other windows with it, and nothing
        // more reaches the driver.
        principal.reset();
        QVERIFY(!cupom);
        QVERIFY(!relogio);
        QTest::qWait(1100);
        QVERIFY2(driver->chamadas == esperado, Descreve(driver->chamadas).c_str());
    }
};

QTEST_MAIN(EncerramentoTest)
#include "encerramento_tests.moc"
