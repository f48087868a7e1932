// The reading of the fiscal memory from the main window's frame: the
// range boxes, the option buttons, and the four kinds of reading, driven
// as an operator does against the fake driver.
#include "operador.h"
#include "texto8.h"

#include <QClipboard>
#include <QDir>

using namespace tavorin;
using namespace tavorin::teste;

namespace {

// One block of a reading to the file: its data from the 7th character to "}".
std::string Bloco(const std::string& dados, char status = '+') { return std::string("{") + status + "0001" + dados + "}"; }

const std::string kFim = Linha(']', {{3, "++"}});
const std::string kAnterior = "uma leitura anterior, mais longa\r\n\xD3tima\r\n";

struct Leitura {
    bool porData;
    // The answers in turn, to the reading command and then to ".++"; a
    // negative result comes from the driver; nullopt: no answer file.
    std::vector<std::pair<std::optional<std::string>, int16_t>> respostas;
    QByteArray arquivo;  // LeitM.txt afterwards
    QString texto3;
};

}  // namespace

Q_DECLARE_METATYPE(Leitura)

class Form1MemoriaTest : public TesteJanela {
    Q_OBJECT

public:
    // The printer test found the printer on port 2.
    Form1MemoriaTest() : TesteJanela(2) {}

private:
    // The reading command, then `proximos` requests for the next block.
    static Chamadas Esperado(const std::string& comando, std::size_t proximos, int16_t espera = 100) {
        Chamadas chamadas = {ChAbre(2), ChTXRX(2, espera, comando)};
        chamadas.insert(chamadas.end(), proximos, ChTXRX(2, 100, ".++"));
        chamadas.push_back(ChFecha(2));
        return chamadas;
    }
    // What is left in the working directory besides the answer file.
    static QStringList Arquivos() {
        QStringList nomes = QDir::current().entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
        nomes.removeAll(QStringLiteral("RespZub.txt"));
        return nomes;
    }

private slots:
    // Choosing a kind of range puts its defaults in both boxes; choosing a
    // destination changes nothing; a box is rewritten on the way out by
    // the rule of the range chosen.
    void optionButtons() {
        Substitui(Caixa("Ini"), QStringLiteral("7"));
        Tab(principal.get());
        QCOMPARE(Texto("Ini"), QStringLiteral("0007"));
        Clique("Pordata");
        QCOMPARE(Textos("Ini Fim"), QStringLiteral("01/01/00|30/12/10"));
        Substitui(Caixa("Fim"), QStringLiteral("5/3/9"));
        Clique("NoArq");
        Clique("NaImp");
        QCOMPARE(Textos("Ini Fim"), QStringLiteral("01/01/00|05/03/09"));
        Substitui(Caixa("Ini"), QStringLiteral("7"));
        Clique("Porredu");
        QCOMPARE(Textos("Ini Fim"), QStringLiteral("0001|1000"));
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
        QApplication::clipboard()->setText(QStringLiteral("98765"));
        QTest::keyClick(ini, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(ini->text(), QStringLiteral("1298"));
        // "-123" is rewritten "-0123" on the way out and stays whole.
        Substitui(ini, QStringLiteral("-123"));
        Tab(principal.get());
        Digita(ini, QStringLiteral("4"));
        QCOMPARE(ini->text(), QStringLiteral("-0123"));

        Clique("Pordata");
        Digita(fim, QStringLiteral("xyzw"));
        QCOMPARE(fim->text(), QStringLiteral("30/12/10xy"));
        // Back to "Redução": 10 until a box is entered.
        Clique("Porredu");
        Clica(fim);
        QCOMPARE(QString("%1 %2").arg(ini->Limite()).arg(fim->Limite()), QStringLiteral("10 4"));
    }

    // A reading printed by the printer: one command whose fields are the
    // boxes as rewritten when "Executa" took the focus; by date the boxes
    // hold six digits while it blocks and read as dates again afterwards.
    void readingToPrinter_data() {
        QTest::addColumn<bool>("porData");
        QTest::addColumn<QString>("digitado");  // into Ini and Fim
        QTest::addColumn<QString>("comando");
        QTest::addColumn<QString>("durante");  // Text3 painted|Ini|Fim while the command blocks
        QTest::addColumn<QString>("depois");
        QTest::newRow("default range") << false << "" << ".1500011000" << "Leitura por Redução...|0001|1000"
                                       << "0001|1000";
        QTest::newRow("typed, Executa clicked straight away") << false << "7 12" << ".1500070012"
                                                               << "Leitura por Redução...|0007|0012" << "0007|0012";
        QTest::newRow("by date, default") << true << "" << ".16010100301210" << "Leitura por Data...|010100|301210"
                                          << "01/01/00|30/12/10";
        QTest::newRow("by date, typed") << true << "01012001 5/3/9" << ".16010101050309"
                                        << "Leitura por Data...|010101|050309" << "01/01/01|05/03/09";
    }
    void readingToPrinter() {
        QFETCH(bool, porData);
        QFETCH(QString, digitado);
        QFETCH(QString, comando);
        QFETCH(QString, durante);
        QFETCH(QString, depois);
        if (porData) Clique("Pordata");
        if (!digitado.isEmpty()) {
            Substitui(Caixa("Ini"), digitado.section(' ', 0, 0));
            Substitui(Caixa("Fim"), digitado.section(' ', 1));
        }
        const std::string aceito = Linha('+');
        driver->Enfileira(comando.toStdString(), aceito);
        Observa(Caixa("Text3"), [this] { return Textos("Ini Fim"); });
        Clique("LMF");
        CONFERE(Esperado(comando.toStdString(), 0, 1000));
        QCOMPARE(vistos, QStringList{durante});
        QCOMPARE(Textos("Ini Fim Text3"), depois + '|' + QString::fromStdString(aceito));
        QVERIFY(!QFile::exists(QStringLiteral("LeitM.txt")));
    }

    // A reading to the file: the reading command, then ".++" until the
    // printer answers "]"; one line of LeitM.txt per block, byte for byte,
    // in place of the previous file. Text3 shows the progress text while
    // the reading command blocks, then each block's answer while the next
    // one is fetched. A reading that does not end with "]" writes nothing:
    // the previous file stays as it was, the answer that ended it stays in
    // Text3, and no more blocks are asked for.
    void readingToFile_data() {
        QTest::addColumn<Leitura>("caso");
        std::string baixos, altos;
        for (int c = 0; c < 128; ++c)
            if (c != '\r' && c != '\n' && c != '}') baixos.push_back(static_cast<char>(c));
        for (int c = 128; c < 256; ++c) altos.push_back(static_cast<char>(c));
        const QString gravado = QStringLiteral("Arquivo LeitM.txt gravado");
        const QByteArray anterior = Bytes(kAnterior);
        QTest::newRow("one block: the first answer ends the reading")
            << Leitura{false, {{Bloco("\xDANICO", ']'), 0}}, "\xDANICO\r\n", gravado};
        QTest::newRow("three blocks, by date")
            << Leitura{true, {{Bloco("LEITURA"), 0}, {Bloco("REDU\xC7\xC3O"), 0}, {Bloco("FIM"), 0}, {kFim, 0}},
                       "LEITURA\r\nREDU\xC7\xC3O\r\nFIM\r\n", gravado};
        QTest::newRow("every byte that can stand in a block")
            << Leitura{false, {{Bloco(baixos), 0}, {Bloco(altos), 0}, {kFim, 0}}, Bytes(baixos + "\r\n" + altos + "\r\n"),
                       gravado};
        // Data from the 7th character to the first "}" from there on, or to
        // the end; none from a line shorter than 7.
        QTest::newRow("empty, short and unclosed blocks")
            << Leitura{false, {{"{+0002}", 0}, {"{+}001abc}def}", 0}, {"{+0001sem fim ", 0}, {"{+", 0}, {kFim, 0}},
                       "\r\nabc\r\nsem fim \r\n\r\n", gravado};
        QTest::newRow("the data of a ] answer to .++ is not written")
            << Leitura{false, {{Bloco("A"), 0}, {Bloco("nunca", ']'), 0}}, "A\r\n", gravado};
        QTest::newRow("driver fails on the reading command")
            << Leitura{false, {{Bloco("A"), -2}}, anterior, QString::fromStdString(Bloco("A"))};
        QTest::newRow("printer refuses the reading command, by date")
            << Leitura{true, {{Erro("22"), 0}}, anterior, "ERRO 22"};
        QTest::newRow("error answer in the middle")
            << Leitura{false, {{Bloco("A"), 0}, {Bloco("B"), 0}, {Erro("07"), 0}}, anterior, "ERRO 07"};
        QTest::newRow("driver fails in the middle")
            << Leitura{false, {{Bloco("A"), 0}, {Bloco("B"), -2}}, anterior, QString::fromStdString(Bloco("B"))};
        QTest::newRow("no answer in the middle") << Leitura{false, {{Bloco("A"), 0}, {std::nullopt, 0}}, anterior, "ERRO "};
    }
    void readingToFile() {
        QFETCH(Leitura, caso);
        GravaArquivo("LeitM.txt", kAnterior);
        if (caso.porData) Clique("Pordata");
        Clique("NoArq");
        const std::string comando = caso.porData ? ".16010100301210#" : ".1500011000#";
        for (std::size_t i = 0; i < caso.respostas.size(); ++i)
            driver->Enfileira(i == 0 ? comando : ".++", Atendimento{caso.respostas[i].first, caso.respostas[i].second});
        Observa(Caixa("Text3"), [this] { return Textos("Ini Fim"); });
        Clique("LMF");
        CONFERE(Esperado(comando, caso.respostas.size() - 1));
        QCOMPARE(Texto("Text3"), caso.texto3);
        QCOMPARE(Bytes(LeArquivo("LeitM.txt")), caso.arquivo);
        QCOMPARE(Arquivos(), QStringList{"LeitM.txt"});
        // By date the boxes hold six digits while the reading command
        // blocks, and read as dates again from then on.
        const QString caixas = caso.porData ? "|01/01/00|30/12/10" : "|0001|1000";
        QStringList esperado = {caso.porData ? "Leitura por Data em Arquivo ...|010100|301210"
                                             : "Leitura por Redução em Arquivo ...|0001|1000"};
        for (std::size_t i = 0; i + 1 < caso.respostas.size(); ++i) esperado << DoDriver(*caso.respostas[i].first) + caixas;
        QCOMPARE(vistos, esperado);
        QCOMPARE('|' + Textos("Ini Fim"), caixas);
    }

    // LeitM.txt cannot be created (a folder stands in its place): the
    // operator is told, the port is closed and no block is asked for.
    void fileCannotBeCreated() {
        QVERIFY(QDir().mkdir(QStringLiteral("LeitM.txt")));
        Clique("NoArq");
        driver->Enfileira(".1500011000#", Bloco("A"));
        Clique("LMF");
        CONFERE(Esperado(".1500011000#", 0));
        QCOMPARE(Texto("Text3"), QStringLiteral("Não foi possível gravar o arquivo LeitM.txt"));
        QVERIFY(QFileInfo(QStringLiteral("LeitM.txt")).isDir());
        QCOMPARE(Arquivos(), QStringList{"LeitM.txt"});
    }
};

QTEST_MAIN(Form1MemoriaTest)
#include "form1_memoria_tests.moc"
