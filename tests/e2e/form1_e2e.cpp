// The main window starting on the real simulated printer, loaded by file
// name from the program's folder as the program loads it.
#include "ambiente.h"
#include "driver.h"
#include "form1.h"
#include "link.h"
#include "operador.h"

#include <QDate>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>

#include <memory>

using namespace tavorin;
using namespace tavorin::teste;

class Form1E2E : public QObject {
    Q_OBJECT

    std::unique_ptr<DiretorioTemporario> pasta;

    QString Caixa(const Form1& janela, const char* nome) { return Controle<QLineEdit>(&janela, nome)->text(); }

private slots:
    void init() {
        pasta = std::make_unique<DiretorioTemporario>();
        for (const char* nome : {"ZUBSIM_PORTA", "ZUBSIM_SEM_PAPEL", "ZUBSIM_FORA_DE_LINHA", "ZUBSIM_MUDA",
                                 "ZUBSIM_BAUD"})
            PoeAmbiente(nome, nullptr);
        PoeAmbiente("ZUBSIM_DIR", pasta->Caminho().string().c_str());
        InstalaDriver(nullptr);
        Porta = 0;
        Resposta.clear();
        Status.clear();
    }
    void cleanup() {
        FechaPortaAberta();
        pasta.reset();
    }

    void startsOnThePrinterOnPort2() {
        PoeAmbiente("ZUBSIM_PORTA", "2");
        const QDate hoje = QDate::currentDate();
        QElapsedTimer relogio;
        relogio.start();
        Form1 janela;
        janela.Form_Load();
        QVERIFY(MostraEAtiva(&janela));
        qInfo("main window loaded and shown on the simulated printer in %lld ms", relogio.elapsed());

        QCOMPARE(Porta, 2);
        QCOMPARE(Caixa(janela, "Text1"), QStringLiteral("com 2"));
        const QString relogioImpressora = Caixa(janela, "Text2");
        QVERIFY2(relogioImpressora.startsWith(QStringLiteral("Horario Normal ") + hoje.toString(QStringLiteral("dd/MM/yy"))) ||
                     relogioImpressora.startsWith(QStringLiteral("Horario Normal ") +
                                                  QDate::currentDate().toString(QStringLiteral("dd/MM/yy"))),
                 qPrintable(relogioImpressora));
        QCOMPARE(Caixa(janela, "Reducao"), QStringLiteral("Não Efetuada"));
        QCOMPARE(Caixa(janela, "LEITX"), QStringLiteral("Não Efetuada"));
        QCOMPARE(Caixa(janela, "PAPEL"), QStringLiteral("Com Papel"));
        QCOMPARE(Caixa(janela, "Linha"), QStringLiteral("Conectada"));
        // The paper check's answer, as the printer sent it.
        QCOMPARE(Caixa(janela, "Text3"), QString::fromLatin1(Resposta.c_str()));
        QCOMPARE(Resposta.substr(0, 4), std::string("@+23"));
        // The test closed the port.
        QCOMPARE(PortaAberta(), -1);
    }

    void outOfPaperAndOffLineShowInRed() {
        PoeAmbiente("ZUBSIM_SEM_PAPEL", "1");
        Form1 janela;
        janela.Form_Load();
        QCOMPARE(Caixa(janela, "Text1"), QStringLiteral("com 1"));
        QCOMPARE(Caixa(janela, "PAPEL"), QStringLiteral("Sem Papel"));
        QCOMPARE(CorDoTexto(Controle<QLineEdit>(&janela, "PAPEL")), QColor(255, 0, 0));

        PoeAmbiente("ZUBSIM_SEM_PAPEL", nullptr);
        PoeAmbiente("ZUBSIM_FORA_DE_LINHA", "1");
        Clica(Controle<QWidget>(&janela, "Command1"));
        QCOMPARE(Caixa(janela, "PAPEL"), QStringLiteral("Com Papel"));
        QCOMPARE(Caixa(janela, "Linha"), QStringLiteral("Fora de Linha"));
        QCOMPARE(CorDoTexto(Controle<QLineEdit>(&janela, "Linha")), QColor(255, 0, 0));
    }

    void noPrinterOnEitherPort() {
        PoeAmbiente("ZUBSIM_PORTA", "nenhuma");
        Form1 janela;
        janela.Form_Load();
        QCOMPARE(Caixa(janela, "Text2"), QStringLiteral("Impressora não Conectada"));
        QCOMPARE(Caixa(janela, "Text1"), QString());
        QCOMPARE(Porta, 0);
        QCOMPARE(Status, std::string("-"));
    }
};

QTEST_MAIN(Form1E2E)
#include "form1_e2e.moc"
