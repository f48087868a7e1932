// The main window starting on the real simulated printer, loaded by file
// name from the program's folder as the program loads it.
#include "driver.h"
#include "link.h"
#include "operador.h"

#include <QDate>
#include <QElapsedTimer>

using namespace tavorin;
using namespace tavorin::teste;

class Form1E2E : public TesteJanela {
    Q_OBJECT

public:
    Form1E2E() : TesteJanela(0, true) {}

private slots:
    void startsOnThePrinterOnPort2() {
        PoeAmbiente("ZUBSIM_PORTA", "2");
        const QString hoje = QDate::currentDate().toString(QStringLiteral("dd/MM/yy"));
        QElapsedTimer relogio;
        relogio.start();
        principal->Form_Load();
        qInfo("printer test on the simulated printer: %lld ms", relogio.elapsed());

        QCOMPARE(Porta, 2);
        QCOMPARE(Texto("Text1"), QStringLiteral("com 2"));
        // The printer's clock is the host's (the day may turn meanwhile).
        const QString texto2 = Texto("Text2");
        QVERIFY2(texto2.startsWith("Horario Normal " + hoje) ||
                     texto2.startsWith("Horario Normal " + QDate::currentDate().toString(QStringLiteral("dd/MM/yy"))),
                 qPrintable(texto2));
        QCOMPARE(Textos("Reducao LEITX PAPEL Linha"), QStringLiteral("Não Efetuada|Não Efetuada|Com Papel|Conectada"));
        // The paper check's answer, as the printer sent it.
        QCOMPARE(Resposta.substr(0, 4), std::string("@+23"));
        QCOMPARE(Texto("Text3"), QString::fromLatin1(Resposta.c_str()));
        QCOMPARE(PortaAberta(), -1);
    }
};

QTEST_MAIN(Form1E2E)
#include "form1_e2e.moc"
