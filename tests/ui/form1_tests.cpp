// The main window's start-up and printer test against the fake driver, and
// what the operator sees of the three windows' design.
#include "driver_library.h"
#include "janela.h"
#include "link.h"
#include "operador.h"

#include <QAbstractButton>
#include <QLabel>
#include <QRadioButton>

using namespace tavorin;
using namespace tavorin::teste;

namespace {

const char* const kPainel[] = {"Text1", "Text2", "Reducao", "LEITX", "PAPEL", "Linha", "Text3"};

struct Painel {
    std::string r28, r23;
    // What the boxes show afterwards, "name=text" separated by blanks, "_"
    // for a blank and "*" before a red text; Text3 shows the ".23" answer.
    QString mostra;
};

}  // namespace

Q_DECLARE_METATYPE(Painel)

class Form1Test : public TesteJanela {
    Q_OBJECT

public:
    Form1Test() : TesteJanela(0) {}

private:
    // Every box of the status panel shows what an earlier test left; the
    // paper and line states were red.
    void Prepara() override {
        for (const char* nome : kPainel) Caixa(nome)->setText(QStringLiteral("antes"));
        Caixa("PAPEL")->PoeCor(kVermelho);
        Caixa("Linha")->PoeCor(kVermelho);
    }

    // A printer on `porta` only (0: none); other ports open but never answer.
    void Impressora(int16_t porta, const std::string& r28 = Status28(), const std::string& r23 = Status23('0')) {
        driver->porComando = [=](int16_t p, const std::string& comando) -> std::optional<Atendimento> {
            if (p != porta) return Atendimento{std::string(), -2};
            return Atendimento{comando == ".23" ? r23 : r28, 0};
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
        QStringList mostrado;
        for (const char* nome : kPainel) mostrado << Texto(nome);
        // A failed test leaves what the last good one showed.
        QCOMPARE(mostrado.join('|'), impressora == 0 ? "antes|Impressora não Conectada|antes|antes|antes|antes|antes"
                                                     : QStringLiteral("com %1|Horario de Verao 05/12/03 14:30|Efetuada|"
                                                                      "Não Efetuada|Com Papel|Conectada|")
                                                               .arg(impressora) + QString::fromStdString(Status23('0')));
        QCOMPARE(Status, std::string(impressora ? "+" : "-"));
    }

    // The day's states at 18 and 124 of ".28", paper and line at 6 of ".23".
    void statusPanel_data() {
        QTest::addColumn<Painel>("caso");
        QTest::newRow("N at 18, S at 124") << Painel{Status28("0512031430", 'N', 'N', 'S'), Status23('0'),
                                                     "Reducao=Não_Efetuada LEITX=Efetuada PAPEL=Com_Papel Linha=Conectada"};
        QTest::newRow("F at 18 and 124: the X keeps its text")
            << Painel{Status28("0512031430", 'N', 'F', 'F'), Status23('5'),
                      "Reducao=Obrigatória LEITX=antes PAPEL=*Sem_Papel Linha=Conectada"};
        QTest::newRow("lower case is no state; off line")
            << Painel{Status28("0512031430", 'N', 's', 'n'), Status23('1'),
                      "Reducao=antes LEITX=antes PAPEL=Com_Papel Linha=*Fora_de_Linha"};
        QTest::newRow("a short check") << Painel{Status28(), "{+23", "PAPEL=Com_Papel Linha=Conectada"};
        QTest::newRow("a refused check is read all the same")
            << Painel{Status28(), "{-23 5", "PAPEL=*Sem_Papel Linha=Conectada"};
    }
    void statusPanel() {
        QFETCH(Painel, caso);
        Impressora(1, caso.r28, caso.r23);
        principal->Form_Load();
        for (const QString& par : caso.mostra.split(' ')) {
            const QString nome = par.section('=', 0, 0), texto = par.section('=', 1);
            CaixaTexto* caixa = Caixa(nome.toLatin1().constData());
            QCOMPARE(caixa->text(), QString(texto).remove('*').replace('_', ' '));
            QCOMPARE(CorDoTexto(caixa), texto.startsWith('*') ? kVermelho : kPreto);
        }
        QCOMPARE(Texto("Text3"), QString::fromStdString(caso.r23));
        // PaperEnd's own result; it leaves Status alone.
        Status = "x";
        QCOMPARE(principal->PaperEnd(), caso.mostra.contains("Sem_Papel"));
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
    }

    // Each window: its title, a window of its own beside the others, the
    // containers and captions, every caption whole, and the Tab key's
    // order from the first focus (labels and frames skipped, an option
    // group one stop).
    void design_data() {
        QTest::addColumn<QString>("janela");  // the button that shows it
        QTest::addColumn<QString>("titulo");
        QTest::addColumn<QString>("controles");  // name:container or name=text, "_" for a blank
        QTest::addColumn<QString>("tab");
        QTest::newRow("main") << "Command1" << "TAVORIN"
            << "Command5:Frame4 COO:Form1 Porredu:Frame2 NoArq:Frame3 Frame2:Frame1 Ini:Frame1 Text3:Form1 "
               "Ini=0001 Fim=1000 Command5=Lê LMF=Executa Label13=Início:"
            << "Command1 Text1 Text2 Text3 Command4 COO CCF PAPEL Reducao LEITX Porredu NaImp Ini Fim LMF Command6 "
               "Linha Command5 Command7 RedZ Command2 Command1";
        QTest::newRow("coupon") << "Command6" << "Cupom"
            << "Abrir=Abrir Item=Item Pagar=Pagar_R$100,00 Fechar=Fechar_Cupom Command1=Fechar Comando=Comando"
            << "Abrir Item Pagar Fechar Command1 Text1 Text2 Comando Abrir";
        QTest::newRow("clock") << "Command7" << "Relógio e Horário de Verão"
            << "Label1=Nova_Data Label2=Novo_Horário SetClock=Alterar EHV=Entrar_no_H.Verão SHV=Sair_do_H.Verão"
            << "Text1 NData NHora SetClock EHV SHV RespClock Text1";
    }
    void design() {
        QFETCH(QString, janela);
        QFETCH(QString, titulo);
        QFETCH(QString, controles);
        QFETCH(QString, tab);
        Clique(janela.toLatin1().constData());
        QWidget* w = nullptr;
        for (QWidget* janela : QApplication::topLevelWidgets())
            if (janela->windowTitle() == titulo) w = janela;
        QVERIFY(w && QTest::qWaitForWindowActive(w) && !w->parentWidget() && !w->isModal());
        for (const QString& item : controles.split(' ')) {
            int sinal = 0;
            while (item[sinal] != ':' && item[sinal] != '=') ++sinal;
            QWidget* controle = Controle<QWidget>(w, item.left(sinal).toLatin1().constData());
            const QString valor = item.mid(sinal + 1).replace('_', ' ');
            if (item[sinal] == ':')
                QCOMPARE(controle->parentWidget()->objectName(), valor);
            else if (auto* caixa = qobject_cast<QLineEdit*>(controle))
                QCOMPARE(caixa->text(), valor);
            else if (auto* rotulo = qobject_cast<QLabel*>(controle))
                QCOMPARE(rotulo->text(), valor);
            else
                QCOMPARE(qobject_cast<QAbstractButton*>(controle)->text(), valor);
        }
        QVERIFY2(LegendasCortadas(w).isEmpty(), qPrintable(LegendasCortadas(w)));
        QStringList ordem = tab.split(' ');
        QCOMPARE(QApplication::focusWidget()->objectName(), ordem.takeFirst());
        QCOMPARE(OrdemTab(w, ordem.size()), ordem);
    }

    // The counters stand in front of the frame they lie in; the range is
    // by reduction, to the printer, at first.
    void mainWindowDetails() {
        const QObjectList filhos = principal->children();
        const int frame4 = filhos.indexOf(Controle<QWidget>(principal.get(), "Frame4"));
        QVERIFY(filhos.indexOf(Caixa("COO")) > frame4 && filhos.indexOf(Caixa("CCF")) > frame4);
        QVERIFY(Controle<QRadioButton>(principal.get(), "Porredu")->isChecked());
        QVERIFY(Controle<QRadioButton>(principal.get(), "NaImp")->isChecked());
    }
};

QTEST_MAIN(Form1Test)
#include "form1_tests.moc"
