// The daily reports and the fiscal memory reading on the real simulated
// printer: a Redução Z recorded in its fiscal memory, then read back to
// LeitM.txt block by block.
#include "driver.h"
#include "link.h"
#include "operador.h"

using namespace tavorin;
using namespace tavorin::teste;

class MemoriaE2E : public TesteJanela {
    Q_OBJECT

public:
    MemoriaE2E() : TesteJanela(0, true) {}

private:
    void Prepara() override {
        principal->Form_Load();
        QCOMPARE(Porta, 1);
    }
    int Coo() {
        Clique("Command5");
        bool ok = false;
        const int coo = Texto("COO").toInt(&ok);
        return ok ? coo : -1;
    }

private slots:
    void reducaoZThenReadingToTheFile() {
        // The printer's own date, as the printer test showed it.
        const QByteArray hoje = Texto("Text2").mid(15, 8).toLatin1();
        const int cooAntes = Coo();
        QVERIFY(cooAntes >= 0);
        Clique("RedZ");
        QCOMPARE(Status, std::string("+"));
        QCOMPARE(Texto("Text3"), QString::fromLatin1(Resposta.c_str()));
        QCOMPARE(Coo(), cooAntes + 1);

        Clique("NoArq");
        Clique("LMF");
        QCOMPARE(Texto("Text3"), QStringLiteral("Arquivo LeitM.txt gravado"));
        QCOMPARE(PortaAberta(), -1);
        // 8-bit text as the printer sent it, a line per block.
        const QByteArray arquivo = Bytes(LeArquivo("LeitM.txt"));
        QVERIFY2(arquivo.startsWith("LEITURA DA MEM\xD3RIA FISCAL\r\n") && arquivo.endsWith("\r\nFIM DA LEITURA\r\n"),
                 arquivo.constData());
        QVERIFY2(!arquivo.contains('}') && arquivo.count('\n') == arquivo.count("\r\n") &&
                     arquivo.count("FIM DA LEITURA") == 1,
                 arquivo.constData());
        int registros = 0;
        for (const QByteArray& linha : arquivo.split('\n'))
            registros += linha.startsWith("REDU\xC7\xC3O 0001 ") && linha.contains(hoje);
        QVERIFY2(registros == 1, arquivo.constData());

        // A range the printer refuses leaves the reading in place.
        Substitui(Caixa("Ini"), QStringLiteral("9"));
        Substitui(Caixa("Fim"), QStringLiteral("1"));
        Clique("LMF");
        QVERIFY2(Texto("Text3").startsWith(QStringLiteral("ERRO ")), qPrintable(Texto("Text3")));
        QCOMPARE(Bytes(LeArquivo("LeitM.txt")), arquivo);
        QCOMPARE(PortaAberta(), -1);
    }
};

QTEST_MAIN(MemoriaE2E)
#include "memoria_e2e.moc"
