// The coupon window on the real simulated printer: a whole coupon, then
// the counters read by "Lê" on the main window.
#include "cupom.h"
#include "driver.h"
#include "link.h"
#include "operador.h"

using namespace tavorin;
using namespace tavorin::teste;

class CupomE2E : public TesteJanela {
    Q_OBJECT

public:
    CupomE2E() : TesteJanela(0, true) {}

private:
    QWidget* Janela() override { return principal->JanelaCupom(); }
    // The printer on port 2: every command must follow the port that the
    // printer test found.
    void Prepara() override {
        PoeAmbiente("ZUBSIM_PORTA", "2");
        principal->Form_Load();
        QCOMPARE(Porta, 2);
    }

private slots:
    void wholeCouponThenCounters() {
        Clique("Command5", principal.get());
        const int coo = Texto("COO", principal.get()).toInt(), ccf = Texto("CCF", principal.get()).toInt();
        const QString texto3 = Texto("Text3", principal.get());
        // "Lê" closed the port; "Cupom Fiscal" opens it again.
        Clique("Command6", principal.get());
        const char* const passos[] = {"Abrir", "Item", "Pagar", "Fechar"};
        const char* const codigos[] = {"17", "01", "10", "12"};
        for (int i = 0; i < 4; ++i) {
            Clique(passos[i]);
            const QString linha = Texto("Text1");
            QCOMPARE(linha.left(4) + linha.mid(20, 2), QStringLiteral("@+%1").arg(QLatin1String(codigos[i])) + "00");
        }
        Clique("Command1");
        QVERIFY(!Janela()->isVisible());
        QCOMPARE(PortaAberta(), -1);

        Clique("Command5", principal.get());
        QCOMPARE(Textos("COO CCF Text3", principal.get()), QStringLiteral("%1|%2|")
                                                                 .arg(coo + 1, 4, 10, QLatin1Char('0'))
                                                                 .arg(ccf + 1, 4, 10, QLatin1Char('0')) + texto3);
        const QString bobina = QString::fromStdString(LeArquivo(pasta->Caminho() / "ZubSim-bobina.txt"));
        for (const char* impresso : {"PRODUTO DE QUALIDADE", "100,00", "99,00"})
            QVERIFY2(bobina.contains(QLatin1String(impresso)), qPrintable(bobina));
    }
};

QTEST_MAIN(CupomE2E)
#include "cupom_e2e.moc"
