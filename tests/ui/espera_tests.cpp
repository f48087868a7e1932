// The windows while the simulated printer works on a command, held there
// until the test lets it go: they keep answering meanwhile without taking
// a second command, without piling up clock ticks, and without abandoning
// a command when the program is closed.
#include "comunicacao.h"
#include "operador.h"
#include "registro.h"
#include "sala.h"

#include <QCursor>

using namespace tavorin;
using namespace tavorin::teste;

class EsperaTest : public QObject {
    Q_OBJECT

    std::unique_ptr<Bancada> bancada;
    Form1* principal = nullptr;

    // The commands sent since the exchange log was last emptied (the log
    // also holds those stopped before they were sent).
    static QStringList Enviados() {
        QStringList comandos;
        for (const Troca& troca : Trocas())
            if (troca.Enviado()) comandos << QString::fromStdString(troca.comando);
        return comandos;
    }
    SeguraNoSimulador Segura(const char* comando) { return {bancada->pasta.Caminho(), comando}; }

private slots:
    void init() {
        bancada = std::make_unique<Bancada>(1, true);
        principal = bancada->principal.get();
        QVERIFY(MostraEAtiva(principal));
        principal->Form_Load();
        LimpaTrocas();
    }
    void cleanup() {
        bancada.reset();
    }

    // While the Redução Z prints, a timer of the test fires, F12 opens
    // "Comunicação", the cursor is busy and the caption counts the seconds;
    // every printer control of the three windows, a second "Redução Z"
    // included, sends nothing, then or afterwards; a clock tick that falls
    // due returns at once, and the next tick probes again.
    void theWindowsDuringACommand() {
        Clica(principal, "Command7");
        auto* relogio = static_cast<Clock*>(principal->JanelaRelogio());
        QVERIFY(QTest::qWaitFor([&] { return !Textos(relogio, "Text1").isEmpty(); }, kEsperaJanela));
        ParaTique(relogio);
        Clica(principal, "Command6");
        QWidget* cupom = principal->JanelaCupom();
        LimpaTrocas();
        AtalhoComunicacao atalho;
        bool comunicacao = false, conta = false, pulou = false;
        Qt::CursorShape cursor = Qt::ArrowCursor;
        Responde("Sim");
        auto segura = Segura(".14");
        AoChegar(segura, [&] {
            QTest::keyClick(principal, Qt::Key_F12);
            comunicacao = atalho.Janela() && atalho.Janela()->isVisible() && Sala::Instancia().Ocupada();
            if (QApplication::overrideCursor()) cursor = QApplication::overrideCursor()->shape();
            conta = QTest::qWaitFor([&] { return ContaSegundos(principal, "Aguardando a impressora"); }, kEsperaJanela);
            for (const char* botao : {"RedZ", "Command4", "LMF", "Command1", "Command5", "Command2", "Command6"})
                Clica(principal, botao);
            Clica(cupom, "Abrir");
            Clica(relogio, "EHV");
            relogio->Timer1_Timer();
            pulou = Sala::Instancia().Ocupada();
        });
        Clica(principal, "RedZ");
        QCoreApplication::processEvents();
        QVERIFY(comunicacao);
        QCOMPARE(cursor, Qt::BusyCursor);
        QVERIFY2(conta, qPrintable(principal->windowTitle()));
        QVERIFY(pulou);
        QCOMPARE(principal->windowTitle(), QStringLiteral("TAVORIN"));
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(Textos(principal, "Text3").left(4), QStringLiteral("@+14"));
        QCOMPARE(Enviados(), QStringList{".14"});
        relogio->Timer1_Timer();
        QCOMPARE(Enviados(), (QStringList{".14", ".28"}));
    }

    // Closed during the printer test, the program waits for the answer
    // under way and says so, sends nothing after it, closes the port, then
    // closes.
    void closingWaitsForTheAnswer() {
        bool visivel = false, conta = false;
        auto segura = Segura(".28");
        QCOMPARE(RodaAteFechar(principal, [&] {
            AoChegar(segura, [&] {
                principal->close();
                visivel = principal->isVisible();
                conta = QTest::qWaitFor(
                    [&] { return ContaSegundos(principal, "Aguardando a impressora para fechar"); }, kEsperaJanela);
            });
            principal->Form_Load();
        }), 0);
        QVERIFY(visivel);
        QVERIFY(conta);
        QVERIFY(!principal->isVisible());
        QCOMPARE(Enviados(), QStringList{".28"});
        QCOMPARE(Trocas().front().resultado, 0);
        QCOMPARE(PortaAberta(), -1);
    }

    // A reading to the file stops between two blocks when the operator says
    // so (Esc, or closing the window, asks first) and Text3 says so. "Não"
    // lets it end; a question left open is withdrawn when the reading ends.
    void interruptedReading_data() {
        QTest::addColumn<bool>("fechar");
        QTest::addColumn<QString>("resposta");
        QTest::newRow("Esc, Sim") << false << "Sim";
        QTest::newRow("Esc, Esc on the question") << false << "Esc";
        QTest::newRow("Esc, no answer") << false << "";
        QTest::newRow("closing, Sim") << true << "Sim";
    }
    void interruptedReading() {
        QFETCH(bool, fechar);
        QFETCH(QString, resposta);
        const bool interrompe = resposta == "Sim";
        Clica(principal, "NoArq");
        // The second block waits for the question: answered, the reading
        // goes on from there; left open, it goes on while the question shows.
        auto segura = Segura(".++");
        if (interrompe) Responde("Sim");
        if (resposta == "Esc") Responde([](QWidget* pergunta) { QTest::keyClick(pergunta, Qt::Key_Escape); });
        if (resposta.isEmpty()) Responde([&](QWidget*) { segura.Solta(); });
        const auto pede = [&] {
            AoChegar(segura, [this, fechar] {
                // Esc is a shortcut of the active window.
                QVERIFY(fechar || EsperaAtiva(principal));
                fechar ? static_cast<void>(principal->close()) : QTest::keyClick(principal, Qt::Key_Escape);
            });
            Clica(principal, "LMF");
        };
        if (fechar)
            QCOMPARE(RodaAteFechar(principal, pede), 0);
        else
            pede();
        if (interrompe) QVERIFY2(Enviados().size() == 2, qPrintable(Enviados().join(" ")));
        QCOMPARE(Textos(principal, "Text3"), interrompe ? QStringLiteral("Leitura interrompida: LeitM.txt não foi alterado")
                                                        : QStringLiteral("Arquivo LeitM.txt gravado"));
        QCOMPARE(principal->isVisible(), !fechar);
        QVERIFY(!QApplication::activeModalWidget());
    }
};

QTEST_MAIN(EsperaTest)
#include "espera_tests.moc"
