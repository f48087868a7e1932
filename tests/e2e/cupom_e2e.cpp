// The coupon window on the real simulated printer: a whole coupon, then the
// counters read by "Lê" on the main window.
#include "ambiente.h"
#include "cupom.h"
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

namespace {

const QColor kRed(255, 0, 0);
const QColor kBlack(0, 0, 0);

}  // namespace

class CupomE2E : public QObject {
    Q_OBJECT

    std::unique_ptr<DiretorioTemporario> pasta;
    std::unique_ptr<Form1> principal;

    QString Caixa(const char* nome) { return Controle<QLineEdit>(principal->JanelaCupom(), nome)->text(); }
    void Botao(const char* nome) { Clica(Controle<QPushButton>(principal->JanelaCupom(), nome)); }
    void Principal(const char* nome) { Clica(Controle<QPushButton>(principal.get(), nome)); }
    QString NoPrincipal(const char* nome) { return Controle<QLineEdit>(principal.get(), nome)->text(); }

    // The answer in Text1: its status and error code.
    QString Desfecho() {
        const QString linha = Caixa("Text1");
        return linha.mid(1, 1) + QLatin1Char(' ') + linha.mid(20, 2);
    }

    void Inicia() {
        principal = std::make_unique<Form1>();
        principal->Form_Load();
        QVERIFY(MostraEAtiva(principal.get()));
        Principal("Command6");
        QVERIFY(principal->JanelaCupom());
    }

private slots:
    void init() {
        pasta = std::make_unique<DiretorioTemporario>();
        for (const char* nome : {"ZUBSIM_PORTA", "ZUBSIM_SEM_PAPEL", "ZUBSIM_FORA_DE_LINHA", "ZUBSIM_MUDA",
                                 "ZUBSIM_BAUD"})
            PoeAmbiente(nome, nullptr);
        PoeAmbiente("ZUBSIM_DIR", pasta->Caminho().string().c_str());
        // The printer on port 2, so every command must follow the port
        // that the printer test found.
        PoeAmbiente("ZUBSIM_PORTA", "2");
        InstalaDriver(nullptr);
        Porta = 0;
        Resposta.clear();
        Status.clear();
    }
    void cleanup() {
        principal.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        FechaPortaAberta();
        pasta.reset();
    }

    void wholeCouponThenCounters() {
        Inicia();
        QCOMPARE(Porta, 2);
        Principal("Command5");
        const int coo = NoPrincipal("COO").toInt();
        const int ccf = NoPrincipal("CCF").toInt();
        // "Lê" closed the port: the coupon window needs it open again.
        Principal("Command6");
        const QString texto3 = NoPrincipal("Text3");

        const char* passos[] = {"Abrir", "Item", "Pagar", "Fechar"};
        const char* codigos[] = {"17", "01", "10", "12"};
        for (int i = 0; i < 4; ++i) {
            Botao(passos[i]);
            QCOMPARE(Desfecho(), QStringLiteral("+ 00"));
            QCOMPARE(Caixa("Text1").mid(2, 2), QString::fromLatin1(codigos[i]));
            QCOMPARE(CorDoTexto(Controle<QLineEdit>(principal->JanelaCupom(), "Text1")), kBlack);
        }
        Botao("Command1");
        QVERIFY(!principal->JanelaCupom()->isVisible());
        QCOMPARE(PortaAberta(), -1);

        Principal("Command5");
        QCOMPARE(NoPrincipal("COO"), QStringLiteral("%1").arg(coo + 1, 4, 10, QLatin1Char('0')));
        QCOMPARE(NoPrincipal("CCF"), QStringLiteral("%1").arg(ccf + 1, 4, 10, QLatin1Char('0')));
        QCOMPARE(NoPrincipal("Text3"), texto3);

        // The printed coupon: the item, the payment and the change.
        const QString bobina = QString::fromStdString(LeArquivo(pasta->Caminho() / "ZubSim-bobina.txt"));
        QVERIFY2(bobina.contains(QStringLiteral("PRODUTO DE QUALIDADE")), qPrintable(bobina));
        QVERIFY2(bobina.contains(QStringLiteral("100,00")), qPrintable(bobina));
        QVERIFY2(bobina.contains(QStringLiteral("99,00")), qPrintable(bobina));
    }

    // The window sends each step whenever asked; the printer refuses the
    // steps out of order, each with its own code, and the window shows it.
    void stepsOutOfOrder() {
        Inicia();
        const struct {
            const char* botao;
            const char* desfecho;
        } passos[] = {
            {"Item", "- 15"},   {"Pagar", "- 15"},  {"Fechar", "- 15"}, {"Abrir", "+ 00"},
            {"Pagar", "- 16"},  {"Fechar", "- 16"}, {"Item", "+ 00"},   {"Fechar", "- 17"},
            {"Abrir", "- 14"},  {"Pagar", "+ 00"},  {"Item", "- 20"},   {"Pagar", "- 21"},
            {"Fechar", "+ 00"}, {"Pagar", "- 15"},
        };
        for (const auto& passo : passos) {
            Botao(passo.botao);
            QVERIFY2(Desfecho() == QLatin1String(passo.desfecho),
                     qPrintable(QStringLiteral("%1: %2").arg(QLatin1String(passo.botao), Caixa("Text1"))));
        }
    }

    void freeCommand_data() {
        QTest::addColumn<QString>("digitado");
        QTest::addColumn<QString>("inicio");
        QTest::newRow("counter query") << ".5609" << "@+56";
        QTest::newRow("unknown code") << ".99" << "@-99";
        QTest::newRow("empty") << "" << "@-??";
        QTest::newRow("blank after the command") << ".28 " << "@-28";
    }
    void freeCommand() {
        QFETCH(QString, digitado);
        QFETCH(QString, inicio);
        Inicia();
        Digita(Controle<QLineEdit>(principal->JanelaCupom(), "Text2"), digitado);
        Botao("Comando");
        QVERIFY2(Caixa("Text1").startsWith(inicio), qPrintable(Caixa("Text1")));
    }

    // No paper or off line: the red word, and no coupon is opened.
    void printerNotReady_data() {
        QTest::addColumn<QByteArray>("variavel");
        QTest::addColumn<QString>("palavra");
        QTest::newRow("out of paper") << QByteArray("ZUBSIM_SEM_PAPEL") << "Sem Papel";
        QTest::newRow("off line") << QByteArray("ZUBSIM_FORA_DE_LINHA") << "Fora de Linha";
    }
    void printerNotReady() {
        QFETCH(QByteArray, variavel);
        QFETCH(QString, palavra);
        Inicia();
        Principal("Command5");
        const QString coo = NoPrincipal("COO");
        PoeAmbiente(variavel.constData(), "1");
        // The simulated printer reads its settings when the port opens.
        Principal("Command6");
        Botao("Abrir");
        QCOMPARE(Caixa("Text1"), palavra);
        QCOMPARE(CorDoTexto(Controle<QLineEdit>(principal->JanelaCupom(), "Text1")), kRed);
        PoeAmbiente(variavel.constData(), nullptr);
        Principal("Command5");
        QCOMPARE(NoPrincipal("COO"), coo);
    }
};

QTEST_MAIN(CupomE2E)
#include "cupom_e2e.moc"
