// The windows while the simulated printer prints: a Leitura X takes two
// seconds, and the windows keep answering meanwhile without taking a
// second command, without piling up clock ticks, and without abandoning a
// command when the program is closed.
#include "clock.h"
#include "comunicacao.h"
#include "cupom.h"
#include "operador.h"
#include "registro.h"
#include "sala.h"

#include <QCursor>
#include <QDir>
#include <QTimer>

using namespace tavorin;
using namespace tavorin::teste;

namespace {

// The commands sent since the exchange log was last emptied.
QStringList Enviados() {
    QStringList comandos;
    for (const Troca& troca : Trocas()) comandos << QString::fromStdString(troca.comando);
    return comandos;
}

}  // namespace

class EsperaTest : public QObject {
    Q_OBJECT

    std::unique_ptr<Bancada> bancada;
    Form1* principal = nullptr;

    // Runs `acao` inside the application's event loop, as the program does,
    // until the main window ends it.
    void RodaAteFechar(const std::function<void()>& acao) {
        QTimer::singleShot(0, principal, acao);
        QTimer::singleShot(30000, principal, [] { QCoreApplication::exit(99); });
        QCOMPARE(QApplication::exec(), 0);
    }

private slots:
    void init() {
        bancada = std::make_unique<Bancada>(1, true);
        principal = bancada->principal.get();
        QVERIFY(MostraEAtiva(principal));
        principal->Form_Load();
        // A Leitura X prints 19 lines.
        PoeAmbiente("ZUBSIM_LINHAS_POR_SEGUNDO", "9,5");
        LimpaTrocas();
    }
    void cleanup() {
        EsqueceRespostas();
        bancada.reset();
    }

    // During the command a timer of the test fires, F12 opens "Comunicação",
    // the cursor is busy and the caption counts the seconds.
    void theEventLoopRunsDuringACommand() {
        AtalhoComunicacao atalho;
        int disparos = 0;
        bool comunicacao = false;
        QStringList titulos;
        Qt::CursorShape cursor = Qt::ArrowCursor;
        QTimer relogio;
        connect(&relogio, &QTimer::timeout, [&] {
            ++disparos;
            if (!titulos.contains(principal->windowTitle())) titulos << principal->windowTitle();
        });
        relogio.start(100);
        QTimer::singleShot(300, principal, [&] {
            QTest::keyClick(principal, Qt::Key_F12);
            comunicacao = atalho.Janela() && atalho.Janela()->isVisible() && Sala::Instancia().Ocupada();
            if (QApplication::overrideCursor()) cursor = QApplication::overrideCursor()->shape();
        });
        Clica(principal, "Command4");
        relogio.stop();
        QVERIFY2(disparos >= 3, qPrintable(QString::number(disparos)));
        QVERIFY(comunicacao);
        QCOMPARE(cursor, Qt::BusyCursor);
        QVERIFY2(titulos.contains(QStringLiteral("TAVORIN - Aguardando a impressora: 1 s")), qPrintable(titulos.join('|')));
        QCOMPARE(principal->windowTitle(), QStringLiteral("TAVORIN"));
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(Textos(principal, "Text3").left(4), QStringLiteral("@+13"));
        QCOMPARE(Enviados(), QStringList{".13"});
    }

    // While the Redução Z prints, every printer control of the three windows,
    // a second "Redução Z" included, sends nothing, then or afterwards.
    void aSecondClickSendsNothing() {
        Clica(principal, "Command7");
        QWidget* relogio = principal->JanelaRelogio();
        relogio->findChild<QTimer*>()->stop();
        Clica(principal, "Command6");
        QWidget* cupom = principal->JanelaCupom();
        LimpaTrocas();
        Responde("Sim");
        QTimer::singleShot(500, principal, [&] {
            for (const char* botao : {"RedZ", "Command4", "LMF", "Command1", "Command5", "Command2", "Command6"})
                Clica(principal, botao);
            Clica(cupom, "Abrir");
            Clica(relogio, "EHV");
        });
        Clica(principal, "RedZ");
        QCoreApplication::processEvents();
        QCOMPARE(Enviados(), QStringList{".14"});
        QCOMPARE(Textos(principal, "Text3").left(4), QStringLiteral("@+14"));
    }

    // A tick that falls due while a command runs returns at once without
    // sending anything; the ticks go on a second apart afterwards.
    void ticksAreSkippedNotPiledUp() {
        Clica(principal, "Command7");
        auto* relogio = static_cast<Clock*>(principal->JanelaRelogio());
        QVERIFY(QTest::qWaitFor([&] { return !Textos(relogio, "Text1").isEmpty(); }, 5000));
        LimpaTrocas();
        bool pulou = false;
        QTimer::singleShot(300, principal, [&] {
            relogio->Timer1_Timer();
            pulou = Sala::Instancia().Ocupada();
        });
        Clica(principal, "Command4");
        QVERIFY(pulou);
        QCOMPARE(Enviados(), QStringList{".13"});
        QVERIFY(QTest::qWaitFor([] { return Enviados().size() == 3; }, 5000));
        QCOMPARE(Enviados(), (QStringList{".13", ".28", ".28"}));
        const std::vector<Troca> trocas = Trocas();
        QVERIFY(trocas[2].quando - trocas[1].quando > std::chrono::milliseconds(500));
    }

    // Closed during a command, the program waits for the answer and says so,
    // closes the port, then closes.
    void closingWaitsForTheAnswer() {
        bool visivel = false;
        QStringList titulos;
        QTimer relogio;
        connect(&relogio, &QTimer::timeout, [&] {
            if (!titulos.contains(principal->windowTitle())) titulos << principal->windowTitle();
        });
        RodaAteFechar([&] {
            QTimer::singleShot(300, principal, [&] {
                principal->close();
                visivel = principal->isVisible();
            });
            relogio.start(100);
            Clica(principal, "Command4");
        });
        QVERIFY(visivel);
        QVERIFY2(titulos.contains(QStringLiteral("TAVORIN - Aguardando a impressora para fechar: 1 s")),
                 qPrintable(titulos.join('|')));
        QVERIFY(!principal->isVisible());
        QCOMPARE(Enviados(), QStringList{".13"});
        QCOMPARE(Trocas().back().resultado, 0);
        QCOMPARE(PortaAberta(), -1);
    }

    // A reading to the file stops between two blocks when the operator says
    // so (Esc, or closing the window, asks first): the previous LeitM.txt
    // stays, the port is closed and Text3 says so. "Não" lets it end; a
    // question left open is withdrawn when the reading ends.
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
        GravaArquivo("LeitM.txt", "anterior\r\n");
        Clica(principal, "NoArq");
        // About a second and a half a block: time for the question to come
        // up and be answered before the reading ends, under an emulator too.
        PoeAmbiente("ZUBSIM_BAUD", "600");
        if (interrompe) Responde("Sim");
        if (resposta == "Esc") Responde(Qt::Key_Escape);
        const auto pede = [this, fechar] {
            fechar ? static_cast<void>(principal->close()) : QTest::keyClick(principal, Qt::Key_Escape);
        };
        if (fechar) {
            RodaAteFechar([&] {
                QTimer::singleShot(500, principal, pede);
                Clica(principal, "LMF");
            });
        } else {
            QTimer::singleShot(500, principal, pede);
            Clica(principal, "LMF");
        }
        const std::string arquivo = LeArquivo("LeitM.txt");
        QCOMPARE(QDir().entryList({"*LeitM*"}, QDir::AllEntries | QDir::Hidden), QStringList{"LeitM.txt"});
        QCOMPARE(PortaAberta(), -1);
        if (interrompe) {
            QCOMPARE(arquivo, std::string("anterior\r\n"));
            QVERIFY(Enviados().size() < 5);
            QCOMPARE(Textos(principal, "Text3"), QStringLiteral("Leitura interrompida: LeitM.txt não foi alterado"));
        } else {
            QVERIFY2(arquivo.size() > 40 && arquivo.find("FIM DA LEITURA\r\n") != std::string::npos, arquivo.c_str());
            QCOMPARE(Textos(principal, "Text3"), QStringLiteral("Arquivo LeitM.txt gravado"));
        }
        QCOMPARE(principal->isVisible(), !fechar);
        QVERIFY(!QApplication::activeModalWidget());
    }
};

QTEST_MAIN(EsperaTest)
#include "espera_tests.moc"
