// The reading of the fiscal memory from the main window's frame: the
// range boxes and their entry rules, the option buttons, and the four
// kinds of reading, driven as an operator does against the fake driver.
#include "link.h"
#include "operador.h"
#include "texto8.h"

#include <QClipboard>
#include <QDir>
#include <QRadioButton>

using namespace tavorin;
using namespace tavorin::teste;

namespace {

// One block of a reading to the file: its data from the 7th character to "}".
std::string Bloco(const std::string& dados, char status = '+') { return std::string("{") + status + "0001" + dados + "}"; }

const std::string kSemMaisBlocos = Linha(']', {{3, "++"}});
const std::string kAnterior = "uma leitura anterior, mais longa\r\n\xD3tima\r\n";

// One answer of the fake driver: a line (or no answer file at all) and
// the driver's result.
struct Passo {
    std::optional<std::string> linha;
    int resultado = 0;
};
using Respostas = QList<Passo>;
Passo R(const std::string& linha, int resultado = 0) { return {linha, resultado}; }

}  // namespace

Q_DECLARE_METATYPE(Passo)

class Form1MemoriaTest : public TesteJanela {
    Q_OBJECT

public:
    // The printer test found the printer on port 2.
    Form1MemoriaTest() : TesteJanela(2) {}

private:
    // Queues the answers of one reading: the first to `comando`, the rest
    // to ".++".
    void Roteiro(const std::string& comando, const Respostas& respostas) {
        for (int i = 0; i < respostas.size(); ++i)
            driver->Enfileira(i == 0 ? comando : ".++",
                              Atendimento{respostas[i].linha, static_cast<int16_t>(respostas[i].resultado), {}});
    }
    static Chamadas Esperado(const std::string& comando, int proximos, int16_t espera = 100) {
        Chamadas chamadas = {ChAbre(2), ChTXRX(2, espera, comando)};
        for (int i = 0; i < proximos; ++i) chamadas.push_back(ChTXRX(2, 100, ".++"));
        chamadas.push_back(ChFecha(2));
        return chamadas;
    }
    // What the reading left in the working directory besides the answer file.
    static QStringList Arquivos() {
        QStringList nomes = QDir::current().entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
        nomes.removeAll(QStringLiteral("RespZub.txt"));
        return nomes;
    }
    void Cola(CaixaTexto* caixa, const QString& texto) {
        QApplication::clipboard()->setText(texto);
        QTest::keyClick(caixa, Qt::Key_V, Qt::ControlModifier);
    }

private slots:
    // Type, then Tab to the next control: the box is rewritten on the way
    // out by the rule of the range chosen.
    void entryRules_data() {
        QTest::addColumn<bool>("porData");
        QTest::addColumn<QString>("caixa");
        QTest::addColumn<QString>("digitado");
        QTest::addColumn<QString>("mostrado");
        QTest::addColumn<QString>("proximo");
        QTest::newRow("7 -> 0007") << false << "Ini" << "7" << "0007" << "Fim";
        QTest::newRow("Fim, 123 -> 0123") << false << "Fim" << "123" << "0123" << "LMF";
        QTest::newRow("letters stay") << false << "Ini" << "12a" << "12a" << "Fim";
        QTest::newRow("by date, 5/3/9 -> 05/03/09") << true << "Fim" << "5/3/9" << "05/03/09" << "LMF";
        QTest::newRow("by date, a number is no date") << true << "Ini" << "7" << "7" << "Fim";
    }
    void entryRules() {
        QFETCH(bool, porData);
        QFETCH(QString, caixa);
        QFETCH(QString, digitado);
        QFETCH(QString, mostrado);
        QFETCH(QString, proximo);
        if (porData) Clique("Pordata");
        CaixaTexto* box = Caixa(caixa.toLatin1().constData());
        Substitui(box, digitado);
        QCOMPARE(box->text(), digitado);
        Tab(principal.get());
        QCOMPARE(QApplication::focusWidget()->objectName(), proximo);
        QCOMPARE(box->text(), mostrado);
        CONFERE({});
    }

    // Choosing a kind of range puts its defaults in both boxes; choosing a
    // destination changes nothing.
    void optionButtons() {
        Substitui(Caixa("Ini"), QStringLiteral("7"));
        Clique("Pordata");
        QCOMPARE(Texto("Ini"), QStringLiteral("01/01/00"));
        QCOMPARE(Texto("Fim"), QStringLiteral("30/12/10"));
        Substitui(Caixa("Fim"), QStringLiteral("5/3/9"));
        Clique("NoArq");
        QVERIFY(Controle<QRadioButton>(principal.get(), "Pordata")->isChecked());
        QCOMPARE(Texto("Fim"), QStringLiteral("05/03/09"));
        Clique("NaImp");
        QCOMPARE(Texto("Ini"), QStringLiteral("01/01/00"));
        QCOMPARE(Texto("Fim"), QStringLiteral("05/03/09"));
        Clique("Porredu");
        QCOMPARE(Texto("Ini"), QStringLiteral("0001"));
        QCOMPARE(Texto("Fim"), QStringLiteral("1000"));
        CONFERE({});
    }

    // The typing limit: none at start, 4 in a box entered while "Redução"
    // is chosen, 10 for both boxes from the moment "Data" is chosen. It
    // limits what the operator types or pastes, never what the program
    // writes.
    void typingLimit() {
        CaixaTexto* ini = Caixa("Ini");
        CaixaTexto* fim = Caixa("Fim");
        QCOMPARE(ini->Limite(), 0);
        Substitui(ini, QStringLiteral("123456"));
        QCOMPARE(ini->text(), QStringLiteral("1234"));
        QCOMPARE(fim->Limite(), 0);
        Substitui(ini, QStringLiteral("12"));
        Cola(ini, QStringLiteral("98765"));
        QCOMPARE(ini->text(), QStringLiteral("1298"));
        // "-123" is rewritten "-0123" on the way out and stays whole.
        Substitui(ini, QStringLiteral("-123"));
        Tab(principal.get());
        QCOMPARE(ini->text(), QStringLiteral("-0123"));
        Digita(ini, QStringLiteral("4"));
        QCOMPARE(ini->text(), QStringLiteral("-0123"));

        Clique("Pordata");
        QCOMPARE(fim->Limite(), 10);
        Digita(fim, QStringLiteral("xyzw"));
        QCOMPARE(fim->text(), QStringLiteral("30/12/10xy"));
        // Back to "Redução": 10 until a box is entered.
        Clique("Porredu");
        QCOMPARE(ini->Limite(), 10);
        Clica(fim);
        QCOMPARE(fim->Limite(), 4);
        QCOMPARE(ini->Limite(), 10);
    }

    // A reading printed by the printer: one command whose fields are the
    // boxes as rewritten when "Executa" took the focus; by date the boxes
    // hold six digits while it blocks and read as dates again afterwards.
    void readingToPrinter_data() {
        QTest::addColumn<bool>("porData");
        QTest::addColumn<QString>("ini");
        QTest::addColumn<QString>("fim");
        QTest::addColumn<QString>("comando");
        QTest::addColumn<QString>("durante");
        QTest::addColumn<QString>("depois");
        QTest::addColumn<QString>("resposta");
        const QString aceito = QString::fromStdString(Linha('+'));
        const QString nada;
        QTest::newRow("default range") << false << nada << nada << ".1500011000" << "0001 1000" << "0001 1000"
                                       << aceito;
        QTest::newRow("7 typed, Executa clicked straight away")
            << false << "7" << nada << ".1500071000" << "0007 1000" << "0007 1000" << aceito;
        QTest::newRow("refused range") << false << "9" << "1" << ".1500090001" << "0009 0001" << "0009 0001"
                                       << QString::fromStdString(Erro("22"));
        QTest::newRow("by date, default") << true << nada << nada << ".16010100301210" << "010100 301210"
                                          << "01/01/00 30/12/10" << aceito;
        QTest::newRow("by date, 5/3/9 typed into Fim") << true << nada << "5/3/9" << ".16010100050309"
                                                       << "010100 050309" << "01/01/00 05/03/09" << aceito;
        QTest::newRow("by date, no date is sent as typed") << true << "31/02/09" << nada << ".1631/02/09301210"
                                                           << "31/02/09 301210" << "31/02/09 30/12/10" << aceito;
    }
    void readingToPrinter() {
        QFETCH(bool, porData);
        QFETCH(QString, ini);
        QFETCH(QString, fim);
        QFETCH(QString, comando);
        QFETCH(QString, durante);
        QFETCH(QString, depois);
        QFETCH(QString, resposta);
        if (porData) Clique("Pordata");
        if (!ini.isNull()) Substitui(Caixa("Ini"), ini);
        if (!fim.isNull()) Substitui(Caixa("Fim"), fim);
        driver->Enfileira(comando.toStdString(), resposta.toStdString());
        Pinturas pinturas(Caixa("Text3"));
        QString mostrado, caixas;
        driver->durante = [&](const Chamada&) {
            mostrado = pinturas.Ultima();
            caixas = Texto("Ini") + ' ' + Texto("Fim");
        };

        Clique("LMF");

        CONFERE(Esperado(comando.toStdString(), 0, 1000));
        QCOMPARE(mostrado, porData ? QStringLiteral("Leitura por Data...") : QStringLiteral("Leitura por Redução..."));
        QCOMPARE(caixas, durante);
        QCOMPARE(Texto("Ini") + ' ' + Texto("Fim"), depois);
        QCOMPARE(Texto("Text3"), resposta.startsWith("{-") ? QStringLiteral("ERRO 22") : resposta);
        QVERIFY(!QFile::exists(QStringLiteral("LeitM.txt")));
    }

    // A reading to the file: the reading command, then ".++" until the
    // printer answers "]"; one line of LeitM.txt per block, byte for byte,
    // in place of the previous file.
    void readingToFile_data() {
        QTest::addColumn<bool>("porData");
        QTest::addColumn<Respostas>("respostas");
        QTest::addColumn<QByteArray>("arquivo");
        std::string baixos, altos;
        for (int c = 0; c < 128; ++c)
            if (c != '\r' && c != '\n' && c != '}') baixos.push_back(static_cast<char>(c));
        for (int c = 128; c < 256; ++c) altos.push_back(static_cast<char>(c));
        QTest::newRow("one block: the first answer ends the reading")
            << false << Respostas{R(Bloco("\xDANICO", ']'))} << QByteArray("\xDANICO\r\n");
        QTest::newRow("three blocks") << false
            << Respostas{R(Bloco("LEITURA")), R(Bloco("REDU\xC7\xC3O 0001")), R(Bloco("FIM")), R(kSemMaisBlocos)}
            << QByteArray("LEITURA\r\nREDU\xC7\xC3O 0001\r\nFIM\r\n");
        QTest::newRow("by date") << true << Respostas{R(Bloco("POR DATA")), R(kSemMaisBlocos)}
                                 << QByteArray("POR DATA\r\n");
        QTest::newRow("every byte that can stand in a block")
            << false << Respostas{R(Bloco(baixos)), R(Bloco(altos)), R(kSemMaisBlocos)} << Bytes(baixos + "\r\n" + altos + "\r\n");
        // Data from the 7th character to the first "}" from there on, or to
        // the end; nothing from a line shorter than 7.
        QTest::newRow("empty, short and unclosed blocks")
            << false
            << Respostas{R("{+0002}"), R("{+}001abc}def}"), R("{+0001sem fim  "), R("{+"), R(kSemMaisBlocos)}
            << QByteArray("\r\nabc\r\nsem fim  \r\n\r\n");
        QTest::newRow("the data of a ] answer to .++ is not written")
            << false << Respostas{R(Bloco("A")), R(Bloco("nunca", ']'))} << QByteArray("A\r\n");
    }
    void readingToFile() {
        QFETCH(bool, porData);
        QFETCH(Respostas, respostas);
        QFETCH(QByteArray, arquivo);
        GravaArquivo("LeitM.txt", kAnterior);
        if (porData) Clique("Pordata");
        Clique("NoArq");
        const std::string comando = porData ? ".16010100301210#" : ".1500011000#";
        Roteiro(comando, respostas);
        Pinturas pinturas(Caixa("Text3"));
        QStringList mostrados, caixas;
        driver->durante = [&](const Chamada&) {
            mostrados << pinturas.Ultima();
            caixas << Texto("Ini") + ' ' + Texto("Fim");
        };

        Clique("LMF");

        CONFERE(Esperado(comando, respostas.size() - 1));
        QCOMPARE(Bytes(LeArquivo("LeitM.txt")), arquivo);
        QCOMPARE(Texto("Text3"), QStringLiteral("Arquivo LeitM.txt gravado"));
        QCOMPARE(Arquivos(), QStringList{QStringLiteral("LeitM.txt")});
        // The progress text shows while the reading command blocks, then
        // each block's answer while the next one is fetched.
        QCOMPARE(mostrados.takeFirst(), porData ? QStringLiteral("Leitura por Data em Arquivo ...")
                                                : QStringLiteral("Leitura por Redução em Arquivo ..."));
        for (int i = 0; i < mostrados.size(); ++i) QCOMPARE(mostrados[i], DoDriver(*respostas[i].linha));
        if (porData) {
            QCOMPARE(caixas.first(), QStringLiteral("010100 301210"));
            QCOMPARE(caixas.last(), QStringLiteral("01/01/00 30/12/10"));
            QCOMPARE(Texto("Ini") + ' ' + Texto("Fim"), QStringLiteral("01/01/00 30/12/10"));
        }
    }

    // A reading that does not end with "]" writes nothing: the previous
    // file stays as it was, the answer that ended it stays in Text3, the
    // port is closed and no more blocks are asked for.
    void failedReadingLeavesTheFile_data() {
        QTest::addColumn<bool>("porData");
        QTest::addColumn<Respostas>("respostas");
        QTest::addColumn<QString>("texto3");
        QTest::newRow("driver fails on the reading command")
            << false << Respostas{R(Bloco("A"), -2)} << QString::fromStdString(Bloco("A"));
        QTest::newRow("printer refuses the reading command, by date")
            << true << Respostas{R(Erro("22"))} << "ERRO 22";
        QTest::newRow("error answer in the middle")
            << false << Respostas{R(Bloco("A")), R(Bloco("B")), R(Erro("07"))} << "ERRO 07";
        QTest::newRow("driver fails in the middle")
            << false << Respostas{R(Bloco("A")), R(Bloco("B"), -2)} << QString::fromStdString(Bloco("B"));
        QTest::newRow("no answer at all in the middle") << false << Respostas{R(Bloco("A")), Passo{}} << "ERRO ";
    }
    void failedReadingLeavesTheFile() {
        QFETCH(bool, porData);
        QFETCH(Respostas, respostas);
        QFETCH(QString, texto3);
        GravaArquivo("LeitM.txt", kAnterior);
        if (porData) Clique("Pordata");
        Clique("NoArq");
        const std::string comando = porData ? ".16010100301210#" : ".1500011000#";
        Roteiro(comando, respostas);

        Clique("LMF");

        CONFERE(Esperado(comando, respostas.size() - 1));
        QCOMPARE(Bytes(LeArquivo("LeitM.txt")), Bytes(kAnterior));
        QCOMPARE(Arquivos(), QStringList{QStringLiteral("LeitM.txt")});
        QCOMPARE(Texto("Text3"), texto3);
        if (porData) QCOMPARE(Texto("Ini") + ' ' + Texto("Fim"), QStringLiteral("01/01/00 30/12/10"));
    }

    // LeitM.txt cannot be created (a folder stands in its place): the
    // operator is told, the port is closed and no block is asked for.
    void fileCannotBeCreated() {
        QVERIFY(QDir().mkdir(QStringLiteral("LeitM.txt")));
        Clique("NoArq");
        Roteiro(".1500011000#", {R(Bloco("A")), R(kSemMaisBlocos)});
        Clique("LMF");
        CONFERE(Esperado(".1500011000#", 0));
        QCOMPARE(Texto("Text3"), QStringLiteral("Não foi possível gravar o arquivo LeitM.txt"));
        QVERIFY(QFileInfo(QStringLiteral("LeitM.txt")).isDir());
        QCOMPARE(Arquivos(), QStringList{QStringLiteral("LeitM.txt")});
    }
};

QTEST_MAIN(Form1MemoriaTest)
#include "form1_memoria_tests.moc"
