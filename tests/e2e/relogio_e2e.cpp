// The clock window on the real simulated printer: setting the printer's
// date and time, summer time, and the once-a-second display following them.
#include "ambiente.h"
#include "clock.h"
#include "driver.h"
#include "form1.h"
#include "link.h"
#include "operador.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

using namespace tavorin;
using namespace tavorin::teste;

class RelogioE2E : public QObject {
    Q_OBJECT

    std::unique_ptr<DiretorioTemporario> pasta;
    std::unique_ptr<Form1> principal;

    QLineEdit* Caixa(const char* nome) { return Controle<QLineEdit>(principal->JanelaRelogio(), nome); }
    void Botao(const char* nome) { Clica(Controle<QPushButton>(principal->JanelaRelogio(), nome)); }

    // The display shows `texto` within a few ticks.
    bool Mostra(const QString& texto) {
        return QTest::qWaitFor([&] { return Caixa("Text1")->text() == texto; }, 4000);
    }

private slots:
    void init() {
        pasta = std::make_unique<DiretorioTemporario>();
        for (const char* nome : {"ZUBSIM_PORTA", "ZUBSIM_SEM_PAPEL", "ZUBSIM_FORA_DE_LINHA", "ZUBSIM_MUDA",
                                 "ZUBSIM_BAUD"})
            PoeAmbiente(nome, nullptr);
        PoeAmbiente("ZUBSIM_DIR", pasta->Caminho().string().c_str());
        PoeAmbiente("ZUBSIM_PORTA", "2");
        InstalaDriver(nullptr);
        Porta = 0;
        Resposta.clear();
        Status.clear();
        principal = std::make_unique<Form1>();
        principal->Form_Load();
        QVERIFY(MostraEAtiva(principal.get()));
        Clica(Controle<QPushButton>(principal.get(), "Command7"));
        QVERIFY(principal->JanelaRelogio());
        QVERIFY(QTest::qWaitForWindowActive(principal->JanelaRelogio()));
    }
    void cleanup() {
        principal.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        FechaPortaAberta();
        pasta.reset();
    }

    void setClockAndSummerTime() {
        // Typed loosely; both boxes are rewritten before "Alterar" acts.
        Substitui(Caixa("NData"), QStringLiteral("25/12/2003"));
        Substitui(Caixa("NHora"), QStringLiteral("14:30"));
        Botao("SetClock");
        QCOMPARE(Caixa("NData")->text(), QStringLiteral("25/12/03"));
        QCOMPARE(Caixa("NHora")->text(), QStringLiteral("14:30:00"));
        QVERIFY2(Caixa("RespClock")->text().startsWith(QStringLiteral("@+35")), qPrintable(Caixa("RespClock")->text()));
        QVERIFY2(Mostra(QStringLiteral("Horario Normal 25/12/03 14:30")), qPrintable(Caixa("Text1")->text()));

        Botao("EHV");
        QVERIFY(Caixa("RespClock")->text().startsWith(QStringLiteral("@+36")));
        QVERIFY2(Mostra(QStringLiteral("Horario de Verao 25/12/03 15:30")), qPrintable(Caixa("Text1")->text()));
        Botao("EHV");
        QCOMPARE(Caixa("RespClock")->text(), QStringLiteral("ERRO 10"));

        // The main window's printer test reads the same clock.
        Clica(Controle<QPushButton>(principal.get(), "Command1"));
        QCOMPARE(Controle<QLineEdit>(principal.get(), "Text2")->text(),
                 QStringLiteral("Horario de Verao 25/12/03 15:30"));

        Botao("SHV");
        QVERIFY(Caixa("RespClock")->text().startsWith(QStringLiteral("@+36")));
        QVERIFY2(Mostra(QStringLiteral("Horario Normal 25/12/03 14:30")), qPrintable(Caixa("Text1")->text()));
        Botao("SHV");
        QCOMPARE(Caixa("RespClock")->text(), QStringLiteral("ERRO 11"));
    }

    // Texts that are not a date or time go out cut by position; the
    // printer refuses them and the window shows its code.
    void refusedSettings_data() {
        QTest::addColumn<QString>("data");
        QTest::addColumn<QString>("hora");
        QTest::addColumn<QString>("resultado");
        QTest::newRow("impossible date") << "31/02/03" << "14:30:00" << "ERRO 08";
        QTest::newRow("impossible time") << "25/12/03" << "25:61:00" << "ERRO 08";
        QTest::newRow("not a date: 11 characters") << "abc" << "14:30:00" << "ERRO 02";
    }
    void refusedSettings() {
        QFETCH(QString, data);
        QFETCH(QString, hora);
        QFETCH(QString, resultado);
        QVERIFY(QTest::qWaitFor([&] { return !Caixa("Text1")->text().isEmpty(); }, 4000));
        const QString antes = Caixa("Text1")->text();
        Substitui(Caixa("NData"), data);
        Substitui(Caixa("NHora"), hora);
        Botao("SetClock");
        QCOMPARE(Caixa("RespClock")->text(), resultado);
        QCOMPARE(Caixa("NData")->text(), data);
        // The printer's clock did not move: still today's date.
        QTest::qWait(1100);
        QCOMPARE(Caixa("Text1")->text().left(23), antes.left(23));
    }
};

QTEST_MAIN(RelogioE2E)
#include "relogio_e2e.moc"
