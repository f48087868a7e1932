// The daily reports and the fiscal memory reading on the real simulated
// printer: a Redução Z recorded in its fiscal memory, then read back to
// LeitM.txt block by block.
#include "ambiente.h"
#include "driver.h"
#include "form1.h"
#include "link.h"
#include "operador.h"

#include <QLineEdit>
#include <QList>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <memory>

using namespace tavorin;
using namespace tavorin::teste;

namespace {

QByteArray Bytes(const std::string& texto) { return QByteArray(texto.data(), static_cast<int>(texto.size())); }

// LeitM.txt's lines; fails the test unless every line ends CR LF and no
// line holds a CR, a LF or the block end "}".
QList<QByteArray> Linhas(const QByteArray& arquivo) {
    QList<QByteArray> linhas;
    int inicio = 0;
    while (inicio < arquivo.size()) {
        const int fim = arquivo.indexOf("\r\n", inicio);
        if (fim < 0) {
            QTest::qFail("LeitM.txt does not end with CR LF", __FILE__, __LINE__);
            return {};
        }
        const QByteArray linha = arquivo.mid(inicio, fim - inicio);
        if (linha.contains('\r') || linha.contains('\n') || linha.contains('}')) {
            QTest::qFail(("stray byte in line: " + linha).constData(), __FILE__, __LINE__);
            return {};
        }
        linhas << linha;
        inicio = fim + 2;
    }
    return linhas;
}

}  // namespace

class MemoriaE2E : public QObject {
    Q_OBJECT

    std::unique_ptr<DiretorioTemporario> pasta;
    std::unique_ptr<Form1> janela;

    QLineEdit* Caixa(const char* nome) { return Controle<QLineEdit>(janela.get(), nome); }
    void Clique(const char* nome) { Clica(Controle<QWidget>(janela.get(), nome)); }
    int Coo() {
        Clique("Command5");
        bool ok = false;
        const int coo = Caixa("COO")->text().toInt(&ok);
        return ok ? coo : -1;
    }

private slots:
    void init() {
        pasta = std::make_unique<DiretorioTemporario>();
        for (const char* nome : {"ZUBSIM_PORTA", "ZUBSIM_SEM_PAPEL", "ZUBSIM_FORA_DE_LINHA", "ZUBSIM_MUDA",
                                 "ZUBSIM_BAUD"})
            PoeAmbiente(nome, nullptr);
        PoeAmbiente("ZUBSIM_DIR", pasta->Caminho().string().c_str());
        InstalaDriver(nullptr);
        Porta = 0;
        Resposta.clear();
        Status.clear();
        janela = std::make_unique<Form1>();
        janela->Form_Load();
        QVERIFY(MostraEAtiva(janela.get()));
        QCOMPARE(Porta, 1);
    }
    void cleanup() {
        janela.reset();
        FechaPortaAberta();
        pasta.reset();
    }

    void reducaoZThenReadingToTheFile() {
        // The printer's own date, as the printer test showed it.
        const QString relogio = Caixa("Text2")->text();
        QVERIFY2(relogio.startsWith(QStringLiteral("Horario Normal ")), qPrintable(relogio));
        const QByteArray hoje = relogio.mid(15, 8).toLatin1();

        const int cooAntes = Coo();
        QVERIFY(cooAntes >= 0);
        Clique("RedZ");
        QCOMPARE(Status, std::string("+"));
        QCOMPARE(Caixa("Text3")->text(), QString::fromLatin1(Resposta.c_str()));
        QCOMPARE(Coo(), cooAntes + 1);
        // A second Redução Z the same day is refused, and says why.
        Clique("RedZ");
        QVERIFY2(Caixa("Text3")->text().startsWith(QStringLiteral("ERRO ")), qPrintable(Caixa("Text3")->text()));
        QCOMPARE(Caixa("Text3")->text().size(), 7);

        Clique("NoArq");
        Clique("LMF");
        QCOMPARE(Caixa("Text3")->text(), QStringLiteral("Arquivo LeitM.txt gravado"));
        QCOMPARE(PortaAberta(), -1);
        const QByteArray porReducao = Bytes(LeArquivo("LeitM.txt"));
        const QList<QByteArray> linhas = Linhas(porReducao);
        QVERIFY2(linhas.size() >= 3, porReducao.constData());
        // 8-bit text as the printer sent it: Ó is one byte.
        QCOMPARE(linhas.first(), QByteArray("LEITURA DA MEM\xD3RIA FISCAL"));
        QCOMPARE(linhas.last(), QByteArray("FIM DA LEITURA"));
        int registros = 0;
        for (const QByteArray& linha : linhas)
            if (linha.startsWith("REDU\xC7\xC3O 0001 ") && linha.contains(hoje)) ++registros;
        QVERIFY2(registros == 1, porReducao.constData());

        // The same reduction found by date; the boxes read as dates again.
        Clique("Pordata");
        Substitui(Caixa("Fim"), QStringLiteral("31/12/99"));
        Clique("LMF");
        QCOMPARE(Caixa("Text3")->text(), QStringLiteral("Arquivo LeitM.txt gravado"));
        QCOMPARE(Caixa("Ini")->text(), QStringLiteral("01/01/00"));
        QCOMPARE(Caixa("Fim")->text(), QStringLiteral("31/12/99"));
        const QByteArray porData = Bytes(LeArquivo("LeitM.txt"));
        QVERIFY2(porData.contains("\r\nREDU\xC7\xC3O 0001 ") && porData.contains(hoje), porData.constData());

        // A range the printer refuses leaves the last reading in place.
        Clique("Porredu");
        Substitui(Caixa("Ini"), QStringLiteral("9"));
        Substitui(Caixa("Fim"), QStringLiteral("1"));
        Clique("LMF");
        QCOMPARE(Caixa("Ini")->text(), QStringLiteral("0009"));
        QVERIFY2(Caixa("Text3")->text().startsWith(QStringLiteral("ERRO ")), qPrintable(Caixa("Text3")->text()));
        QCOMPARE(Bytes(LeArquivo("LeitM.txt")), porData);
        QCOMPARE(PortaAberta(), -1);
    }

    // Leitura X and a reading printed on paper are documents: each takes a
    // COO. The drawer is not.
    void printedReportsCountCoo() {
        const int coo = Coo();
        Clique("Command4");
        QCOMPARE(Status, std::string("+"));
        QCOMPARE(Caixa("Text3")->text(), QString::fromLatin1(Resposta.c_str()));
        Clique("Command2");
        QCOMPARE(Status, std::string("+"));
        QCOMPARE(Coo(), coo + 1);
        Clique("LMF");
        QCOMPARE(Status, std::string("+"));
        QCOMPARE(Caixa("Text3")->text(), QString::fromLatin1(Resposta.c_str()));
        QCOMPARE(Coo(), coo + 2);
        QVERIFY(!QFile::exists(QStringLiteral("LeitM.txt")));
        QCOMPARE(PortaAberta(), -1);
    }
};

QTEST_MAIN(MemoriaE2E)
#include "memoria_e2e.moc"
