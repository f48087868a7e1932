// The clock window and its launcher on the main window, driven against
// the fake driver.
#include "ambiente.h"
#include "clock.h"
#include "driver.h"
#include "fake_driver.h"
#include "form1.h"
#include "janela.h"
#include "link.h"
#include "operador.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <memory>
#include <thread>

using namespace tavorin;
using namespace tavorin::teste;

namespace {

constexpr int16_t kPorta = 2;

// A ".28" answer: clock ddmmyyhhmm at 44-53, summer time at 54.
std::string Status28(const std::string& relogio = "0512031430", char verao = 'N', char status = '+') {
    std::string linha(130, '0');
    linha[0] = '{';
    linha[1] = status;
    linha.replace(43, relogio.size(), relogio);
    linha[53] = verao;
    return linha;
}

std::string RespostaA(const std::string& comando) { return "{+ respondeu a [" + comando + "]"; }

class Pinturas : public QObject {
public:
    explicit Pinturas(QLineEdit* caixa) : caixa_(caixa) { caixa->installEventFilter(this); }
    bool eventFilter(QObject* objeto, QEvent* evento) override {
        if (objeto == caixa_ && evento->type() == QEvent::Paint) textos << caixa_->text();
        return false;
    }
    QStringList textos;

private:
    QLineEdit* caixa_;
};

}  // namespace

class ClockTest : public QObject {
    Q_OBJECT

    std::unique_ptr<DiretorioTemporario> pasta;
    std::unique_ptr<FakeDriver> driver;
    std::unique_ptr<Form1> principal;
    std::string resposta28;

    Clock* Janela() { return principal->JanelaRelogio(); }
    QLineEdit* Caixa(const char* nome) { return Controle<QLineEdit>(Janela(), nome); }
    QPushButton* Botao(const char* nome) { return Controle<QPushButton>(Janela(), nome); }
    QTimer* Timer1() { return Janela()->findChild<QTimer*>(QStringLiteral("Timer1")); }
    void RelogioEHVerao() { Clica(Controle<QPushButton>(principal.get(), "Command7")); }

    void Confere(const std::vector<Chamada>& esperado) {
        QVERIFY2(driver->chamadas == esperado, Descreve(driver->chamadas).c_str());
    }
    int Sondagens() const {
        int n = 0;
        for (const auto& comando : driver->Comandos()) n += comando == ".28";
        return n;
    }
    static void ApagaJanelasFechadas() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

private slots:
    void init() {
        pasta = std::make_unique<DiretorioTemporario>();
        driver = std::make_unique<FakeDriver>();
        Porta = kPorta;
        Resposta.clear();
        Status.clear();
        resposta28 = Status28();
        driver->porComando = [this](int16_t, const std::string& comando) -> std::optional<Atendimento> {
            if (comando == ".28") return Atendimento{resposta28, 0, {}};
            return Atendimento{RespostaA(comando), 0, {}};
        };
        principal = std::make_unique<Form1>();
        QVERIFY(MostraEAtiva(principal.get()));
        RelogioEHVerao();
        QVERIFY(Janela());
        QVERIFY(QTest::qWaitForWindowActive(Janela()));
        // Ticks are triggered by hand below, except where a test waits
        // for the timer itself.
        Timer1()->stop();
        driver->Limpa();
    }
    void cleanup() {
        principal.reset();
        ApagaJanelasFechadas();
        driver.reset();
        pasta.reset();
    }

    // The launcher sends nothing: it shows the window and writes the
    // presets, again over whatever the operator typed.
    void launcherWritesThePresets() {
        Clock* janela = Janela();
        QCOMPARE(Caixa("NData")->text(), QStringLiteral("01/01/01"));
        QCOMPARE(Caixa("NHora")->text(), QStringLiteral("00:00:00"));
        QCOMPARE(Caixa("Text1")->text(), QString());
        QCOMPARE(Caixa("RespClock")->text(), QString());
        Substitui(Caixa("NData"), QStringLiteral("25/12/03"));
        Substitui(Caixa("NHora"), QStringLiteral("14:30:00"));
        Caixa("Text1")->setText(QStringLiteral("relógio"));

        QVERIFY(MostraEAtiva(principal.get()));
        RelogioEHVerao();
        Confere({});
        QCOMPARE(Janela(), janela);
        QVERIFY(QTest::qWaitForWindowActive(janela));
        QCOMPARE(Caixa("NData")->text(), QStringLiteral("01/01/01"));
        QCOMPARE(Caixa("NHora")->text(), QStringLiteral("00:00:00"));
        QCOMPARE(Caixa("Text1")->text(), QStringLiteral("relógio"));
    }

    // A good probe shows the printer's clock and leaves the port open; a
    // failed one leaves Text1 as it was.
    void tick_data() {
        QTest::addColumn<int>("abre");
        QTest::addColumn<QString>("resposta");
        QTest::addColumn<QString>("texto1");
        QTest::addColumn<bool>("fechada");
        const QString antes = QStringLiteral("antes");
        QTest::newRow("normal time") << 0 << QString::fromStdString(Status28("0512031430", 'N'))
                                     << "Horario Normal 05/12/03 14:30" << false;
        QTest::newRow("summer time") << 0 << QString::fromStdString(Status28("3112992359", 'S'))
                                     << "Horario de Verao 31/12/99 23:59" << false;
        QTest::newRow("accepted whatever the first char") << 0 << QString::fromStdString("x+" + Status28().substr(2))
                                                          << "Horario Normal 05/12/03 14:30" << false;
        QTest::newRow("refused probe") << 0 << QString::fromStdString(Status28("0512031430", 'N', '-')) << antes
                                       << true;
        QTest::newRow("no answer") << 0 << QString() << antes << true;
        QTest::newRow("port does not open") << -1 << QString::fromStdString(Status28()) << antes << false;
    }
    void tick() {
        QFETCH(int, abre);
        QFETCH(QString, resposta);
        QFETCH(QString, texto1);
        QFETCH(bool, fechada);
        Substitui(Caixa("Text1"), QStringLiteral("antes"));
        driver->abrePadrao = static_cast<int16_t>(abre);
        resposta28 = resposta.toStdString();
        Janela()->Timer1_Timer();

        std::vector<Chamada> esperado = {ChAbre(kPorta)};
        if (abre >= 0) esperado.push_back(ChTXRX(kPorta, 3, ".28"));
        if (fechada) esperado.push_back(ChFecha(kPorta));
        Confere(esperado);
        QCOMPARE(Caixa("Text1")->text(), texto1);
        QCOMPARE(Porta, int32_t(kPorta));
        QCOMPARE(PortaAberta(), abre >= 0 && !fechada ? int32_t(kPorta) : int32_t(-1));
    }

    // Each button: its title shown (and painted) while the command blocks,
    // the port opened and closed around one command, then the outcome.
    void commands_data() {
        QTest::addColumn<QString>("botao");
        QTest::addColumn<QString>("data");   // null: the preset stays
        QTest::addColumn<QString>("hora");
        QTest::addColumn<QString>("comando");
        QTest::addColumn<QString>("titulo");
        QTest::addColumn<QString>("dataDepois");
        const QString ajuste = QStringLiteral("Ajuste de Data e Hora");
        QTest::newRow("presets") << "SetClock" << QString() << QString() << ".35000000010101" << ajuste
                                 << "01/01/01";
        QTest::newRow("normal form") << "SetClock" << "25/12/03" << "14:30:00" << ".35143000251203" << ajuste
                                     << "25/12/03";
        QTest::newRow("rewritten when left") << "SetClock" << "25/12/2003" << "14:30" << ".35143000251203"
                                             << ajuste << "25/12/03";
        QTest::newRow("time rewritten by the click") << "SetClock" << "1/2/3" << "9:05" << ".35090500010203"
                                                     << ajuste << "01/02/03";
        QTest::newRow("date not a date: cut by position") << "SetClock" << "abc" << "14:30:00" << ".35143000ab"
                                                          << ajuste << "abc";
        QTest::newRow("separators skipped whatever they are") << "SetClock" << "12-34-5678" << "ab:cd;ef"
                                                              << ".35abcdef123456" << ajuste << "12-34-5678";
        QTest::newRow("both empty") << "SetClock" << "" << "" << ".35" << ajuste << "";
        QTest::newRow("enter summer time") << "EHV" << "abc" << "xyz" << ".36S"
                                           << "Entrar em Horário de Verão" << "abc";
        QTest::newRow("leave summer time") << "SHV" << QString() << QString() << ".36N"
                                           << "Sair do Horário de Verão" << "01/01/01";
    }
    void commands() {
        QFETCH(QString, botao);
        QFETCH(QString, data);
        QFETCH(QString, hora);
        QFETCH(QString, comando);
        QFETCH(QString, titulo);
        QFETCH(QString, dataDepois);
        if (!data.isNull()) {
            Substitui(Caixa("NData"), data);
            Substitui(Caixa("NHora"), hora);
        }
        Pinturas pinturas(Caixa("RespClock"));
        driver->durante = [&](const Chamada&) {
            QCOMPARE(Caixa("RespClock")->text(), titulo);
            QVERIFY(!pinturas.textos.isEmpty());
            QCOMPARE(pinturas.textos.last(), titulo);
        };
        Clica(Botao(botao.toLatin1().constData()));

        const std::string enviado = comando.toStdString();
        Confere({ChAbre(kPorta), ChTXRX(kPorta, 3, enviado), ChFecha(kPorta)});
        QCOMPARE(Caixa("RespClock")->text(), QString::fromStdString(RespostaA(enviado)));
        QCOMPARE(Caixa("NData")->text(), dataDepois);
        QCOMPARE(PortaAberta(), int32_t(-1));
    }

    void resultadoClock_data() {
        QTest::addColumn<QString>("resposta");
        QTest::addColumn<QString>("mostrado");
        QTest::newRow("accepted: whole line") << "{+36 0000000000000000 ok" << "{+36 0000000000000000 ok";
        QTest::newRow("accepted whatever the first char") << "x+" << "x+";
        const QString zeros(15, QLatin1Char('0'));
        QTest::newRow("refused: code at 21-22") << "{-36 " + zeros + "10 JA EM VERAO" << "ERRO 10";
        QTest::newRow("refused, 21 characters") << "{-36 0000000000000001" << "ERRO 1";
        QTest::newRow("refused, 20 characters") << "{-36 000000000000000" << "ERRO ";
        QTest::newRow("empty answer") << "" << "ERRO ";
        QTest::newRow("end-of-reading status is not success") << "{]36 " + zeros + "07" << "ERRO 07";
    }
    void resultadoClock() {
        QFETCH(QString, resposta);
        QFETCH(QString, mostrado);
        driver->Enfileira(".36S", resposta.toStdString());
        Clica(Botao("EHV"));
        QCOMPARE(Caixa("RespClock")->text(), mostrado);
    }

    // The command's own answer is shown although a tick falls due while it
    // blocks; that tick runs once afterwards and the missed ones are not
    // made up.
    void blockedTicksRunOnceAfterwards() {
        Timer1()->start();
        QVERIFY(QTest::qWaitFor([&] { return Sondagens() >= 1; }, 3000));
        QCOMPARE(driver->chamadas.front(), ChAbre(kPorta));
        driver->Limpa();
        driver->durante = [&](const Chamada& chamada) {
            if (chamada.comando == ".36S") std::this_thread::sleep_for(std::chrono::milliseconds(3500));
        };
        Clica(Botao("EHV"));
        driver->durante = nullptr;
        Confere({ChAbre(kPorta), ChTXRX(kPorta, 3, ".36S"), ChFecha(kPorta)});
        QCOMPARE(Caixa("RespClock")->text(), QString::fromStdString(RespostaA(".36S")));

        // Three ticks fell due during the command.
        QElapsedTimer depois;
        depois.start();
        QVERIFY(QTest::qWaitFor([&] { return Sondagens() >= 1; }, 1000));
        const qint64 primeira = depois.elapsed();
        QTest::qWait(400);
        const int sondagens = Sondagens();
        qInfo("after a 3.5 s command: first tick after %lld ms; %d tick(s) in the next 400 ms", primeira,
              sondagens);
        QCOMPARE(sondagens, 1);
        QCOMPARE(Caixa("RespClock")->text(), QString::fromStdString(RespostaA(".36S")));
        QCOMPARE(Caixa("Text1")->text(), QStringLiteral("Horario Normal 05/12/03 14:30"));
    }

    // Closed from its title bar: nothing sent, the port left as it was,
    // the timer gone; shown again it starts from its design and presets.
    void titleBarClose() {
        Timer1()->start();
        QVERIFY(QTest::qWaitFor([&] { return !Caixa("Text1")->text().isEmpty(); }, 3000));
        Substitui(Caixa("NData"), QStringLiteral("25/12/03"));
        Substitui(Caixa("RespClock"), QStringLiteral("x"));
        QPointer<QTimer> timer = Timer1();
        driver->Limpa();

        QVERIFY(Janela()->close());
        ApagaJanelasFechadas();
        Confere({});
        QVERIFY(!Janela());
        QVERIFY(!timer);
        QCOMPARE(PortaAberta(), int32_t(kPorta));
        QTest::qWait(1200);
        Confere({});

        RelogioEHVerao();
        Confere({});
        QVERIFY(Janela() && Janela()->isVisible());
        QVERIFY(Timer1()->isActive());
        QCOMPARE(Caixa("Text1")->text(), QString());
        QCOMPARE(Caixa("RespClock")->text(), QString());
        QCOMPARE(Caixa("NData")->text(), QStringLiteral("01/01/01"));
        QCOMPARE(Caixa("NHora")->text(), QStringLiteral("00:00:00"));
    }

    void layoutFromTheDesign() {
        struct Item {
            const char* nome;
            const char* legenda;
            int esquerda, topo, largura, altura, tab;
        };
        const Item itens[] = {
            {"Text1", nullptr, 240, 360, 3495, 405, 0},
            {"Label1", "Nova Data", 240, 1080, 1575, 255, 3},
            {"Label2", "Novo Horário", 1920, 1080, 1575, 255, 4},
            {"NData", nullptr, 240, 1320, 1575, 375, 1},
            {"NHora", nullptr, 1920, 1320, 1575, 375, 2},
            {"SetClock", "Alterar", 3600, 1320, 975, 375, 5},
            {"EHV", "Entrar no H.Verão", 240, 1920, 1575, 375, 6},
            {"SHV", "Sair do H.Verão", 1920, 1920, 1575, 375, 7},
            {"RespClock", nullptr, 240, 2520, 3495, 375, 8},
        };
        Clock* janela = Janela();
        for (const auto& item : itens) {
            auto* controle = janela->findChild<QWidget*>(QString::fromLatin1(item.nome));
            QVERIFY2(controle, item.nome);
            QCOMPARE(controle->parentWidget(), static_cast<QWidget*>(janela));
            QCOMPARE(controle->geometry(), QRect(Twips(item.esquerda, controle), Twips(item.topo, controle),
                                                 Twips(item.largura, controle), Twips(item.altura, controle)));
            QCOMPARE(controle->property("TabIndex").toInt(), item.tab);
            if (auto* rotulo = qobject_cast<QLabel*>(controle))
                QCOMPARE(rotulo->text(), QString::fromUtf8(item.legenda));
            if (auto* botao = qobject_cast<QPushButton*>(controle)) {
                QCOMPARE(botao->text(), QString::fromUtf8(item.legenda));
                QVERIFY(!botao->isDefault() && !botao->autoDefault());
            }
            if (auto* caixa = qobject_cast<QLineEdit*>(controle)) QVERIFY(!caixa->isReadOnly());
        }
        QCOMPARE(janela->windowTitle(), QStringLiteral("Relógio e Horário de Verão"));
        QVERIFY(janela->isWindow() && !janela->parentWidget() && !janela->isModal());
        QCOMPARE(Timer1()->interval(), 1000);
        QVERIFY(!Timer1()->isSingleShot());
        QCOMPARE(janela->size(), QSize(Twips(4680, janela), Twips(3195, janela)));
        QCOMPARE(janela->minimumSize(), janela->maximumSize());
        QStringList foraDoLugar;
        for (const auto& nome : LegendasQueNaoCabem(janela)) foraDoLugar << nome;
        QVERIFY2(foraDoLugar.isEmpty(), qPrintable(foraDoLugar.join(QStringLiteral(", "))));

        const QStringList esperado = {QStringLiteral("NData"), QStringLiteral("NHora"),     QStringLiteral("SetClock"),
                                      QStringLiteral("EHV"),   QStringLiteral("SHV"),       QStringLiteral("RespClock"),
                                      QStringLiteral("Text1")};
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(Caixa("Text1")));
        QStringList visitados;
        for (int i = 0; i < esperado.size(); ++i) {
            Tab(janela);
            visitados << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visitados, esperado);
    }
};

QTEST_MAIN(ClockTest)
#include "clock_tests.moc"
