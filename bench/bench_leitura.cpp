// How fast a reading of the fiscal memory to LeitM.txt runs when the
// printer costs nothing: a driver in the process answers every command at
// once (writing RespZub.txt as the real one does), the main window is
// shown on the offscreen platform, and Text3 is repainted after every
// block as the operator sees it. What is left is the program's own cost
// per block: the answer file, the link, the repaint and the file writing.
// With --comunicacao the "Comunicação" window is open beside it, listing
// every exchange as it happens.
//
// With --megabyte every block's answer is 1 MiB long, as a misbehaving
// driver might write it.
//
//   bench_leitura [blocks [runs]] [--comunicacao] [--megabyte]   (default 10000 blocks, 5 runs)
#include "ambiente_teste.h"
#include "comunicacao.h"
#include "fake_driver.h"
#include "form1.h"
#include "link.h"
#include "operacoes.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

bool respostaGrande = false;

// The reading's answers: `blocos` blocks, the first in answer to the
// reading command, the rest one per ".++", then "]".
std::function<std::optional<tavorin::teste::Atendimento>(int16_t, const std::string&)> Leitura(int blocos) {
    return [blocos, entregues = 0](int16_t, const std::string& comando) mutable {
        if (comando[1] != '+') entregues = 0;
        if (entregues >= blocos) return std::optional<tavorin::teste::Atendimento>({"@]++ 000000000000000000"});
        ++entregues;
        char numero[8];
        std::snprintf(numero, sizeof numero, "%04d", entregues % 10000);
        // A block as long as a real one, with 8-bit characters.
        return std::optional<tavorin::teste::Atendimento>(
            {std::string("@+") + numero + "REDU\xC7\xC3O " + numero + "  MOVIMENTO 01/01/09  COO 000123" +
             (respostaGrande ? std::string(1 << 20, 'X') : std::string()) + "}"});
    };
}

// Counts the paint events that reach a control.
class ContaPinturas : public QObject {
public:
    int pinturas = 0;
    bool eventFilter(QObject*, QEvent* evento) override {
        if (evento->type() == QEvent::Paint) ++pinturas;
        return false;
    }
};

// The positional arguments, without the options.
std::vector<char*> Posicionais(int argc, char* argv[], bool& comunicacao) {
    std::vector<char*> restantes;
    for (int i = 0; i < argc; ++i) {
        if (std::string(argv[i]) == "--comunicacao")
            comunicacao = true;
        else if (std::string(argv[i]) == "--megabyte")
            respostaGrande = true;
        else
            restantes.push_back(argv[i]);
    }
    return restantes;
}

int Argumento(int argc, char* argv[], int indice, int padrao) {
    if (argc <= indice) return padrao;
    const int valor = std::atoi(argv[indice]);
    return valor > 0 ? valor : padrao;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication aplicacao(argc, argv);
    bool comunicacao = false;
    std::vector<char*> posicionais = Posicionais(argc, argv, comunicacao);
    const int blocos = Argumento(static_cast<int>(posicionais.size()), posicionais.data(), 1, 10000);
    const int rodadas = Argumento(static_cast<int>(posicionais.size()), posicionais.data(), 2, 5);

    const tavorin::teste::DiretorioTemporario pasta("bench-leitura");
    tavorin::teste::FakeDriver driver;
    driver.porComando = Leitura(blocos);
    tavorin::Porta = 1;

    tavorin::Form1 janela;
    janela.show();
    for (int i = 0; i < 20; ++i) QApplication::processEvents();
    auto* text3 = janela.findChild<QLineEdit*>(QStringLiteral("Text3"));
    auto* noArq = janela.findChild<QRadioButton*>(QStringLiteral("NoArq"));
    auto* executa = janela.findChild<QPushButton*>(QStringLiteral("LMF"));
    if (!text3 || !noArq || !executa) {
        std::fprintf(stderr, "bench_leitura: the window lacks Text3, NoArq or LMF\n");
        return 1;
    }
    noArq->setChecked(true);
    ContaPinturas contador;
    text3->installEventFilter(&contador);
    tavorin::AtalhoComunicacao atalho;
    ContaPinturas pinturasLista;
    if (comunicacao) {
        QKeyEvent f12(QEvent::KeyPress, Qt::Key_F12, Qt::NoModifier);
        QApplication::sendEvent(&janela, &f12);
        if (!atalho.Janela()) {
            std::fprintf(stderr, "bench_leitura: F12 did not open the Comunica\xC3\xA7\xC3\xA3o window\n");
            return 1;
        }
        atalho.Janela()->findChild<QWidget*>(QStringLiteral("Lista"))->installEventFilter(&pinturasLista);
        for (int i = 0; i < 20; ++i) QApplication::processEvents();
    }

    std::printf("bench_leitura: reading to LeitM.txt of %d blocks, zero-latency driver, window offscreen,\n"
                "Text3 repainted after every block%s; %d runs\n",
                blocos, comunicacao ? ", the Comunica\xC3\xA7\xC3\xA3o window open" : "", rodadas);
    std::vector<double> segundos;
    for (int rodada = 1; rodada <= rodadas; ++rodada) {
        driver.Limpa();
        contador.pinturas = 0;
        pinturasLista.pinturas = 0;
        QFile::remove(QString::fromLatin1(tavorin::kArquivoLeitura));
        const auto inicio = std::chrono::steady_clock::now();
        executa->click();
        const auto fim = std::chrono::steady_clock::now();
        const double s = std::chrono::duration<double>(fim - inicio).count();
        // What the window still has to do once the event loop runs again.
        const auto antesDeRecuperar = std::chrono::steady_clock::now();
        QApplication::processEvents();
        const double recupera =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - antesDeRecuperar).count();

        QFile arquivo(QString::fromLatin1(tavorin::kArquivoLeitura));
        int linhas = 0;
        if (arquivo.open(QIODevice::ReadOnly))
            while (!arquivo.readLine().isEmpty()) ++linhas;
        if (linhas != blocos || text3->text() != QStringLiteral("Arquivo LeitM.txt gravado")) {
            std::fprintf(stderr, "bench_leitura: run %d wrote %d lines of %d; Text3 \"%s\"\n", rodada, linhas,
                         blocos, qPrintable(text3->text()));
            return 1;
        }
        segundos.push_back(s);
        std::printf("run %d: %.3f s  %.0f blocks/s  %.1f us/block  (%d repaints of Text3", rodada, s, blocos / s,
                    s * 1e6 / blocos, contador.pinturas);
        if (comunicacao)
            std::printf(", %d of the exchange list; %.1f ms to catch up afterwards", pinturasLista.pinturas,
                        recupera * 1e3);
        std::printf(")\n");
    }
    std::sort(segundos.begin(), segundos.end());
    const double mediana = segundos[segundos.size() / 2];
    std::printf("median: %.0f blocks/s, %.1f us/block (best %.0f blocks/s, %.1f us/block)\n", blocos / mediana,
                mediana * 1e6 / blocos, blocos / segundos.front(), segundos.front() * 1e6 / blocos);
    return 0;
}
