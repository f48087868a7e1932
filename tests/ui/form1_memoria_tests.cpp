// The reading of the fiscal memory from the main window's frame: the
// range boxes and their entry rules, the option buttons, and the four
// kinds of reading, driven as an operator does against the fake driver.
#include "ambiente.h"
#include "caixa_texto.h"
#include "fake_driver.h"
#include "form1.h"
#include "link.h"
#include "operador.h"

#include <QClipboard>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <memory>

using namespace tavorin;
using namespace tavorin::teste;

namespace {

// The texts a box showed each time it was painted. Nothing runs the event
// loop inside a click, so a text painted before the driver is called was
// painted on purpose, at once.
class Pinturas : public QObject {
public:
    explicit Pinturas(QLineEdit* caixa) : caixa_(caixa) { caixa_->installEventFilter(this); }
    QStringList textos;
    QString Ultima() const { return textos.isEmpty() ? QString() : textos.last(); }

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override {
        if (objeto == caixa_ && evento->type() == QEvent::Paint) textos << caixa_->text();
        return false;
    }

private:
    QLineEdit* caixa_;
};

// An answer line: start character, status, code, error code at 21-22.
std::string Linha(char status, const std::string& codigo, const std::string& erro = "00") {
    std::string linha(40, ' ');
    linha[0] = '@';
    linha[1] = status;
    linha.replace(2, 2, codigo);
    linha.replace(20, 2, erro);
    return linha;
}

// One block of a reading to the file: data from the 7th character to "}".
std::string Bloco(const std::string& dados, char status = '+') {
    return std::string("@") + status + "0001" + dados + "}";
}

const std::string kSemMaisBlocos = Linha(']', "++");

QByteArray Bytes(const std::string& texto) { return QByteArray(texto.data(), static_cast<int>(texto.size())); }

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

class Form1MemoriaTest : public QObject {
    Q_OBJECT

    std::unique_ptr<DiretorioTemporario> pasta;
    std::unique_ptr<FakeDriver> driver;
    std::unique_ptr<Form1> janela;

    CaixaTexto* Caixa(const char* nome) { return Controle<CaixaTexto>(janela.get(), nome); }
    QRadioButton* Opcao(const char* nome) { return Controle<QRadioButton>(janela.get(), nome); }
    void Executa() { Clica(Controle<QPushButton>(janela.get(), "LMF")); }

    // Queues the answers of one reading: the first to `comando`, the
    // rest to ".++".
    void Roteiro(const std::string& comando, const Respostas& respostas) {
        for (int i = 0; i < respostas.size(); ++i)
            driver->Enfileira(i == 0 ? comando : ".++",
                              Atendimento{respostas[i].linha, static_cast<int16_t>(respostas[i].resultado), {}});
    }

    std::vector<Chamada> Esperado(const std::string& comando, int proximos, int16_t espera = 100) {
        std::vector<Chamada> chamadas = {ChAbre(1), ChTXRX(1, espera, comando)};
        for (int i = 0; i < proximos; ++i) chamadas.push_back(ChTXRX(1, 100, ".++"));
        chamadas.push_back(ChFecha(1));
        return chamadas;
    }

    // Files in the working directory other than the driver's answer file.
    QStringList Arquivos() {
        QStringList nomes = QDir::current().entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
        nomes.removeAll(QStringLiteral("RespZub.txt"));
        return nomes;
    }

private slots:
    void init() {
        pasta = std::make_unique<DiretorioTemporario>();
        driver = std::make_unique<FakeDriver>();
        driver->respostaPadrao = Atendimento{Linha('+', "??"), 0, {}};
        Porta = 1;
        Resposta.clear();
        Status.clear();
        janela = std::make_unique<Form1>();
        QVERIFY(MostraEAtiva(janela.get()));
    }
    void cleanup() {
        janela.reset();
        driver.reset();
        pasta.reset();
    }

    // Entry rules as the operator meets them: type, then Tab to the next
    // control; the box is rewritten on the way out.
    void entryRules_data() {
        QTest::addColumn<bool>("porData");
        QTest::addColumn<QString>("caixa");
        QTest::addColumn<QString>("digitado");
        QTest::addColumn<QString>("mostrado");
        QTest::addColumn<QString>("proximo");
        QTest::newRow("7 -> 0007") << false << "Ini" << "7" << "0007" << "Fim";
        QTest::newRow("123 -> 0123") << false << "Fim" << "123" << "0123" << "LMF";
        QTest::newRow("leading zeros") << false << "Ini" << "0009" << "0009" << "Fim";
        QTest::newRow("negative") << false << "Ini" << "-7" << "-0007" << "Fim";
        QTest::newRow("decimal comma rounds") << false << "Ini" << "2,5" << "0003" << "Fim";
        QTest::newRow("letters stay") << false << "Ini" << "12a" << "12a" << "Fim";
        QTest::newRow("a point is not a decimal") << false << "Ini" << "1.5" << "1.5" << "Fim";
        QTest::newRow("empty stays empty") << false << "Fim" << "" << "" << "LMF";
        QTest::newRow("5/3/9 -> 05/03/09") << true << "Fim" << "5/3/9" << "05/03/09" << "LMF";
        QTest::newRow("four-digit year") << true << "Ini" << "1/12/2009" << "01/12/09" << "Fim";
        QTest::newRow("six digits") << true << "Ini" << "050309" << "05/03/09" << "Fim";
        QTest::newRow("eight digits") << true << "Ini" << "05032009" << "05/03/09" << "Fim";
        QTest::newRow("29 Feb 2000") << true << "Ini" << "29/2/00" << "29/02/00" << "Fim";
        QTest::newRow("29 Feb 1930 is no date") << true << "Ini" << "29/2/30" << "29/2/30" << "Fim";
        QTest::newRow("31 April is no date") << true << "Ini" << "31/4/09" << "31/4/09" << "Fim";
        QTest::newRow("month first is not read") << true << "Ini" << "12/31/09" << "12/31/09" << "Fim";
        QTest::newRow("other separators stay") << true << "Ini" << "5-3-09" << "5-3-09" << "Fim";
        QTest::newRow("a number is no date") << true << "Ini" << "7" << "7" << "Fim";
        QTest::newRow("empty date stays empty") << true << "Ini" << "" << "" << "Fim";
    }
    void entryRules() {
        QFETCH(bool, porData);
        QFETCH(QString, caixa);
        QFETCH(QString, digitado);
        QFETCH(QString, mostrado);
        QFETCH(QString, proximo);
        if (porData) Clica(Opcao("Pordata"));
        CaixaTexto* box = Caixa(caixa.toLatin1().constData());
        Substitui(box, digitado);
        QCOMPARE(box->text(), digitado);
        Tab(janela.get());
        QCOMPARE(QApplication::focusWidget()->objectName(), proximo);
        QCOMPARE(box->text(), mostrado);
        QVERIFY(driver->chamadas.empty());
    }

    // Choosing a kind of range puts that kind's defaults in both boxes;
    // choosing a destination changes nothing.
    void optionButtons() {
        Substitui(Caixa("Ini"), QStringLiteral("7"));
        Substitui(Caixa("Fim"), QStringLiteral("8"));
        Clica(Opcao("Pordata"));
        QVERIFY(Opcao("Pordata")->isChecked());
        QCOMPARE(Caixa("Ini")->text(), QStringLiteral("01/01/00"));
        QCOMPARE(Caixa("Fim")->text(), QStringLiteral("30/12/10"));
        Substitui(Caixa("Fim"), QStringLiteral("5/3/9"));
        Clica(Opcao("NoArq"));
        QVERIFY(Opcao("NoArq")->isChecked());
        QVERIFY(Opcao("Pordata")->isChecked());
        QCOMPARE(Caixa("Fim")->text(), QStringLiteral("05/03/09"));
        Clica(Opcao("NaImp"));
        QCOMPARE(Caixa("Ini")->text(), QStringLiteral("01/01/00"));
        QCOMPARE(Caixa("Fim")->text(), QStringLiteral("05/03/09"));
        Clica(Opcao("Porredu"));
        QCOMPARE(Caixa("Ini")->text(), QStringLiteral("0001"));
        QCOMPARE(Caixa("Fim")->text(), QStringLiteral("1000"));
        QVERIFY(driver->chamadas.empty());
    }

    // The typing limit as the operator meets it in the range boxes.
    void typingLimit() {
        CaixaTexto* ini = Caixa("Ini");
        CaixaTexto* fim = Caixa("Fim");
        QCOMPARE(ini->Limite(), 0);
        QCOMPARE(fim->Limite(), 0);

        // By reduction: 4 once the box has the focus.
        Substitui(ini, QStringLiteral("123456"));
        QCOMPARE(ini->text(), QStringLiteral("1234"));
        QCOMPARE(fim->Limite(), 0);
        Digita(ini, QStringLiteral("5"));
        QCOMPARE(ini->text(), QStringLiteral("1234"));
        QApplication::clipboard()->setText(QStringLiteral("98765"));
        ini->selectAll();
        QTest::keyClick(ini, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(ini->text(), QStringLiteral("9876"));
        // A paste into a shorter text is cut to what still fits.
        Substitui(ini, QStringLiteral("12"));
        QTest::keyClick(ini, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(ini->text(), QStringLiteral("1298"));

        // A text the program writes is never cut: "-123" is rewritten as
        // "-0123" on the way out, and stays whole when the box is entered
        // again, though nothing more can be typed.
        Substitui(ini, QStringLiteral("-123"));
        Tab(janela.get());
        QCOMPARE(ini->text(), QStringLiteral("-0123"));
        Digita(ini, QStringLiteral("4"));
        QCOMPARE(ini->text(), QStringLiteral("-0123"));
        QTest::keyClick(ini, Qt::Key_Backspace);
        QCOMPARE(ini->text(), QStringLiteral("-012"));

        // By date: 10 for both boxes at once, the one never entered too.
        Clica(Opcao("Pordata"));
        QCOMPARE(ini->Limite(), 10);
        QCOMPARE(fim->Limite(), 10);
        Digita(fim, QStringLiteral("xyzw"));
        QCOMPARE(fim->text(), QStringLiteral("30/12/10xy"));
        Substitui(ini, QStringLiteral("01/01/2000 "));
        QCOMPARE(ini->text(), QStringLiteral("01/01/2000"));
        QApplication::clipboard()->setText(QStringLiteral("05/03/2009 and more"));
        ini->selectAll();
        QTest::keyClick(ini, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(ini->text(), QStringLiteral("05/03/2009"));

        // Back to reduction: the limit stays 10 until a box gets the focus.
        Clica(Opcao("Porredu"));
        QCOMPARE(ini->Limite(), 10);
        QCOMPARE(fim->Limite(), 10);
        Clica(fim);
        QCOMPARE(fim->Limite(), 4);
        QCOMPARE(ini->Limite(), 10);
        Substitui(fim, QStringLiteral("123456"));
        QCOMPARE(fim->text(), QStringLiteral("1234"));
    }

    // A reading printed by the printer: one command, whose fields are the
    // boxes as rewritten when Executa took the focus.
    void readingToPrinter_data() {
        QTest::addColumn<bool>("porData");
        QTest::addColumn<QString>("ini");
        QTest::addColumn<QString>("fim");
        QTest::addColumn<QString>("comando");
        QTest::addColumn<QString>("duranteIni");
        QTest::addColumn<QString>("duranteFim");
        QTest::addColumn<QString>("depoisIni");
        QTest::addColumn<QString>("depoisFim");
        QTest::addColumn<QString>("resposta");
        QTest::addColumn<QString>("texto3");
        const QString aceito = QString::fromStdString(Linha('+', "15"));
        const QString aceito16 = QString::fromStdString(Linha('+', "16"));
        const QString nenhum;
        QTest::newRow("default range") << false << nenhum << nenhum << ".1500011000" << "0001" << "1000" << "0001"
                                       << "1000" << aceito << aceito;
        QTest::newRow("7 typed, Executa clicked straight away")
            << false << "7" << nenhum << ".1500071000" << "0007" << "1000" << "0007" << "1000" << aceito << aceito;
        QTest::newRow("both typed") << false << "12" << "345" << ".1500120345" << "0012" << "0345" << "0012"
                                    << "0345" << aceito << aceito;
        QTest::newRow("letters sent as typed") << false << "1a" << nenhum << ".151a1000" << "1a" << "1000" << "1a"
                                               << "1000" << aceito << aceito;
        QTest::newRow("refused range") << false << "9" << "1" << ".1500090001" << "0009" << "0001" << "0009"
                                       << "0001" << QString::fromStdString(Linha('-', "15", "22")) << "ERRO 22";
        QTest::newRow("by date, default") << true << nenhum << nenhum << ".16010100301210" << "010100" << "301210"
                                          << "01/01/00" << "30/12/10" << aceito16 << aceito16;
        QTest::newRow("by date, 5/3/9 typed into Fim")
            << true << nenhum << "5/3/9" << ".16010100050309" << "010100" << "050309" << "01/01/00" << "05/03/09"
            << aceito16 << aceito16;
        QTest::newRow("by date, eight digits and a long year")
            << true << "01012001" << "31/12/2009" << ".16010101311209" << "010101" << "311209" << "01/01/01"
            << "31/12/09" << aceito16 << aceito16;
        QTest::newRow("by date, a box that is no date is sent as it is")
            << true << "31/02/09" << nenhum << ".1631/02/09301210" << "31/02/09" << "301210" << "31/02/09"
            << "30/12/10" << QString::fromStdString(Linha('-', "16", "22")) << "ERRO 22";
    }
    void readingToPrinter() {
        QFETCH(bool, porData);
        QFETCH(QString, ini);
        QFETCH(QString, fim);
        QFETCH(QString, comando);
        QFETCH(QString, duranteIni);
        QFETCH(QString, duranteFim);
        QFETCH(QString, depoisIni);
        QFETCH(QString, depoisFim);
        QFETCH(QString, resposta);
        QFETCH(QString, texto3);
        if (porData) Clica(Opcao("Pordata"));
        if (!ini.isNull()) Substitui(Caixa("Ini"), ini);
        if (!fim.isNull()) Substitui(Caixa("Fim"), fim);
        driver->Enfileira(comando.toStdString(), resposta.toStdString());
        Pinturas pinturas(Caixa("Text3"));
        QString mostrado, iniDurante, fimDurante;
        driver->durante = [&](const Chamada&) {
            mostrado = pinturas.Ultima();
            iniDurante = Caixa("Ini")->text();
            fimDurante = Caixa("Fim")->text();
        };

        Executa();

        QVERIFY2(driver->chamadas == Esperado(comando.toStdString(), 0, 1000), Descreve(driver->chamadas).c_str());
        QCOMPARE(mostrado, porData ? QStringLiteral("Leitura por Data...") : QStringLiteral("Leitura por Redução..."));
        QCOMPARE(iniDurante, duranteIni);
        QCOMPARE(fimDurante, duranteFim);
        QCOMPARE(Caixa("Ini")->text(), depoisIni);
        QCOMPARE(Caixa("Fim")->text(), depoisFim);
        QCOMPARE(Caixa("Text3")->text(), texto3);
        QVERIFY(!QFile::exists(QStringLiteral("LeitM.txt")));
    }

    // A reading to the file: the reading command and then ".++" until the
    // printer answers "]"; one line of LeitM.txt per block.
    void readingToFile_data() {
        QTest::addColumn<bool>("porData");
        QTest::addColumn<QString>("comando");
        QTest::addColumn<Respostas>("respostas");
        QTest::addColumn<QByteArray>("arquivo");
        const QString reducao = QStringLiteral(".1500011000#");
        QTest::newRow("one block: the first answer already ends the reading")
            << false << reducao << Respostas{R(Bloco("ÚNICO", ']'))} << QByteArray("ÚNICO\r\n");
        QTest::newRow("three blocks") << false << reducao
                                      << Respostas{R(Bloco("LEITURA")), R(Bloco("REDUCAO 0001")),
                                                   R(Bloco("FIM DA LEITURA")), R(kSemMaisBlocos)}
                                      << QByteArray("LEITURA\r\nREDUCAO 0001\r\nFIM DA LEITURA\r\n");
        QTest::newRow("by date") << true << ".16010100301210#"
                                 << Respostas{R(Bloco("POR DATA")), R(Bloco("X")), R(kSemMaisBlocos)}
                                 << QByteArray("POR DATA\r\nX\r\n");
        QTest::newRow("an empty block is an empty line")
            << false << reducao << Respostas{R(Bloco("A")), R("@+0002}"), R(Bloco("C")), R(kSemMaisBlocos)}
            << QByteArray("A\r\n\r\nC\r\n");
        QTest::newRow("what follows the first } is not data")
            << false << reducao << Respostas{R("@+0001abc}def}"), R(kSemMaisBlocos)} << QByteArray("abc\r\n");
        QTest::newRow("a } before the 7th character does not end the data")
            << false << reducao << Respostas{R("@+}001abc}"), R(kSemMaisBlocos)} << QByteArray("abc\r\n");
        QTest::newRow("no }: the rest of the line")
            << false << reducao << Respostas{R("@+0001sem fim  "), R(kSemMaisBlocos)} << QByteArray("sem fim  \r\n");
        QTest::newRow("shorter than 7 characters: an empty line")
            << false << reducao << Respostas{R("@+0001"), R("@+"), R(Bloco("B")), R(kSemMaisBlocos)}
            << QByteArray("\r\n\r\nB\r\n");
        QTest::newRow("the data of a ] answer to .++ is not written")
            << false << reducao << Respostas{R(Bloco("A")), R(Bloco("nunca", ']'))} << QByteArray("A\r\n");
    }
    void readingToFile() {
        QFETCH(bool, porData);
        QFETCH(QString, comando);
        QFETCH(Respostas, respostas);
        QFETCH(QByteArray, arquivo);
        if (porData) Clica(Opcao("Pordata"));
        Clica(Opcao("NoArq"));
        // The answers as the printer sends them: 8-bit, Windows-1252.
        for (auto& resposta : respostas) resposta.linha = ParaDriverTeste(*resposta.linha);
        Roteiro(comando.toStdString(), respostas);
        Pinturas pinturas(Caixa("Text3"));
        QStringList mostrados;
        QStringList caixasDurante;
        driver->durante = [&](const Chamada&) {
            mostrados << pinturas.Ultima();
            caixasDurante << Caixa("Ini")->text() + QLatin1Char(' ') + Caixa("Fim")->text();
        };

        Executa();

        const int proximos = respostas.size() - 1;
        QVERIFY2(driver->chamadas == Esperado(comando.toStdString(), proximos), Descreve(driver->chamadas).c_str());
        QCOMPARE(Bytes(LeArquivo("LeitM.txt")), ParaDriverBytes(arquivo));
        QCOMPARE(Caixa("Text3")->text(), QStringLiteral("Arquivo LeitM.txt gravado"));
        QCOMPARE(Arquivos(), QStringList{QStringLiteral("LeitM.txt")});
        // The progress text shows while the reading command blocks, then
        // each block's answer while the next one is fetched.
        QCOMPARE(mostrados.first(), porData ? QStringLiteral("Leitura por Data em Arquivo ...")
                                            : QStringLiteral("Leitura por Redução em Arquivo ..."));
        for (int i = 1; i < mostrados.size(); ++i)
            QCOMPARE(mostrados[i], QString::fromLatin1(Bytes(*respostas[i - 1].linha)));
        if (porData) {
            QCOMPARE(caixasDurante.first(), QStringLiteral("010100 301210"));
            for (int i = 1; i < caixasDurante.size(); ++i)
                QCOMPARE(caixasDurante[i], QStringLiteral("01/01/00 30/12/10"));
            QCOMPARE(Caixa("Ini")->text(), QStringLiteral("01/01/00"));
            QCOMPARE(Caixa("Fim")->text(), QStringLiteral("30/12/10"));
        }
    }

    // Block data go to the file byte for byte: every value that can stand
    // in a block (all but CR and LF, which end the answer line, and "}").
    void everyByteValue() {
        std::string baixos, altos;
        for (int c = 0; c < 128; ++c)
            if (c != '\r' && c != '\n' && c != '}') baixos.push_back(static_cast<char>(c));
        for (int c = 128; c < 256; ++c) altos.push_back(static_cast<char>(c));
        Clica(Opcao("NoArq"));
        Roteiro(".1500011000#", {R(Bloco(baixos)), R(Bloco(altos)), R(kSemMaisBlocos)});
        Executa();
        QCOMPARE(Bytes(LeArquivo("LeitM.txt")), Bytes(baixos + "\r\n" + altos + "\r\n"));
        QCOMPARE(Caixa("Text3")->text(), QStringLiteral("Arquivo LeitM.txt gravado"));
    }

    void secondReadingReplacesTheFile() {
        GravaArquivo("LeitM.txt", "uma leitura anterior, mais longa\r\nsegunda linha\r\nterceira\r\n");
        Clica(Opcao("NoArq"));
        Roteiro(".1500011000#", {R(Bloco("nova", ']'))});
        Executa();
        QCOMPARE(Bytes(LeArquivo("LeitM.txt")), QByteArray("nova\r\n"));
        Roteiro(".1500011000#", {R(Bloco("terceira")), R(Bloco("leitura")), R(kSemMaisBlocos)});
        Executa();
        QCOMPARE(Bytes(LeArquivo("LeitM.txt")), QByteArray("terceira\r\nleitura\r\n"));
    }

    // A reading that does not end with "]" writes nothing: the previous
    // file stays as it was, the answer that ended it stays in Text3 and the
    // port is closed. The printer is not asked for more blocks after it.
    void failedReadingLeavesTheFile_data() {
        QTest::addColumn<bool>("porData");
        QTest::addColumn<Respostas>("respostas");
        QTest::addColumn<QString>("texto3");
        const std::string falhou = Linha('-', "++", "07");
        QTest::newRow("driver fails on the reading command")
            << false << Respostas{R(Bloco("A"), -2)} << QString::fromStdString(Bloco("A"));
        QTest::newRow("driver fails on the reading command by date")
            << true << Respostas{R(Bloco("A"), -1)} << QString::fromStdString(Bloco("A"));
        QTest::newRow("printer refuses the reading command")
            << false << Respostas{R(Linha('-', "15", "22"))} << "ERRO 22";
        QTest::newRow("error answer in the middle")
            << false << Respostas{R(Bloco("A")), R(Bloco("B")), R(falhou)} << "ERRO 07";
        QTest::newRow("error answer by date") << true << Respostas{R(Bloco("A")), R(falhou)} << "ERRO 07";
        QTest::newRow("driver fails in the middle")
            << false << Respostas{R(Bloco("A")), R(Bloco("B"), -2)} << QString::fromStdString(Bloco("B"));
        QTest::newRow("no answer at all in the middle")
            << false << Respostas{R(Bloco("A")), Passo{std::nullopt, 0}} << "ERRO ";
    }
    void failedReadingLeavesTheFile() {
        QFETCH(bool, porData);
        QFETCH(Respostas, respostas);
        QFETCH(QString, texto3);
        const std::string anterior = "leitura anterior\r\n\xD3tima\r\n";
        GravaArquivo("LeitM.txt", anterior);
        if (porData) Clica(Opcao("Pordata"));
        Clica(Opcao("NoArq"));
        const std::string comando = porData ? ".16010100301210#" : ".1500011000#";
        Roteiro(comando, respostas);

        Executa();

        QVERIFY2(driver->chamadas == Esperado(comando, respostas.size() - 1), Descreve(driver->chamadas).c_str());
        QCOMPARE(Bytes(LeArquivo("LeitM.txt")), Bytes(anterior));
        QCOMPARE(Arquivos(), QStringList{QStringLiteral("LeitM.txt")});
        QCOMPARE(Caixa("Text3")->text(), texto3);
        if (porData) {
            QCOMPARE(Caixa("Ini")->text(), QStringLiteral("01/01/00"));
            QCOMPARE(Caixa("Fim")->text(), QStringLiteral("30/12/10"));
        }
    }

    // LeitM.txt cannot be created (here a folder stands in its place): the
    // operator is told, the port is closed and nothing is asked of the
    // printer beyond the reading command.
    void fileCannotBeCreated() {
        QVERIFY(QDir().mkdir(QStringLiteral("LeitM.txt")));
        Clica(Opcao("NoArq"));
        Roteiro(".1500011000#", {R(Bloco("A")), R(kSemMaisBlocos)});
        Executa();
        QVERIFY2(driver->chamadas == Esperado(".1500011000#", 0), Descreve(driver->chamadas).c_str());
        QCOMPARE(Caixa("Text3")->text(), QStringLiteral("Não foi possível gravar o arquivo LeitM.txt"));
        QVERIFY(QFileInfo(QStringLiteral("LeitM.txt")).isDir());
        QCOMPARE(Arquivos(), QStringList{QStringLiteral("LeitM.txt")});
    }

    // Readings follow the port that the printer test found.
    void readingOnTheLinkPort() {
        Porta = 2;
        Clica(Opcao("NoArq"));
        Roteiro(".1500011000#", {R(Bloco("A")), R(kSemMaisBlocos)});
        Executa();
        const std::vector<Chamada> esperado = {ChAbre(2), ChTXRX(2, 100, ".1500011000#"), ChTXRX(2, 100, ".++"),
                                               ChFecha(2)};
        QVERIFY2(driver->chamadas == esperado, Descreve(driver->chamadas).c_str());
    }

private:
    // Test data are written with accents for legibility; the printer sends
    // them in its 8-bit code page.
    static std::string ParaDriverTeste(const std::string& utf8) {
        const QByteArray latin1 = QString::fromUtf8(utf8.data(), static_cast<int>(utf8.size())).toLatin1();
        return std::string(latin1.constData(), static_cast<std::size_t>(latin1.size()));
    }
    static QByteArray ParaDriverBytes(const QByteArray& utf8) { return QString::fromUtf8(utf8).toLatin1(); }
};

QTEST_MAIN(Form1MemoriaTest)
#include "form1_memoria_tests.moc"
