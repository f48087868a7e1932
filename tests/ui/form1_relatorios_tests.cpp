// The main window's daily reports, drawer and counters, clicked as an
// operator does, against the fake driver.
#include "link.h"
#include "operador.h"

using namespace tavorin;
using namespace tavorin::teste;

class Form1RelatoriosTest : public TesteJanela {
    Q_OBJECT

public:
    // The printer test found the printer on port 2.
    Form1RelatoriosTest() : TesteJanela(2) {}

private slots:
    void oneCommandButtons_data() {
        QTest::addColumn<QString>("botao");
        QTest::addColumn<QString>("progresso");
        QTest::addColumn<QString>("comando");
        QTest::addColumn<bool>("comResposta");
        QTest::addColumn<QString>("resposta");
        QTest::addColumn<QString>("texto3");
        const QString gaveta = QString::fromStdString(Linha('+', {{3, "21"}}));
        const QString leituraX = QString::fromStdString(Linha('+', {{3, "13"}}) + "LEITURA X");
        QTest::newRow("drawer") << "Command2" << "Abre gaveta" << ".21" << true << gaveta << gaveta;
        QTest::newRow("Leitura X") << "Command4" << "Leitura X" << ".13" << true << leituraX << leituraX;
        QTest::newRow("Redução Z refused") << "RedZ" << "Redução Z" << ".14" << true
                                           << QString::fromStdString(Erro("13")) << "ERRO 13";
        QTest::newRow("driver wrote no answer") << "Command2" << "Abre gaveta" << ".21" << false << QString()
                                                << "ERRO ";
    }
    void oneCommandButtons() {
        QFETCH(QString, botao);
        QFETCH(QString, progresso);
        QFETCH(QString, comando);
        QFETCH(bool, comResposta);
        QFETCH(QString, resposta);
        QFETCH(QString, texto3);
        const std::string cmd = comando.toStdString();
        driver->Enfileira(cmd, Atendimento{comResposta ? std::optional<std::string>(resposta.toStdString())
                                                       : std::nullopt, 0, {}});
        Caixa("Text3")->setText(QStringLiteral("anterior"));
        Pinturas pinturas(Caixa("Text3"));
        QString pintadoDurante, textoDurante;
        driver->durante = [&](const Chamada&) {
            pintadoDurante = pinturas.Ultima();
            textoDurante = Texto("Text3");
        };

        Clique(botao.toLatin1().constData());

        CONFERE({ChAbre(2), ChTXRX(2, 180, cmd), ChFecha(2)});
        QCOMPARE(textoDurante, progresso);
        QCOMPARE(pintadoDurante, progresso);
        QCOMPARE(Texto("Text3"), texto3);
    }

    // "Lê" copies the counters from their positions as the printer sent
    // them, whatever the status, and leaves Text3 alone.
    void counters_data() {
        QTest::addColumn<QByteArray>("resposta5609");
        QTest::addColumn<QByteArray>("resposta271");
        QTest::addColumn<QString>("coo");
        QTest::addColumn<QString>("ccf");
        const std::string coo = Linha('+', {{5, "0123"}}, 30);
        const std::string ccf = Linha('+', {{115, "0456"}}, 128);
        QTest::newRow("both counters") << Bytes(coo) << Bytes(ccf) << "0123" << "0456";
        QTest::newRow("COO answer of 4 characters: empty") << QByteArray("{+56") << Bytes(ccf) << "" << "0456";
        QTest::newRow("answers cut short: short counters")
            << QByteArray("{+5601") << Bytes(ccf.substr(0, 116)) << "01" << "04";
        QTest::newRow("refused answers are copied all the same")
            << Bytes(Linha('-', {{5, "9 9 "}})) << Bytes(Linha('-', {{115, "ERRO"}})) << "9 9 " << "ERRO";
        QTest::newRow("8-bit counters in the code page")
            << QByteArray("{+56\xC7\xC3\x80" "1") << Bytes(Linha('+', {{115, "\xE9\xE7\xE3\xF5"}}))
            << "ÇÃ€1" << "éçãõ";
    }
    void counters() {
        QFETCH(QByteArray, resposta5609);
        QFETCH(QByteArray, resposta271);
        QFETCH(QString, coo);
        QFETCH(QString, ccf);
        driver->Enfileira(".5609", resposta5609.toStdString());
        driver->Enfileira(".271", resposta271.toStdString());
        Caixa("COO")->setText(QStringLiteral("old1"));
        Caixa("CCF")->setText(QStringLiteral("old2"));
        Caixa("Text3")->setText(QStringLiteral("anterior"));
        QApplication::processEvents();
        Pinturas pinturas(Caixa("Text3"));

        Clique("Command5");

        CONFERE({ChAbre(2), ChTXRX(2, 10, ".5609"), ChTXRX(2, 10, ".271"), ChFecha(2)});
        QCOMPARE(Texto("COO"), coo);
        QCOMPARE(Texto("CCF"), ccf);
        QCOMPARE(Texto("Text3"), QStringLiteral("anterior"));
        QVERIFY2(pinturas.textos.isEmpty(), qPrintable(pinturas.textos.join(QLatin1Char('|'))));
    }
};

QTEST_MAIN(Form1RelatoriosTest)
#include "form1_relatorios_tests.moc"
