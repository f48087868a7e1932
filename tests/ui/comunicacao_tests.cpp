// The "Comunicação" window offscreen: F12 from each window opens it, the
// exchanges appear as they happen (also while a window waits for the
// printer), "Limpar" empties it and "Salvar…" writes the record.
#include "comunicacao.h"
#include "identidade.h"
#include "janela.h"
#include "operador.h"
#include "registro.h"
#include "texto8.h"

#include <QAbstractItemModel>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QTreeView>

using namespace tavorin;
using namespace tavorin::teste;

class ComunicacaoTest : public QObject {
    Q_OBJECT

    std::unique_ptr<Bancada> bancada;
    std::unique_ptr<AtalhoComunicacao> atalho;

    QAbstractItemModel* Modelo() { return atalho->Janela()->findChild<QTreeView*>("Lista")->model(); }
    QString Celula(int linha, int coluna) { return Modelo()->index(linha, coluna).data().toString(); }
    // Enviado, Resultado and Resposta of a row.
    QString Linha(int linha) { return Celula(linha, 3) + '|' + Celula(linha, 4) + '|' + Celula(linha, 6); }

    // Picks `arquivo` in the next file dialog once it is up: typed into the
    // name box, as the operator does; the dialog may still be applying its
    // own preselected name when it comes up, which would win over selectFile.
    static void EscolheArquivo(const QString& arquivo) {
        Responde([arquivo](QWidget* dialogo) {
            dialogo->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QDir::toNativeSeparators(arquivo));
            static_cast<QDialog*>(dialogo)->accept();
        });
    }

private slots:
    // Qt's own file dialog, the one a test can drive: Windows' native one
    // is a separate system window.
    void initTestCase() { QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs); }
    void init() {
        cleanup();  // after a failed init, cleanup was not run
        bancada = std::make_unique<Bancada>(2);
        bancada->driver->respostaPadrao = {"{+ 1\x01\xC7", 0};
        LimpaTrocas();
        atalho = std::make_unique<AtalhoComunicacao>();
        QVERIFY(MostraEAtiva(bancada->principal.get()));
    }
    void cleanup() {
        atalho.reset();
        bancada.reset();
    }

    void f12FromEachWindow_data() {
        QTest::addColumn<QString>("botao");  // the main window's button that shows the window; "" the main one
        QTest::newRow("TAVORIN") << QString();
        QTest::newRow("Cupom") << "Command6";
        QTest::newRow("Relógio") << "Command7";
    }
    void f12FromEachWindow() {
        QFETCH(QString, botao);
        QWidget* janela = bancada->Mostra(botao);
        QVERIFY(janela);
        QVERIFY(!atalho->Janela());
        const int antes = static_cast<int>(Trocas().size());
        QTest::keyClick(janela, Qt::Key_F12);
        QVERIFY(atalho->Janela() && atalho->Janela()->isVisible());
        QCOMPARE(Modelo()->rowCount(), antes);
        EnviaComando(2, 10, ".01 X\r");
        QTRY_COMPARE(Modelo()->rowCount(), antes + 1);
        QCOMPARE(Linha(antes), QString::fromUtf8(".01·X\\x0D|0|{+·1\\x01Ç"));
        // The list shows what the record holds, whoever empties it and
        // whatever came in between.
        EnviaComando(2, 10, ".13");
        LimpaTrocas();
        EnviaComando(2, 10, ".21");
        QTRY_COMPARE(Celula(0, 3), QStringLiteral(".21"));
        QCOMPARE(Modelo()->rowCount(), 1);
        // While the counters' second command waits, the first is listed.
        bancada->driver->Segura(".271");
        int listadas = 0;
        AoChegar(*bancada->driver, [&] {
            if (QTest::qWaitFor([&] { return Modelo()->rowCount() == 2; }, kEsperaJanela))
                listadas = Modelo()->rowCount();
        });
        Clica(bancada->principal.get(), "Command5");
        QCOMPARE(listadas, 2);
        QTRY_COMPARE(Modelo()->rowCount(), 3);
    }

    // The list keeps what the record keeps, bounded by bytes as well as by
    // rows. "Limpar" empties the list and the record; "Salvar…" writes
    // what the record holds, one line per exchange, and says where; a file
    // that cannot be written is reported and nothing is left behind;
    // "Salvar diagnóstico…" writes the diagnostic's report.
    void boundedClearSaveAndDiagnostic() {
        QTest::keyClick(bancada->principal.get(), Qt::Key_F12);
        Comunicacao* janela = atalho->Janela();
        Troca grande;
        grande.comando = ".++";
        grande.resposta = std::string(1 << 20, 'x');
        for (int i = 0; i < 12; ++i) RegistraTroca(grande);
        const int guardadas = static_cast<int>(Trocas().size());
        QTRY_COMPARE(Modelo()->rowCount(), guardadas);
        Clica(janela, "Limpar");
        QCOMPARE(Modelo()->rowCount(), 0);
        QVERIFY(Trocas().empty());
        EnviaComando(2, 180, ".13");
        FazTroca(2, 10, ".23 ");
        QTRY_COMPARE(Modelo()->rowCount(), 2);

        const QString arquivo = QDir::current().absoluteFilePath("registro.txt");
        EscolheArquivo(arquivo);
        Clica(janela, "Salvar");
        // Headed by the version and the driver library, as the window shows
        // them, then one line per exchange, each without its time and
        // duration, which are the clock's.
        const QString cabeca = QStringLiteral("Tavorin ") + VersaoTavorin() +
                               QStringLiteral("\nBiblioteca do driver não encontrada: ") + kBibliotecaDriver;
        QCOMPARE(janela->findChild<QLabel*>("Biblioteca")->text(), cabeca);
        QString salvo = QString::fromUtf8(LeArquivo(arquivo.toStdString()).c_str());
        salvo.replace(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3}  (.*)  "
                                                        "\\d+,\\d{3} ms(?=\r?$)"),
                                         QRegularExpression::MultilineOption),
                      QStringLiteral("\\1"));
        QString esperado = cabeca + QString::fromUtf8(
                                        "\n"
                                        "porta 2  espera 180  enviado \".13\"  resultado 0  resposta \"{+·1\\x01Ç\"\n"
                                        "porta 2  espera 10  enviado \".23·\"  resultado 0  resposta \"{+·1\\x01Ç\"\n");
        // Written as text: the platform's line end.
#if defined(Q_OS_WIN)
        esperado.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
#endif
        QCOMPARE(salvo, esperado);
        auto* situacao = janela->findChild<QLabel*>("Situacao");
        QCOMPARE(situacao->text(), "Salvo em " + QDir::toNativeSeparators(arquivo));

        const QString semPasta = QDir::current().absoluteFilePath("nao/existe.txt");
        QVERIFY(!janela->Salva(semPasta));
        QVERIFY(situacao->text().startsWith("Não foi possível salvar " + QDir::toNativeSeparators(semPasta)));
        QCOMPARE(situacao->palette().color(QPalette::WindowText), kVermelho);
        QVERIFY(!QDir("nao").exists());

        // "Salvar diagnóstico…": the diagnostic runs on the link's thread,
        // its report lands where the technician picked, and the window says
        // where and what it found.
        bancada->driver->Limpa();
        const QString diagnostico = QDir::current().absoluteFilePath("diagnostico.txt");
        EscolheArquivo(diagnostico);
        Clica(janela, "SalvarDiagnostico");
        QCOMPARE(situacao->text(), "Diagnóstico salvo em " + QDir::toNativeSeparators(diagnostico) +
                                       " (impressora encontrada na porta 1)");
        QVERIFY(QString::fromStdString(LeArquivo(diagnostico.toStdString())).startsWith("Diagnóstico do Tavorin"));
        QCOMPARE(bancada->driver->chamadas,
                 Chamadas({ChAbre(1), ChTXRX(1, 3, ".28"), ChTXRX(1, 10, ".23"), ChFecha(1)}));
    }
};

QTEST_MAIN(ComunicacaoTest)
#include "comunicacao_tests.moc"
