// The clock window and its launcher on the main window, driven against
// the fake driver.
#include "clock.h"
#include "driver.h"
#include "operador.h"

#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <thread>

using namespace tavorin;
using namespace tavorin::teste;

namespace {

std::string RespostaA(const std::string& comando) { return "{+ respondeu a [" + comando + "]"; }

struct Tique {
    int16_t abre;  // Abre's result
    std::string resposta;
    QString texto1;
    bool fecha;  // the probe failed: the port is closed again
};

struct Comando {
    const char* botao;
    QString data, hora;  // null: the presets stay
    std::string comando;
    QString titulo;
    std::optional<std::string> resposta;  // nullopt: accepted
    QString mostrado;
};

}  // namespace

Q_DECLARE_METATYPE(Tique)
Q_DECLARE_METATYPE(Comando)

class ClockTest : public TesteJanela {
    Q_OBJECT

public:
    ClockTest() : TesteJanela(2) {}

private:
    std::string resposta28;

    QWidget* Janela() override { return principal->JanelaRelogio(); }
    QTimer* Timer1() { return Janela()->findChild<QTimer*>(QStringLiteral("Timer1")); }
    int Sondagens() const {
        return static_cast<int>(std::count(driver->chamadas.begin(), driver->chamadas.end(), ChTXRX(2, 3, ".28")));
    }
    void RelogioEHVerao() {
        Clique("Command7", principal.get());
        QVERIFY(Janela() && QTest::qWaitForWindowActive(Janela()));
    }
    void Prepara() override {
        resposta28 = Status28();
        driver->porComando = [this](int16_t, const std::string& comando) -> std::optional<Atendimento> {
            return Atendimento{comando == ".28" ? resposta28 : RespostaA(comando), 0};
        };
        RelogioEHVerao();
        // Ticks are run by hand, except where a test waits for the timer.
        Timer1()->stop();
        driver->Limpa();
    }

private slots:
    // A good probe shows the printer's clock and leaves the port open; a
    // failed one leaves Text1 as it was.
    void tick_data() {
        QTest::addColumn<Tique>("caso");
        QTest::newRow("normal time") << Tique{0, Status28("0512031430", 'N'), "Horario Normal 05/12/03 14:30", false};
        QTest::newRow("summer time") << Tique{0, Status28("3112992359", 'S'), "Horario de Verao 31/12/99 23:59", false};
        QTest::newRow("refused probe") << Tique{0, Erro("06"), "antes", true};
        QTest::newRow("no answer") << Tique{0, "", "antes", true};
        QTest::newRow("port does not open") << Tique{-1, Status28(), "antes", false};
    }
    void tick() {
        QFETCH(Tique, caso);
        Caixa("Text1")->setText(QStringLiteral("antes"));
        driver->abrePadrao = caso.abre;
        resposta28 = caso.resposta;
        static_cast<Clock*>(Janela())->Timer1_Timer();
        Chamadas esperado = {ChAbre(2)};
        if (caso.abre >= 0) esperado.push_back(ChTXRX(2, 3, ".28"));
        if (caso.fecha) esperado.push_back(ChFecha(2));
        CONFERE(esperado);
        QCOMPARE(Texto("Text1"), caso.texto1);
        QCOMPARE(PortaAberta(), caso.abre >= 0 && !caso.fecha ? 2 : -1);
    }

    // Each button: its title shown (and painted) while the command blocks,
    // the port opened and closed around one command, then ResultadoClock.
    // "Alterar" cuts its fields by position from the boxes as rewritten
    // when the click took the focus.
    void commands_data() {
        QTest::addColumn<Comando>("caso");
        const QString ajuste = QStringLiteral("Ajuste de Data e Hora");
        QTest::newRow("presets") << Comando{"SetClock", {}, {}, ".35000000010101", ajuste, {}, {}};
        QTest::newRow("14:30:00 and 25/12/03")
            << Comando{"SetClock", "25/12/03", "14:30:00", ".35143000251203", ajuste, {}, {}};
        QTest::newRow("rewritten before the click acts")
            << Comando{"SetClock", "1/2/2003", "9:05", ".35090500010203", ajuste, {}, {}};
        QTest::newRow("abc: 11 characters")
            << Comando{"SetClock", "abc", "14:30:00", ".35143000ab", ajuste, "{-35 000000000000000", "ERRO "};
        QTest::newRow("enter summer time") << Comando{"EHV", {}, {}, ".36S", "Entrar em Horário de Verão", {}, {}};
        QTest::newRow("leave summer time, short error line")
            << Comando{"SHV", {}, {}, ".36N", "Sair do Horário de Verão", "{-36 0000000000000001", "ERRO 1"};
    }
    void commands() {
        QFETCH(Comando, caso);
        if (!caso.data.isNull()) {
            Substitui(Caixa("NData"), caso.data);
            Substitui(Caixa("NHora"), caso.hora);
        }
        if (caso.resposta) driver->Enfileira(caso.comando, *caso.resposta);
        Observa(Caixa("RespClock"), [this] { return Texto("RespClock"); });
        Clique(caso.botao);
        CONFERE({ChAbre(2), ChTXRX(2, 3, caso.comando), ChFecha(2)});
        QCOMPARE(vistos, QStringList{caso.titulo + '|' + caso.titulo});
        QCOMPARE(Texto("RespClock"), caso.resposta ? caso.mostrado : QString::fromStdString(RespostaA(caso.comando)));
        QCOMPARE(PortaAberta(), -1);
    }

    // A tick that falls due while a command blocks runs once afterwards,
    // never in the middle of it, and the ticks missed are not made up.
    void ticksMissedWhileACommandBlocks() {
        Timer1()->start();
        QVERIFY(QTest::qWaitFor([&] { return Sondagens() >= 1; }, 3000));
        driver->Limpa();
        driver->durante = [&](const Chamada& chamada) {
            if (chamada.comando == ".36S") std::this_thread::sleep_for(std::chrono::milliseconds(2500));
        };
        Clique("EHV");
        driver->durante = nullptr;
        CONFERE({ChAbre(2), ChTXRX(2, 3, ".36S"), ChFecha(2)});
        QCOMPARE(Texto("RespClock"), QString::fromStdString(RespostaA(".36S")));
        QVERIFY(QTest::qWaitFor([&] { return Sondagens() >= 1; }, 1000));
        QTest::qWait(400);
        QCOMPARE(Sondagens(), 1);
        QCOMPARE(Texto("RespClock"), QString::fromStdString(RespostaA(".36S")));
    }

    // The launcher sends nothing: it brings the same window forward and
    // writes the presets again over what the operator typed. Closed from
    // its title bar the window sends nothing, leaves the port as it was
    // and its timer is gone; shown again it starts from its design.
    void launcherAndTitleBarClose() {
        QWidget* janela = Janela();
        Substitui(Caixa("NData"), QStringLiteral("25/12/03"));
        Substitui(Caixa("NHora"), QStringLiteral("14:30:00"));
        Substitui(Caixa("RespClock"), QStringLiteral("x"));
        Timer1()->start();
        QVERIFY(QTest::qWaitFor([&] { return !Texto("Text1").isEmpty(); }, 3000));
        QVERIFY(MostraEAtiva(principal.get()));
        RelogioEHVerao();
        QCOMPARE(Janela(), janela);
        QCOMPARE(Textos("NData NHora Text1 RespClock"), "01/01/01|00:00:00|Horario Normal 05/12/03 14:30|x");
        QPointer<QTimer> timer = Timer1();
        driver->Limpa();
        QVERIFY(Janela()->close());
        ApagaJanelasFechadas();
        QVERIFY(!Janela() && !timer);
        QCOMPARE(PortaAberta(), 2);
        QTest::qWait(1200);
        RelogioEHVerao();
        CONFERE({});
        QVERIFY(Timer1()->isActive() && Timer1()->interval() == 1000 && !Timer1()->isSingleShot());
        QCOMPARE(Textos("NData NHora Text1 RespClock"), "01/01/01|00:00:00||");
    }
};

QTEST_MAIN(ClockTest)
#include "clock_tests.moc"
