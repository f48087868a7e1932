// The coupon window and its launcher on the main window, driven against
// the fake driver.
#include "ambiente.h"
#include "caixa_texto.h"
#include "cupom.h"
#include "driver.h"
#include "fake_driver.h"
#include "form1.h"
#include "janela.h"
#include "link.h"
#include "operador.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

using namespace tavorin;
using namespace tavorin::teste;

namespace {

const QColor kRed(255, 0, 0);
const QColor kBlack(0, 0, 0);

// The printer is on port 2, so a window that sent to another port shows.
constexpr int16_t kPorta = 2;

const std::string kItem = ".0112345678901230001000000000100            PRODUTO DE QUALIDADE    T01";
const std::string kPagamento = ".1001000000010000";

// A ".23" answer with the printer state at position 6.
std::string Status23(char estado) {
    std::string linha = "{+23 0000000000000000000";
    linha[5] = estado;
    return linha;
}

// Any other command is answered with a line naming it, so a test sees
// whose answer a box shows.
std::string RespostaA(const std::string& comando) { return "{+ respondeu a [" + comando + "]"; }

// Records the text a box had each time it was painted.
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

class CupomTest : public QObject {
    Q_OBJECT

    std::unique_ptr<DiretorioTemporario> pasta;
    std::unique_ptr<FakeDriver> driver;
    std::unique_ptr<Form1> principal;
    std::string resposta23;

    Cupom* Janela() { return principal->JanelaCupom(); }
    QLineEdit* Caixa(const char* nome) { return Controle<QLineEdit>(Janela(), nome); }
    QPushButton* Botao(const char* nome) { return Controle<QPushButton>(Janela(), nome); }
    void CupomFiscal() { Clica(Controle<QPushButton>(principal.get(), "Command6")); }

    void Confere(const std::vector<Chamada>& esperado) {
        QVERIFY2(driver->chamadas == esperado, Descreve(driver->chamadas).c_str());
    }

    // Lets Qt delete a window closed from its title bar.
    static void ApagaJanelasFechadas() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

private slots:
    void init() {
        pasta = std::make_unique<DiretorioTemporario>();
        driver = std::make_unique<FakeDriver>();
        Porta = kPorta;
        Resposta.clear();
        Status.clear();
        resposta23 = Status23('0');
        driver->porComando = [this](int16_t, const std::string& comando) -> std::optional<Atendimento> {
            if (comando == ".23") return Atendimento{resposta23, 0, {}};
            return Atendimento{RespostaA(comando), 0, {}};
        };
        principal = std::make_unique<Form1>();
        QVERIFY(MostraEAtiva(principal.get()));
        CupomFiscal();
        QVERIFY(Janela());
        QVERIFY(QTest::qWaitForWindowActive(Janela()));
        driver->Limpa();
    }
    void cleanup() {
        principal.reset();
        ApagaJanelasFechadas();
        driver.reset();
        pasta.reset();
    }

    // Every command button asks for the state with ".23" first, and sends
    // its own command only when the printer has paper and is on line.
    void commandButtons_data() {
        QTest::addColumn<QString>("botao");
        QTest::addColumn<QString>("digitado");
        QTest::addColumn<QString>("comando");
        QTest::addColumn<int>("espera");
        QTest::addColumn<QString>("estado");
        QTest::addColumn<QString>("texto1");
        QTest::addColumn<bool>("enviado");

        struct Botao {
            const char* nome;
            const char* digitado;
            std::string comando;
            int espera;
        };
        const Botao botoes[] = {
            {"Abrir", "", ".17", 3},          {"Item", "", kItem, 10},
            {"Pagar", "", kPagamento, 3},     {"Fechar", "", ".12", 10},
            {"Comando", ".5609", ".5609", 10},
        };
        struct Estado {
            const char* nome;
            std::string resposta;
            const char* texto1;  // null: the command's answer
        };
        const Estado estados[] = {
            {"ready", Status23('0'), nullptr},
            {"out of paper", Status23('5'), "Sem Papel"},
            {"off line", Status23('1'), "Fora de Linha"},
            {"short answer counts as ready", "{+23", nullptr},
            {"refused check is still read", "{-23 5", "Sem Papel"},
            {"any other state is ready", Status23('9'), nullptr},
        };
        for (const Botao& b : botoes)
            for (const Estado& e : estados) {
                const bool enviado = e.texto1 == nullptr;
                QTest::addRow("%s, %s", b.nome, e.nome)
                    << QString::fromLatin1(b.nome) << QString::fromLatin1(b.digitado)
                    << QString::fromStdString(b.comando) << b.espera << QString::fromStdString(e.resposta)
                    << (enviado ? QString::fromStdString(RespostaA(b.comando)) : QString::fromLatin1(e.texto1))
                    << enviado;
            }
    }
    void commandButtons() {
        QFETCH(QString, botao);
        QFETCH(QString, digitado);
        QFETCH(QString, comando);
        QFETCH(int, espera);
        QFETCH(QString, estado);
        QFETCH(QString, texto1);
        QFETCH(bool, enviado);
        if (!digitado.isEmpty()) Digita(Caixa("Text2"), digitado);

        // An earlier check left Text1 red: a ready printer turns it black.
        driver->Enfileira(".23", Status23('5'));
        Clica(Botao("Abrir"));
        QCOMPARE(CorDoTexto(Caixa("Text1")), kRed);
        driver->Limpa();

        resposta23 = estado.toStdString();
        Pinturas pinturas(Caixa("Text1"));
        QStringList vistoAoEnviar;
        driver->durante = [&](const Chamada& chamada) {
            // The emptied box is painted before the first command blocks.
            if (chamada.comando == ".23") QVERIFY(!pinturas.textos.isEmpty() && pinturas.textos.last().isEmpty());
            vistoAoEnviar << Caixa("Text1")->text();
        };
        Clica(Botao(botao.toLatin1().constData()));

        std::vector<Chamada> esperado = {ChTXRX(kPorta, 3, ".23")};
        if (enviado) esperado.push_back(ChTXRX(kPorta, static_cast<int16_t>(espera), comando.toStdString()));
        Confere(esperado);
        QCOMPARE(Caixa("Text1")->text(), texto1);
        QCOMPARE(CorDoTexto(Caixa("Text1")), enviado ? kBlack : kRed);
        if (enviado) QCOMPARE(vistoAoEnviar, QStringList({QString(), QStringLiteral("Com Papel")}));
        // The link holds the last answer: the command's, or the check's.
        QCOMPARE(QString::fromStdString(Resposta), enviado ? texto1 : estado);
    }

    // The free command goes out exactly as typed, as 8-bit text.
    void comandoAsTyped_data() {
        QTest::addColumn<QString>("digitado");
        QTest::addColumn<QByteArray>("enviado");
        QTest::newRow("empty") << QString() << QByteArray();
        QTest::newRow("blanks kept") << QStringLiteral("  .28 ") << QByteArray("  .28 ");
        QTest::newRow("no dot added") << QStringLiteral("28") << QByteArray("28");
        QTest::newRow("accents in the code page") << QStringLiteral(".99ção€") << QByteArray(".99\xE7\xE3o\x80");
    }
    void comandoAsTyped() {
        QFETCH(QString, digitado);
        QFETCH(QByteArray, enviado);
        // Key by key with the character's text, as a keyboard layout sends
        // letters that have no key of their own.
        Clica(Caixa("Text2"));
        for (QChar c : digitado) QTest::sendKeyEvent(QTest::Click, Caixa("Text2"), Qt::Key_unknown, QString(c), {});
        Clica(Botao("Comando"));
        Confere({ChTXRX(kPorta, 3, ".23"), ChTXRX(kPorta, 10, enviado.toStdString())});
        QCOMPARE(Caixa("Text2")->text(), digitado);
    }

    // "Fechar" closes the port and hides the window; "Cupom Fiscal" opens
    // the port again and shows the same window with its boxes as they were.
    void fecharThenCupomFiscalKeepsContents() {
        Cupom* janela = Janela();
        Digita(Caixa("Text2"), QStringLiteral(".28"));
        Clica(Botao("Abrir"));
        const QString resposta = Caixa("Text1")->text();
        QCOMPARE(resposta, QString::fromStdString(RespostaA(".17")));
        driver->Limpa();

        Clica(Botao("Command1"));
        Confere({ChFecha(kPorta)});
        QVERIFY(!janela->isVisible());
        QCOMPARE(PortaAberta(), -1);
        ApagaJanelasFechadas();
        QCOMPARE(Janela(), janela);

        driver->Limpa();
        CupomFiscal();
        Confere({ChAbre(kPorta)});
        QCOMPARE(Janela(), janela);
        QVERIFY(janela->isVisible());
        QCOMPARE(Caixa("Text1")->text(), resposta);
        QCOMPARE(Caixa("Text2")->text(), QStringLiteral(".28"));
        QCOMPARE(PortaAberta(), int32_t(kPorta));
    }

    // Pressed while the window is shown: the port is opened again, without
    // closing it first, and the same window comes forward.
    void cupomFiscalWhileShown() {
        Cupom* janela = Janela();
        Digita(Caixa("Text2"), QStringLiteral("abc"));
        QVERIFY(MostraEAtiva(principal.get()));
        CupomFiscal();
        Confere({ChAbre(kPorta)});
        QCOMPARE(Janela(), janela);
        QVERIFY(QTest::qWaitForWindowActive(janela));
        QCOMPARE(Caixa("Text2")->text(), QStringLiteral("abc"));
    }

    // Closed from its title bar the window runs nothing (the port stays
    // open) and comes back empty, whether or not Qt has deleted it yet.
    void titleBarClose_data() {
        QTest::addColumn<bool>("apagadaAntes");
        QTest::newRow("deleted before the next show") << true;
        QTest::newRow("shown again at once") << false;
    }
    void titleBarClose() {
        QFETCH(bool, apagadaAntes);
        Digita(Caixa("Text2"), QStringLiteral("abc"));
        Clica(Botao("Abrir"));
        driver->Limpa();

        QVERIFY(Janela()->close());
        Confere({});
        QCOMPARE(PortaAberta(), int32_t(kPorta));
        if (apagadaAntes) {
            ApagaJanelasFechadas();
            QVERIFY(!Janela());
        }
        CupomFiscal();
        Confere({ChAbre(kPorta)});
        QVERIFY(Janela() && Janela()->isVisible());
        QVERIFY(QTest::qWaitForWindowActive(Janela()));
        QCOMPARE(Caixa("Text1")->text(), QString());
        QCOMPARE(Caixa("Text2")->text(), QString());
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(Botao("Abrir")));
        ApagaJanelasFechadas();
        QVERIFY(Janela() && Janela()->isVisible());
    }

    void layoutFromTheDesign() {
        struct Item {
            const char* nome;
            const char* legenda;
            int esquerda, topo, largura, altura, tab;
        };
        const Item itens[] = {
            {"Abrir", "Abrir", 360, 120, 1455, 375, 0},
            {"Item", "Item", 360, 600, 1455, 375, 1},
            {"Pagar", "Pagar R$100,00", 360, 1080, 1455, 375, 2},
            {"Fechar", "Fechar Cupom", 360, 1560, 1455, 375, 3},
            {"Command1", "Fechar", 3840, 2640, 735, 495, 4},
            {"Text1", "", 360, 2280, 3255, 375, 5},
            {"Text2", "", 2280, 1080, 2295, 375, 6},
            {"Comando", "Comando", 2280, 1560, 855, 375, 7},
        };
        Cupom* janela = Janela();
        for (const auto& item : itens) {
            auto* controle = janela->findChild<QWidget*>(QString::fromLatin1(item.nome));
            QVERIFY2(controle, item.nome);
            QCOMPARE(controle->parentWidget(), static_cast<QWidget*>(janela));
            QCOMPARE(controle->geometry(), QRect(Twips(item.esquerda, controle), Twips(item.topo, controle),
                                                 Twips(item.largura, controle), Twips(item.altura, controle)));
            QCOMPARE(controle->property("TabIndex").toInt(), item.tab);
            QCOMPARE(Texto(janela, item.nome), QString::fromUtf8(item.legenda));
            if (auto* botao = qobject_cast<QPushButton*>(controle)) {
                QVERIFY(!botao->isDefault() && !botao->autoDefault());
                QCOMPARE(botao->shortcut(), QKeySequence());
            }
        }
        QCOMPARE(janela->windowTitle(), QStringLiteral("Cupom"));
        // A window of its own, modeless beside the main window.
        QVERIFY(janela->isWindow() && !janela->parentWidget() && !janela->isModal());
        QCOMPARE(janela->size(), QSize(Twips(4680, janela), Twips(3195, janela)));
        QCOMPARE(janela->minimumSize(), janela->maximumSize());
        // Both boxes take text of any length.
        QCOMPARE(janela->findChild<CaixaTexto*>(QStringLiteral("Text2"))->Limite(), 0);
        QCOMPARE(janela->findChild<CaixaTexto*>(QStringLiteral("Text1"))->Limite(), 0);
        QStringList foraDoLugar;
        for (const auto& nome : LegendasQueNaoCabem(janela)) foraDoLugar << nome;
        QVERIFY2(foraDoLugar.isEmpty(), qPrintable(foraDoLugar.join(QStringLiteral(", "))));
    }

    // First shown with the focus on "Abrir"; Tab follows the design.
    void focusAndTabOrder() {
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(Botao("Abrir")));
        const QStringList esperado = {QStringLiteral("Item"),  QStringLiteral("Pagar"),   QStringLiteral("Fechar"),
                                      QStringLiteral("Command1"), QStringLiteral("Text1"), QStringLiteral("Text2"),
                                      QStringLiteral("Comando"),  QStringLiteral("Abrir")};
        QStringList visitados;
        for (int i = 0; i < esperado.size(); ++i) {
            Tab(Janela());
            visitados << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visitados, esperado);
    }
};

QTEST_MAIN(CupomTest)
#include "cupom_tests.moc"
