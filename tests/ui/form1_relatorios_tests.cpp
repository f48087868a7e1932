// The main window's daily reports, drawer and counters, clicked as an
// operator does, against the fake driver.
#include "operador.h"

using namespace tavorin;
using namespace tavorin::teste;

class Form1RelatoriosTest : public TesteJanela {
    Q_OBJECT

public:
    // The printer test found the printer on port 2.
    Form1RelatoriosTest() : TesteJanela(2) {}

private slots:
    // The progress text painted while the command blocks, then Resultado.
    void oneCommandButtons_data() {
        QTest::addColumn<QString>("botao");
        QTest::addColumn<QString>("progresso");
        QTest::addColumn<QString>("comando");
        QTest::addColumn<QString>("resposta");  // null: the driver writes no answer
        QTest::addColumn<QString>("texto3");
        const QString aceito = QString::fromStdString(Linha('+', {{3, "13"}}) + "LEITURA X");
        QTest::newRow("drawer") << "Command2" << "Abre gaveta" << ".21" << aceito << aceito;
        QTest::newRow("Leitura X, no answer") << "Command4" << "Leitura X" << ".13" << QString() << "ERRO ";
        QTest::newRow("Redução Z refused") << "RedZ" << "Redução Z" << ".14" << QString::fromStdString(Erro("13"))
                                           << "ERRO 13";
    }
    void oneCommandButtons() {
        QFETCH(QString, botao);
        QFETCH(QString, progresso);
        QFETCH(QString, comando);
        QFETCH(QString, resposta);
        QFETCH(QString, texto3);
        const std::string cmd = comando.toStdString();
        driver->Enfileira(cmd, Atendimento{resposta.isNull() ? std::nullopt : std::optional(resposta.toStdString())});
        Caixa("Text3")->setText(QStringLiteral("anterior"));
        Observa(Caixa("Text3"), [this] { return Texto("Text3"); });
        Clique(botao.toLatin1().constData());
        CONFERE({ChAbre(2), ChTXRX(2, 180, cmd), ChFecha(2)});
        QCOMPARE(vistos, QStringList{progresso + '|' + progresso});
        QCOMPARE(Texto("Text3"), texto3);
    }

    // "Lê" copies the counters from their positions as the printer sent
    // them, whatever the status, and leaves Text3 alone.
    void counters_data() {
        QTest::addColumn<QByteArray>("resposta5609");
        QTest::addColumn<QByteArray>("resposta271");
        QTest::addColumn<QString>("contadores");
        const QByteArray ccf = Bytes(Linha('+', {{115, "0456"}}));
        QTest::newRow("both counters") << Bytes(Linha('+', {{5, "0123"}}, 30)) << ccf << "0123|0456";
        QTest::newRow("COO answer of 4 characters: empty") << QByteArray("{+56") << ccf << "|0456";
        QTest::newRow("answers cut short: short counters") << QByteArray("{+5601") << ccf.left(116) << "01|04";
        QTest::newRow("refused answers are copied all the same")
            << Bytes(Linha('-', {{5, "9 9 "}})) << Bytes(Linha('-', {{115, "ERRO"}})) << "9 9 |ERRO";
        QTest::newRow("8-bit counters in the code page")
            << QByteArray("{+56\xC7\xC3\x80" "1") << Bytes(Linha('+', {{115, "\xE9\xE7\xE3\xF5"}})) << "ÇÃ€1|éçãõ";
    }
    void counters() {
        QFETCH(QByteArray, resposta5609);
        QFETCH(QByteArray, resposta271);
        QFETCH(QString, contadores);
        driver->Enfileira(".5609", resposta5609.toStdString());
        driver->Enfileira(".271", resposta271.toStdString());
        Caixa("COO")->setText(QStringLiteral("old1"));
        Caixa("CCF")->setText(QStringLiteral("old2"));
        Caixa("Text3")->setText(QStringLiteral("anterior"));
        QApplication::processEvents();
        Observa(Caixa("Text3"));
        Clique("Command5");
        CONFERE({ChAbre(2), ChTXRX(2, 10, ".5609"), ChTXRX(2, 10, ".271"), ChFecha(2)});
        QCOMPARE(Textos("COO CCF Text3"), contadores + "|anterior");
        QCOMPARE(vistos, QStringList({"?", "?"}));  // Text3 not painted again
    }
};

QTEST_MAIN(Form1RelatoriosTest)
#include "form1_relatorios_tests.moc"
