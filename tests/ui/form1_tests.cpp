// The main window's start-up and printer test, driven against the fake
// driver.
#include "driver_library.h"
#include "fake_driver.h"
#include "ambiente.h"
#include "form1.h"
#include "janela.h"
#include "link.h"
#include "operador.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QGroupBox>
#include <QLabel>
#include <QTest>

#include <memory>

using namespace tavorin;
using namespace tavorin::teste;

namespace {

const QColor kRed(255, 0, 0);
const QColor kBlack(0, 0, 0);

// A ".28" answer: status "+", the day's Redução Z state at 18, clock at
// 44-53, summer time at 54 and the first Leitura X state at 124.
std::string Status28(char reducao = 'N', char leituraX = 'N', const std::string& relogio = "0512031430",
                     char verao = 'N') {
    std::string linha(130, '0');
    linha[0] = '{';
    linha[1] = '+';
    linha[17] = reducao;
    linha.replace(43, relogio.size(), relogio);
    linha[53] = verao;
    linha[123] = leituraX;
    return linha;
}

std::string Status23(char estado) {
    std::string linha = "{+23 0000000000000000000";
    linha[5] = estado;
    return linha;
}

}  // namespace

class Form1Test : public QObject {
    Q_OBJECT

    std::unique_ptr<DiretorioTemporario> pasta;
    std::unique_ptr<FakeDriver> driver;
    std::unique_ptr<Form1> janela;

    // A printer on `porta` only; other ports open but do not answer.
    void ImpressoraNaPorta(int16_t porta, std::string resposta28 = Status28(),
                           std::string resposta23 = Status23('0')) {
        driver->porComando = [=](int16_t p, const std::string& comando) -> std::optional<Atendimento> {
            if (p != porta) return Atendimento{std::string(), -2, {}};
            if (comando == ".28") return Atendimento{resposta28, 0, {}};
            if (comando == ".23") return Atendimento{resposta23, 0, {}};
            return std::nullopt;
        };
    }

    QLineEdit* Caixa(const char* nome) { return Controle<QLineEdit>(janela.get(), nome); }

private slots:
    void init() {
        pasta = std::make_unique<DiretorioTemporario>();
        driver = std::make_unique<FakeDriver>();
        Porta = 0;
        Resposta.clear();
        Status.clear();
        janela = std::make_unique<Form1>();
    }
    void cleanup() {
        janela.reset();
        driver.reset();
        pasta.reset();
    }

    void printerOnPort1_sequenceAndStatusPanel() {
        ImpressoraNaPorta(1, Status28('S', 'N', "0512031430", 'S'), Status23('0'));
        janela->Form_Load();
        const std::vector<Chamada> esperado = {ChAbre(1), ChTXRX(1, 3, ".28"), ChTXRX(1, 10, ".28"),
                                               ChTXRX(1, 10, ".23"), ChFecha(1)};
        QVERIFY2(driver->chamadas == esperado, Descreve(driver->chamadas).c_str());
        QCOMPARE(Porta, 1);
        QCOMPARE(Caixa("Text1")->text(), QStringLiteral("com 1"));
        QCOMPARE(Caixa("Text2")->text(), QStringLiteral("Horario de Verao 05/12/03 14:30"));
        QCOMPARE(Caixa("Reducao")->text(), QStringLiteral("Efetuada"));
        QCOMPARE(Caixa("LEITX")->text(), QStringLiteral("Não Efetuada"));
        QCOMPARE(Caixa("PAPEL")->text(), QStringLiteral("Com Papel"));
        QCOMPARE(Caixa("Linha")->text(), QStringLiteral("Conectada"));
        // The last answer shown is the paper check's, not the status'.
        QCOMPARE(Caixa("Text3")->text(), QString::fromStdString(Status23('0')));
        QCOMPARE(Status, std::string("+"));
    }

    void printerOnlyOnPort2() {
        ImpressoraNaPorta(2);
        janela->Form_Load();
        const std::vector<Chamada> esperado = {ChAbre(1),          ChTXRX(1, 3, ".28"),  ChFecha(1),
                                               ChAbre(2),          ChTXRX(2, 3, ".28"),  ChTXRX(2, 10, ".28"),
                                               ChTXRX(2, 10, ".23"), ChFecha(2)};
        QVERIFY2(driver->chamadas == esperado, Descreve(driver->chamadas).c_str());
        QCOMPARE(Porta, 2);
        QCOMPARE(Caixa("Text1")->text(), QStringLiteral("com 2"));
    }

    void noPrinter_data() {
        QTest::addColumn<int>("abre");
        QTest::newRow("ports open, nobody answers") << 0;
        QTest::newRow("ports do not open") << -1;
    }
    void noPrinter() {
        QFETCH(int, abre);
        driver->abrePadrao = static_cast<int16_t>(abre);
        driver->respostaPadrao = Atendimento{std::string(), -2, {}};
        janela->Form_Load();
        QCOMPARE(Caixa("Text2")->text(), QStringLiteral("Impressora não Conectada"));
        QCOMPARE(Status, std::string("-"));
        QCOMPARE(Porta, 0);
        for (const char* nome : {"Text1", "Reducao", "LEITX", "PAPEL", "Linha", "Text3"})
            QVERIFY2(Caixa(nome)->text().isEmpty(), nome);
        std::vector<Chamada> esperado;
        if (abre < 0)
            esperado = {ChAbre(1), ChAbre(2)};
        else
            esperado = {ChAbre(1), ChTXRX(1, 3, ".28"), ChFecha(1), ChAbre(2), ChTXRX(2, 3, ".28"), ChFecha(2)};
        QVERIFY2(driver->chamadas == esperado, Descreve(driver->chamadas).c_str());
    }

    // A later test that fails leaves what the last good one showed.
    void failedTestKeepsEarlierBoxes() {
        ImpressoraNaPorta(2, Status28('F', 'S'), Status23('5'));
        janela->Form_Load();
        driver->porComando = nullptr;
        driver->respostaPadrao = Atendimento{std::string("{-28 0000000000000009"), 0, {}};
        Clica(Controle<QPushButton>(janela.get(), "Command1"));
        QCOMPARE(Caixa("Text2")->text(), QStringLiteral("Impressora não Conectada"));
        QCOMPARE(Caixa("Text1")->text(), QStringLiteral("com 2"));
        QCOMPARE(Caixa("Reducao")->text(), QStringLiteral("Obrigatória"));
        QCOMPARE(Caixa("LEITX")->text(), QStringLiteral("Efetuada"));
        QCOMPARE(Caixa("PAPEL")->text(), QStringLiteral("Sem Papel"));
        QCOMPARE(Porta, 2);
    }

    void dailyStates_data() {
        QTest::addColumn<QString>("reducao");
        QTest::addColumn<QString>("leituraX");
        QTest::addColumn<QString>("textoReducao");
        QTest::addColumn<QString>("textoLeituraX");
        const QString antes = QStringLiteral("antes");
        QTest::newRow("S S") << "S" << "S" << "Efetuada" << "Efetuada";
        QTest::newRow("N N") << "N" << "N" << "Não Efetuada" << "Não Efetuada";
        QTest::newRow("F F: X keeps its text") << "F" << "F" << "Obrigatória" << antes;
        QTest::newRow("lower case is not a state") << "s" << "n" << antes << antes;
        QTest::newRow("blank") << " " << " " << antes << antes;
    }
    void dailyStates() {
        QFETCH(QString, reducao);
        QFETCH(QString, leituraX);
        QFETCH(QString, textoReducao);
        QFETCH(QString, textoLeituraX);
        Caixa("Reducao")->setText(QStringLiteral("antes"));
        Caixa("LEITX")->setText(QStringLiteral("antes"));
        ImpressoraNaPorta(1, Status28(reducao.toLatin1()[0], leituraX.toLatin1()[0]));
        janela->Form_Load();
        QCOMPARE(Caixa("Reducao")->text(), textoReducao);
        QCOMPARE(Caixa("LEITX")->text(), textoLeituraX);
    }

    void paperAndLine_data() {
        QTest::addColumn<QString>("resposta");
        QTest::addColumn<QString>("papel");
        QTest::addColumn<QColor>("corPapel");
        QTest::addColumn<QString>("linha");
        QTest::addColumn<QColor>("corLinha");
        QTest::addColumn<bool>("semPapel");
        QTest::newRow("out of paper") << QString::fromStdString(Status23('5')) << "Sem Papel" << kRed
                                      << "Conectada" << kBlack << true;
        QTest::newRow("off line") << QString::fromStdString(Status23('1')) << "Com Papel" << kBlack
                                  << "Fora de Linha" << kRed << false;
        QTest::newRow("fine") << QString::fromStdString(Status23('0')) << "Com Papel" << kBlack << "Conectada"
                              << kBlack << false;
        QTest::newRow("short answer") << "{+23" << "Com Papel" << kBlack << "Conectada" << kBlack << false;
        QTest::newRow("refused answer is not looked at")
            << "{-23 5" << "Sem Papel" << kRed << "Conectada" << kBlack << true;
    }
    void paperAndLine() {
        QFETCH(QString, resposta);
        QFETCH(QString, papel);
        QFETCH(QColor, corPapel);
        QFETCH(QString, linha);
        QFETCH(QColor, corLinha);
        QFETCH(bool, semPapel);
        // Red from an earlier check must turn black again.
        Caixa("PAPEL")->setText(QStringLiteral("x"));
        ImpressoraNaPorta(1, Status28(), resposta.toStdString());
        janela->Form_Load();
        QCOMPARE(Caixa("PAPEL")->text(), papel);
        QCOMPARE(CorDoTexto(Caixa("PAPEL")), corPapel);
        QCOMPARE(Caixa("Linha")->text(), linha);
        QCOMPARE(CorDoTexto(Caixa("Linha")), corLinha);
        QCOMPARE(Caixa("Text3")->text(), resposta);

        // PaperEnd's own result, and that it leaves Status alone.
        Status = "x";
        QCOMPARE(janela->PaperEnd(), semPapel);
        QCOMPARE(Status, std::string("x"));
    }

    void resultado_data() {
        QTest::addColumn<QString>("resposta");
        QTest::addColumn<QString>("texto3");
        QTest::newRow("accepted: whole line") << "{+13 0000000000000000 ok" << "{+13 0000000000000000 ok";
        QTest::newRow("accepted whatever the first char") << "x+" << "x+";
        QTest::newRow("refused: code at 21-22") << "{-13 0000000000000000917" << "ERRO 09";
        QTest::newRow("refused, 21 characters") << "{-13 0000000000000009" << "ERRO 9";
        QTest::newRow("refused, 20 characters") << "{-13 000000000000000" << "ERRO ";
        QTest::newRow("empty answer") << "" << "ERRO ";
        QTest::newRow("end of reading is not success") << "{]13 000000000000000000" << "ERRO 00";
        QTest::newRow("8-bit answer shown in the code page") << QStringLiteral("{+ REDUÇÃO") << QStringLiteral("{+ REDUÇÃO");
    }
    void resultado() {
        QFETCH(QString, resposta);
        QFETCH(QString, texto3);
        // The answer as the printer sends it: Windows-1252 bytes.
        std::string bytes;
        for (QChar c : resposta) bytes.push_back(static_cast<char>(c.unicode()));
        driver->Enfileira(".13", bytes);
        EnviaComando(1, 180, ".13");
        janela->Resultado();
        QCOMPARE(Caixa("Text3")->text(), texto3);
        // A long answer padded with blanks shows from its start.
        QCOMPARE(Caixa("Text3")->cursorPosition(), 0);
    }

    // With no driver library at all the program still opens, and says why
    // nothing answers.
    void missingDriverLibrary() {
        DriverLibrary ausente("libZub_Dll3_nao_existe.so");
        Driver* anterior = InstalaDriver(&ausente);
        janela->Form_Load();
        InstalaDriver(anterior);
        QCOMPARE(Caixa("Text2")->text(), QStringLiteral("Impressora não Conectada"));
        QCOMPARE(Caixa("Text3")->text(),
                 QStringLiteral("Biblioteca do driver não encontrada: libZub_Dll3_nao_existe.so"));
        QCOMPARE(Porta, 0);
        QVERIFY(!QFile::exists(QStringLiteral("RespZub.txt")));
    }

    void everyCaptionFits() {
        const auto foraDoLugar = LegendasQueNaoCabem(janela.get());
        QStringList nomes;
        for (const auto& nome : foraDoLugar) nomes << nome;
        QVERIFY2(nomes.isEmpty(), qPrintable(nomes.join(QStringLiteral(", "))));
    }

    // The Tab key visits the controls in the designed order; labels and
    // frames are skipped, an option group is one stop.
    void tabOrder() {
        QVERIFY(MostraEAtiva(janela.get()));
        const QStringList esperado = {
            QStringLiteral("Command1"), QStringLiteral("Text1"),    QStringLiteral("Text2"),
            QStringLiteral("Text3"),    QStringLiteral("Command4"), QStringLiteral("COO"),
            QStringLiteral("CCF"),      QStringLiteral("PAPEL"),    QStringLiteral("Reducao"),
            QStringLiteral("LEITX"),    QStringLiteral("Porredu"),  QStringLiteral("NaImp"),
            QStringLiteral("Ini"),      QStringLiteral("Fim"),      QStringLiteral("LMF"),
            QStringLiteral("Command6"), QStringLiteral("Linha"),    QStringLiteral("Command5"),
            QStringLiteral("Command7"), QStringLiteral("RedZ"),     QStringLiteral("Command2"),
            QStringLiteral("Command1"),
        };
        QCOMPARE(QApplication::focusWidget()->objectName(), esperado.front());
        QStringList visitados = {QApplication::focusWidget()->objectName()};
        for (int i = 1; i < esperado.size(); ++i) {
            Tab(janela.get());
            visitados << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visitados, esperado);
    }

    void layoutFromTheDesign() {
        struct Item {
            const char* nome;
            const char* pai;
            int esquerda, topo, largura, altura, tab;
        };
        const Item itens[] = {
            {"Command1", "Form1", 120, 240, 1575, 375, 0},  {"Text2", "Form1", 1800, 240, 2895, 375, 2},
            {"COO", "Form1", 240, 1080, 975, 285, 8},       {"Command5", "Frame4", 1440, 960, 375, 255, 38},
            {"Porredu", "Frame2", 120, 240, 255, 255, 19},  {"NoArq", "Frame3", 120, 480, 255, 255, 22},
            {"Ini", "Frame1", 720, 1320, 1215, 375, 27},    {"LMF", "Frame1", 3960, 1320, 1215, 375, 31},
            {"Frame2", "Frame1", 120, 360, 2295, 855, 17},  {"Text3", "Form1", 360, 5760, 3975, 375, 5},
            {"Command2", "Form1", 1800, 4800, 1455, 375, 41},
        };
        for (const auto& item : itens) {
            auto* controle = janela->findChild<QWidget*>(QString::fromLatin1(item.nome));
            QVERIFY2(controle, item.nome);
            QCOMPARE(controle->parentWidget()->objectName(), QString::fromLatin1(item.pai));
            QCOMPARE(controle->geometry(), QRect(Twips(item.esquerda, controle), Twips(item.topo, controle),
                                                 Twips(item.largura, controle), Twips(item.altura, controle)));
            QCOMPARE(controle->property("TabIndex").toInt(), item.tab);
        }
        QCOMPARE(janela->windowTitle(), QStringLiteral("TAVORIN"));
        QCOMPARE(Caixa("Ini")->text(), QStringLiteral("0001"));
        QCOMPARE(Caixa("Fim")->text(), QStringLiteral("1000"));
        QVERIFY(Controle<QRadioButton>(janela.get(), "Porredu")->isChecked());
        QVERIFY(Controle<QRadioButton>(janela.get(), "NaImp")->isChecked());
        // The counters stand in front of the frame they lie in.
        auto* frame4 = janela->findChild<QWidget*>(QStringLiteral("Frame4"));
        const auto filhos = janela->children();
        QVERIFY(filhos.indexOf(Caixa("COO")) > filhos.indexOf(frame4));
        QVERIFY(filhos.indexOf(Caixa("CCF")) > filhos.indexOf(frame4));
    }
};

QTEST_MAIN(Form1Test)
#include "form1_tests.moc"
