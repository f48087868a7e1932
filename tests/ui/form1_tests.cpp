// The main window's design, start-up and printer test, against the fake
// driver.
#include "driver_library.h"
#include "janela.h"
#include "link.h"
#include "operador.h"

#include <QApplication>
#include <QFile>
#include <QRadioButton>

using namespace tavorin;
using namespace tavorin::teste;

namespace {
const char* const kPainel[] = {"Text1", "Text2", "Reducao", "LEITX", "PAPEL", "Linha", "Text3"};
}

class Form1Test : public TesteJanela {
    Q_OBJECT

public:
    Form1Test() : TesteJanela(0) {}

private:
    // Every box of the status panel shows what an earlier test left.
    void Prepara() override {
        for (const char* nome : kPainel) Caixa(nome)->setText(QStringLiteral("antes"));
    }

    // A printer on `porta` only (0: none); other ports open but never answer.
    void Impressora(int16_t porta, const std::string& r28, const std::string& r23 = Status23('0')) {
        driver->porComando = [=](int16_t p, const std::string& comando) -> std::optional<Atendimento> {
            if (p != porta) return Atendimento{std::string(), -2, {}};
            return Atendimento{comando == ".23" ? r23 : r28, 0, {}};
        };
    }

private slots:
    void printerTest_data() {
        QTest::addColumn<int>("impressora");
        QTest::addColumn<int>("abre");
        QTest::addColumn<Chamadas>("chamadas");
        QTest::newRow("printer on port 1") << 1 << 0
            << Chamadas{ChAbre(1), ChTXRX(1, 3, ".28"), ChTXRX(1, 10, ".28"), ChTXRX(1, 10, ".23"), ChFecha(1)};
        QTest::newRow("printer only on port 2") << 2 << 0
            << Chamadas{ChAbre(1), ChTXRX(1, 3, ".28"), ChFecha(1), ChAbre(2), ChTXRX(2, 3, ".28"),
                        ChTXRX(2, 10, ".28"), ChTXRX(2, 10, ".23"), ChFecha(2)};
        QTest::newRow("ports open, nobody answers") << 0 << 0
            << Chamadas{ChAbre(1), ChTXRX(1, 3, ".28"), ChFecha(1), ChAbre(2), ChTXRX(2, 3, ".28"), ChFecha(2)};
        QTest::newRow("ports do not open") << 0 << -1 << Chamadas{ChAbre(1), ChAbre(2)};
    }
    void printerTest() {
        QFETCH(int, impressora);
        QFETCH(int, abre);
        QFETCH(Chamadas, chamadas);
        Impressora(static_cast<int16_t>(impressora), Status28("0512031430", 'S', 'S', 'N'));
        driver->abrePadrao = static_cast<int16_t>(abre);
        principal->Form_Load();

        CONFERE(chamadas);
        QCOMPARE(Porta, impressora);
        if (impressora == 0) {
            // A failed test leaves what the last good one showed.
            QCOMPARE(Texto("Text2"), QStringLiteral("Impressora não Conectada"));
            QCOMPARE(Status, std::string("-"));
            for (const char* nome : kPainel)
                if (qstrcmp(nome, "Text2") != 0) QCOMPARE(Texto(nome), QStringLiteral("antes"));
            return;
        }
        QCOMPARE(Texto("Text1"), QStringLiteral("com %1").arg(impressora));
        QCOMPARE(Texto("Text2"), QStringLiteral("Horario de Verao 05/12/03 14:30"));
        QCOMPARE(Texto("Reducao"), QStringLiteral("Efetuada"));
        QCOMPARE(Texto("LEITX"), QStringLiteral("Não Efetuada"));
        QCOMPARE(Texto("PAPEL"), QStringLiteral("Com Papel"));
        QCOMPARE(Texto("Linha"), QStringLiteral("Conectada"));
        // The last answer shown is the paper check's.
        QCOMPARE(Texto("Text3"), QString::fromStdString(Status23('0')));
        QCOMPARE(Status, std::string("+"));
    }

    void dailyStates_data() {
        QTest::addColumn<char>("reducao");
        QTest::addColumn<char>("leituraX");
        QTest::addColumn<QString>("textoReducao");
        QTest::addColumn<QString>("textoLeituraX");
        QTest::newRow("N S") << 'N' << 'S' << "Não Efetuada" << "Efetuada";
        QTest::newRow("F at 18 and 124: the X keeps its text") << 'F' << 'F' << "Obrigatória" << "antes";
        QTest::newRow("lower case is not a state") << 's' << 'n' << "antes" << "antes";
    }
    void dailyStates() {
        QFETCH(char, reducao);
        QFETCH(char, leituraX);
        QFETCH(QString, textoReducao);
        QFETCH(QString, textoLeituraX);
        Impressora(1, Status28("0512031430", 'N', reducao, leituraX));
        principal->Form_Load();
        QCOMPARE(Texto("Reducao"), textoReducao);
        QCOMPARE(Texto("LEITX"), textoLeituraX);
    }

    void paperAndLine_data() {
        QTest::addColumn<QString>("resposta");
        QTest::addColumn<QString>("papel");
        QTest::addColumn<QString>("linha");
        QTest::newRow("out of paper") << QString::fromStdString(Status23('5')) << "Sem Papel" << "Conectada";
        QTest::newRow("off line") << QString::fromStdString(Status23('1')) << "Com Papel" << "Fora de Linha";
        QTest::newRow("short answer") << "{+23" << "Com Papel" << "Conectada";
        QTest::newRow("a refused answer is read all the same") << "{-23 5" << "Sem Papel" << "Conectada";
    }
    void paperAndLine() {
        QFETCH(QString, resposta);
        QFETCH(QString, papel);
        QFETCH(QString, linha);
        // Red from an earlier check turns black again.
        Caixa("PAPEL")->PoeCor(kVermelho);
        Caixa("Linha")->PoeCor(kVermelho);
        Impressora(1, Status28(), resposta.toStdString());
        principal->Form_Load();
        QCOMPARE(Texto("PAPEL"), papel);
        QCOMPARE(CorDoTexto(Caixa("PAPEL")), papel == "Sem Papel" ? kVermelho : kPreto);
        QCOMPARE(Texto("Linha"), linha);
        QCOMPARE(CorDoTexto(Caixa("Linha")), linha == "Conectada" ? kPreto : kVermelho);
        QCOMPARE(Texto("Text3"), resposta);
        // PaperEnd's own result; it leaves Status alone.
        Status = "x";
        QCOMPARE(principal->PaperEnd(), papel == "Sem Papel");
        QCOMPARE(Status, std::string("x"));
    }

    void resultado_data() {
        QTest::addColumn<QByteArray>("resposta");
        QTest::addColumn<QString>("texto3");
        QTest::newRow("accepted: the whole line") << QByteArray("{+13 000000000000000 ok") << "{+13 000000000000000 ok";
        QTest::newRow("accepted whatever the first character") << QByteArray("x+") << "x+";
        QTest::newRow("refused: code at 21-22") << QByteArray("{-13 0000000000000000917") << "ERRO 09";
        QTest::newRow("refused, 21 characters") << QByteArray("{-13 0000000000000009") << "ERRO 9";
        QTest::newRow("refused, 20 characters") << QByteArray("{-13 000000000000000") << "ERRO ";
        QTest::newRow("end of reading is no success") << QByteArray("{]13 000000000000000000") << "ERRO 00";
        QTest::newRow("8-bit answer in the code page") << QByteArray("{+ REDU\xC7\xC3O \x80") << "{+ REDUÇÃO €";
    }
    void resultado() {
        QFETCH(QByteArray, resposta);
        QFETCH(QString, texto3);
        driver->Enfileira(".13", resposta.toStdString());
        EnviaComando(1, 180, ".13");
        principal->Resultado();
        QCOMPARE(Texto("Text3"), texto3);
        // A long answer padded with blanks shows from its start.
        QCOMPARE(Caixa("Text3")->cursorPosition(), 0);
    }

    // With no driver library at all the program still opens, and says why
    // nothing answers.
    void missingDriverLibrary() {
        DriverLibrary ausente("libZub_Dll3_nao_existe.so");
        Driver* anterior = InstalaDriver(&ausente);
        principal->Form_Load();
        InstalaDriver(anterior);
        QCOMPARE(Texto("Text2"), QStringLiteral("Impressora não Conectada"));
        QCOMPARE(Texto("Text3"), QStringLiteral("Biblioteca do driver não encontrada: libZub_Dll3_nao_existe.so"));
        QCOMPARE(Porta, 0);
        QVERIFY(!QFile::exists(QStringLiteral("RespZub.txt")));
    }

    // What the operator sees of the design: containers, first texts and
    // choices, the counters in front of their frame, every caption whole,
    // and the Tab key's order (labels and frames skipped, an option group
    // one stop).
    void design() {
        QCOMPARE(principal->windowTitle(), QStringLiteral("TAVORIN"));
        const std::pair<const char*, const char*> dentro[] = {
            {"Command5", "Frame4"}, {"COO", "Form1"}, {"Porredu", "Frame2"}, {"NoArq", "Frame3"},
            {"Frame2", "Frame1"},   {"Ini", "Frame1"}, {"LMF", "Frame1"},    {"Text3", "Form1"}};
        for (const auto& [nome, pai] : dentro)
            QCOMPARE(Controle<QWidget>(principal.get(), nome)->parentWidget()->objectName(), QString::fromLatin1(pai));
        const QObjectList filhos = principal->children();
        const int frame4 = filhos.indexOf(Controle<QWidget>(principal.get(), "Frame4"));
        QVERIFY(filhos.indexOf(Caixa("COO")) > frame4 && filhos.indexOf(Caixa("CCF")) > frame4);
        QCOMPARE(Texto("Ini"), QStringLiteral("0001"));
        QCOMPARE(Texto("Fim"), QStringLiteral("1000"));
        QVERIFY(Controle<QRadioButton>(principal.get(), "Porredu")->isChecked());
        QVERIFY(Controle<QRadioButton>(principal.get(), "NaImp")->isChecked());
        QVERIFY2(LegendasCortadas(principal.get()).isEmpty(), qPrintable(LegendasCortadas(principal.get())));

        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Command1"));
        const QStringList ordem = QStringLiteral("Text1 Text2 Text3 Command4 COO CCF PAPEL Reducao LEITX Porredu "
                                                 "NaImp Ini Fim LMF Command6 Linha Command5 Command7 RedZ Command2 "
                                                 "Command1").split(QLatin1Char(' '));
        QCOMPARE(OrdemTab(principal.get(), ordem.size()), ordem);
    }
};

QTEST_MAIN(Form1Test)
#include "form1_tests.moc"
