// The coupon window and its launcher on the main window, driven against
// the fake driver.
#include "cupom.h"
#include "driver.h"
#include "janela.h"
#include "operador.h"
#include "texto8.h"

using namespace tavorin;
using namespace tavorin::teste;

namespace {

// Any command but ".23" is answered with a line naming it, so a test sees
// whose answer a box shows.
std::string RespostaA(const std::string& comando) { return "{+ respondeu a [" + comando + "]"; }

struct Botao {
    const char* nome;
    QString digitado;  // into Text2
    std::string comando;
    int16_t espera;
    std::string estado;  // the ".23" answer
    QString vermelho;    // null: the command goes out
};

}  // namespace

Q_DECLARE_METATYPE(Botao)

class CupomTest : public TesteJanela {
    Q_OBJECT

public:
    // The printer is on port 2, so a window that sent to another port shows.
    CupomTest() : TesteJanela(2) {}

private:
    std::string resposta23;

    QWidget* Janela() override { return principal->JanelaCupom(); }
    void Prepara() override {
        resposta23 = Status23('0');
        driver->porComando = [this](int16_t, const std::string& comando) {
            return std::optional(Atendimento{comando == ".23" ? resposta23 : RespostaA(comando), 0});
        };
        CupomFiscal();
        driver->Limpa();
    }
    void CupomFiscal() {
        Clique("Command6", principal.get());
        QVERIFY(Janela() && QTest::qWaitForWindowActive(Janela()));
    }

private slots:
    // Every button asks for the state with ".23" first, and sends its own
    // command, with its wait limit, only when the printer has paper and is
    // on line. "Comando" sends Text2 exactly as typed, as 8-bit text.
    void commandButtons_data() {
        QTest::addColumn<Botao>("caso");
        const std::string pronta = Status23('0');
        QTest::newRow("Abrir") << Botao{"Abrir", "", ".17", 3, pronta, {}};
        QTest::newRow("Item") << Botao{"Item", "", kItem, 10, pronta, {}};
        QTest::newRow("Pagar") << Botao{"Pagar", "", kPaga100, 3, pronta, {}};
        QTest::newRow("Fechar Cupom") << Botao{"Fechar", "", ".12", 10, pronta, {}};
        QTest::newRow("Comando, empty") << Botao{"Comando", "", "", 10, pronta, {}};
        QTest::newRow("Comando, blanks and accents") << Botao{"Comando", " .99ção€ ", " .99\xE7\xE3o\x80 ", 10, pronta, {}};
        QTest::newRow("out of paper") << Botao{"Abrir", "", ".17", 3, Status23('5'), "Sem Papel"};
        QTest::newRow("off line") << Botao{"Item", "", kItem, 10, Status23('1'), "Fora de Linha"};
        QTest::newRow("a refused check is read all the same") << Botao{"Fechar", "", ".12", 10, "{-23 5", "Sem Papel"};
        QTest::newRow("a short check lets the command go") << Botao{"Pagar", "", kPaga100, 3, "{+23", {}};
        QTest::newRow("any other state lets it go") << Botao{"Comando", ".5609", ".5609", 10, Status23('9'), {}};
    }
    void commandButtons() {
        QFETCH(Botao, caso);
        // Key by key with the character's text, as a keyboard layout sends
        // letters that have no key of their own.
        Clica(Caixa("Text2"));
        for (QChar c : caso.digitado) QTest::sendKeyEvent(QTest::Click, Caixa("Text2"), Qt::Key_unknown, QString(c), {});
        // An earlier check left Text1 red: a ready printer turns it black.
        driver->Enfileira(".23", Status23('5'));
        Clique("Abrir");
        QCOMPARE(CorDoTexto(Caixa("Text1")), kVermelho);
        driver->Limpa();
        resposta23 = caso.estado;
        Observa(Caixa("Text1"));
        Clique(caso.nome);

        if (!caso.vermelho.isNull()) {
            CONFERE({ChTXRX(2, 3, ".23")});
            QCOMPARE(Texto("Text1"), caso.vermelho);
            QCOMPARE(CorDoTexto(Caixa("Text1")), kVermelho);
            return;
        }
        CONFERE({ChTXRX(2, 3, ".23"), ChTXRX(2, caso.espera, caso.comando)});
        // The emptied box is painted before the check blocks.
        QCOMPARE(vistos, QStringList({"", ""}));
        QCOMPARE(Textos("Text1 Text2"), DoDriver(RespostaA(caso.comando)) + '|' + caso.digitado);
        QCOMPARE(CorDoTexto(Caixa("Text1")), kPreto);
    }

    // "Cupom Fiscal" while the window is shown opens the port again,
    // without closing it. "Fechar" closes the port and hides the window;
    // "Cupom Fiscal" opens the port and shows the same window as it was.
    void fecharAndCupomFiscal() {
        QWidget* janela = Janela();
        Digita(Caixa("Text2"), QStringLiteral(".28"));
        Clique("Abrir");
        QVERIFY(MostraEAtiva(principal.get()));
        CupomFiscal();
        Clique("Command1");
        QVERIFY(!janela->isVisible());
        QCOMPARE(PortaAberta(), -1);
        ApagaJanelasFechadas();
        CupomFiscal();
        CONFERE({ChTXRX(2, 3, ".23"), ChTXRX(2, 3, ".17"), ChAbre(2), ChFecha(2), ChAbre(2)});
        QCOMPARE(Janela(), janela);
        QCOMPARE(Textos("Text1 Text2"), QString::fromStdString(RespostaA(".17")) + "|.28");
        QCOMPARE(PortaAberta(), 2);
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
        Clique("Abrir");
        driver->Limpa();
        QVERIFY(Janela()->close());
        if (apagadaAntes) ApagaJanelasFechadas();
        QCOMPARE(PortaAberta(), 2);
        CupomFiscal();
        ApagaJanelasFechadas();
        CONFERE({ChAbre(2)});
        QVERIFY(Janela() && Janela()->isVisible());
        QCOMPARE(Textos("Text1 Text2"), QStringLiteral("|"));
        QCOMPARE(QApplication::focusWidget(), Controle<QWidget>(Janela(), "Abrir"));
    }
};

QTEST_MAIN(CupomTest)
#include "cupom_tests.moc"
