// The day closed on the real simulated printer, attached to port 2,
// loaded by file name from the program's folder as the program loads it:
// found by the printer test, its Redução Z then found in the fiscal memory.
#include "operador.h"

#include <QDate>

using namespace tavorin;
using namespace tavorin::teste;

class TavorinE2E : public QObject {
    Q_OBJECT

private slots:
    void closingTheDay() {
        Bancada bancada(0, true);
        Form1* principal = bancada.principal.get();
        PoeAmbiente("ZUBSIM_PORTA", "2");
        QVERIFY(MostraEAtiva(principal));
        principal->Form_Load();
        // The printer's own date, as the printer test shows it.
        const QString texto2 = Textos(principal, "Text2"), hoje = texto2.mid(15, 8);
        QVERIFY2(texto2.startsWith("Horario Normal ") && QDate::fromString(hoje, "dd/MM/yy").isValid(),
                 qPrintable(texto2));

        // The day's Redução Z, then the fiscal memory read to LeitM.txt: the
        // printer's 8-bit text, a CR LF line per block.
        Responde("Sim");
        Clica(principal, "RedZ");
        Clica(principal, "NoArq");
        Clica(principal, "LMF");
        QCOMPARE(Textos(principal, "Text3"), QStringLiteral("Arquivo LeitM.txt gravado"));
        const QByteArray arquivo = QByteArray::fromStdString(LeArquivo("LeitM.txt"));
        QVERIFY2(arquivo.count("\r\nREDU\xC7\xC3O 0001  MOVIMENTO " + hoje.toLatin1() + "  COO ") == 1, arquivo.constData());
    }
};

QTEST_MAIN(TavorinE2E)
#include "tavorin_e2e.moc"
