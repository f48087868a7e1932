// The main window's daily reports, drawer and counters, clicked as an
// operator does, against the fake driver.
#include "ambiente.h"
#include "fake_driver.h"
#include "form1.h"
#include "link.h"
#include "operador.h"

#include <QLineEdit>
#include <QPushButton>
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

// An answer line `tamanho` long: start character, status, the command's
// code, the error code at 21-22, blanks elsewhere.
std::string Linha(char status, const std::string& codigo, const std::string& erro = "00", std::size_t tamanho = 64) {
    std::string linha(tamanho, ' ');
    linha[0] = '@';
    linha[1] = status;
    linha.replace(2, 2, codigo);
    linha.replace(20, 2, erro);
    return linha;
}

// `linha` with `campo` written over it from 1-based `posicao`.
std::string ComCampo(std::string linha, std::size_t posicao, const std::string& campo) {
    linha.replace(posicao - 1, campo.size(), campo);
    return linha;
}

}  // namespace

class Form1RelatoriosTest : public QObject {
    Q_OBJECT

    std::unique_ptr<DiretorioTemporario> pasta;
    std::unique_ptr<FakeDriver> driver;
    std::unique_ptr<Form1> janela;

    QLineEdit* Caixa(const char* nome) { return Controle<QLineEdit>(janela.get(), nome); }
    QPushButton* Botao(const char* nome) { return Controle<QPushButton>(janela.get(), nome); }

private slots:
    void init() {
        pasta = std::make_unique<DiretorioTemporario>();
        driver = std::make_unique<FakeDriver>();
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

    void oneCommandButtons_data() {
        QTest::addColumn<QString>("botao");
        QTest::addColumn<QString>("progresso");
        QTest::addColumn<QString>("comando");
        QTest::addColumn<int>("porta");
        QTest::addColumn<bool>("comResposta");
        QTest::addColumn<QString>("resposta");
        QTest::addColumn<QString>("texto3");
        const QString gaveta = QString::fromStdString(Linha('+', "21"));
        const QString leituraX = QString::fromStdString(Linha('+', "13") + "LEITURA X");
        QTest::newRow("drawer, accepted") << "Command2" << "Abre gaveta" << ".21" << 1 << true << gaveta << gaveta;
        QTest::newRow("Leitura X on port 2") << "Command4" << "Leitura X" << ".13" << 2 << true << leituraX
                                             << leituraX;
        QTest::newRow("Redução Z refused") << "RedZ" << "Redução Z" << ".14" << 1 << true
                                           << QString::fromStdString(Linha('-', "14", "13")) << "ERRO 13";
        QTest::newRow("before any printer was found: port 0")
            << "Command4" << "Leitura X" << ".13" << 0 << true << leituraX << leituraX;
        QTest::newRow("driver wrote no answer") << "Command2" << "Abre gaveta" << ".21" << 1 << false << QString()
                                                << "ERRO ";
    }
    void oneCommandButtons() {
        QFETCH(QString, botao);
        QFETCH(QString, progresso);
        QFETCH(QString, comando);
        QFETCH(int, porta);
        QFETCH(bool, comResposta);
        QFETCH(QString, resposta);
        QFETCH(QString, texto3);
        Porta = porta;
        const std::string cmd = comando.toStdString();
        driver->Enfileira(cmd, Atendimento{comResposta ? std::optional<std::string>(resposta.toStdString())
                                                       : std::nullopt,
                                           0, {}});
        Caixa("Text3")->setText(QStringLiteral("anterior"));
        Pinturas pinturas(Caixa("Text3"));
        QString mostradoDurante, textoDurante;
        driver->durante = [&](const Chamada&) {
            mostradoDurante = pinturas.Ultima();
            textoDurante = Caixa("Text3")->text();
        };

        Clica(Botao(botao.toLatin1().constData()));

        const auto p = static_cast<int16_t>(porta);
        const std::vector<Chamada> esperado = {ChAbre(p), ChTXRX(p, 180, cmd), ChFecha(p)};
        QVERIFY2(driver->chamadas == esperado, Descreve(driver->chamadas).c_str());
        QCOMPARE(textoDurante, progresso);
        QCOMPARE(mostradoDurante, progresso);
        QCOMPARE(Caixa("Text3")->text(), texto3);
    }

    void counters_data() {
        QTest::addColumn<QString>("resposta5609");
        QTest::addColumn<QString>("resposta271");
        QTest::addColumn<QString>("coo");
        QTest::addColumn<QString>("ccf");
        const std::string coo = ComCampo(Linha('+', "56", "00", 30), 5, "0123");
        const std::string ccf = ComCampo(Linha('+', "27", "00", 128), 115, "0456");
        auto q = [](const std::string& s) { return QString::fromStdString(s); };
        QTest::newRow("both counters") << q(coo) << q(ccf) << "0123" << "0456";
        QTest::newRow("COO answer of 4 characters: empty") << "@+56" << q(ccf) << "" << "0456";
        QTest::newRow("COO answer of 6 characters: two digits") << "@+5601" << q(ccf) << "01" << "0456";
        QTest::newRow("COO answer of 7 characters: three digits") << "@+56012" << q(ccf) << "012" << "0456";
        QTest::newRow("CCF answer of 114 characters: empty") << q(coo) << q(ccf.substr(0, 114)) << "0123" << "";
        QTest::newRow("CCF answer of 116 characters: two digits")
            << q(coo) << q(ccf.substr(0, 116)) << "0123" << "04";
        QTest::newRow("refused answers are copied all the same")
            << q(ComCampo(Linha('-', "56", "24"), 5, "9 9 ")) << q(ComCampo(Linha('-', "27", "24", 128), 115, "ERRO"))
            << "9 9 " << "ERRO";
        QTest::newRow("empty answers") << "" << "" << "" << "";
    }
    void counters() {
        QFETCH(QString, resposta5609);
        QFETCH(QString, resposta271);
        QFETCH(QString, coo);
        QFETCH(QString, ccf);
        driver->Enfileira(".5609", resposta5609.toStdString());
        driver->Enfileira(".271", resposta271.toStdString());
        Caixa("COO")->setText(QStringLiteral("old1"));
        Caixa("CCF")->setText(QStringLiteral("old2"));
        Caixa("Text3")->setText(QStringLiteral("anterior"));
        QApplication::processEvents();
        Pinturas pinturas(Caixa("Text3"));
        Porta = 2;

        Clica(Botao("Command5"));

        const std::vector<Chamada> esperado = {ChAbre(2), ChTXRX(2, 10, ".5609"), ChTXRX(2, 10, ".271"), ChFecha(2)};
        QVERIFY2(driver->chamadas == esperado, Descreve(driver->chamadas).c_str());
        QCOMPARE(Caixa("COO")->text(), coo);
        QCOMPARE(Caixa("CCF")->text(), ccf);
        QCOMPARE(Caixa("Text3")->text(), QStringLiteral("anterior"));
        QVERIFY2(pinturas.textos.isEmpty(), qPrintable(pinturas.textos.join(QLatin1Char('|'))));
    }

    // The counters are 8-bit text from the printer, shown in its code page.
    void countersInThePrinterCodePage() {
        driver->Enfileira(".5609", "@+56\xC7\xC3\x80" "1");
        driver->Enfileira(".271", ComCampo(Linha('+', "27", "00", 120), 115, "\xE9\xE7\xE3\xF5"));
        Clica(Botao("Command5"));
        QCOMPARE(Caixa("COO")->text(), QStringLiteral("ÇÃ€1"));
        QCOMPARE(Caixa("CCF")->text(), QStringLiteral("éçãõ"));
    }

    // A box being edited is left when a button is clicked; the button's
    // command still goes out, once, after the box was rewritten.
    void buttonClickedWhileEditingTheRange() {
        Substitui(Caixa("Ini"), QStringLiteral("7"));
        driver->Enfileira(".13", Linha('+', "13"));
        Clica(Botao("Command4"));
        QCOMPARE(Caixa("Ini")->text(), QStringLiteral("0007"));
        QCOMPARE(driver->Comandos(), std::vector<std::string>{".13"});
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(Botao("Command4")));
    }
};

QTEST_MAIN(Form1RelatoriosTest)
#include "form1_relatorios_tests.moc"
