// The longest time the main window's event loop goes without running while
// the simulated printer prints a Leitura X of about ten seconds (19 lines at
// 1.9 lines a second): a timer asks every 5 ms, and the widest gap between
// two of its calls is how long the window could not paint, move or take a
// key. The printer is the simulated one, beside this program.
//
//   bench_espera [seconds]     (default 10)
#include "ambiente_teste.h"
#include "form1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char* argv[]) {
    const double segundos = argc > 1 && std::atof(argv[1]) > 0 ? std::atof(argv[1]) : 10;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication aplicacao(argc, argv);
    const tavorin::teste::DiretorioTemporario pasta("bench-espera");
    tavorin::teste::AmbienteDoSimulador(pasta.Caminho());

    tavorin::Form1 janela;
    janela.show();
    janela.Form_Load();
    // A Leitura X prints 19 lines; the first document also starts the roll.
    janela.findChild<QPushButton*>(QStringLiteral("Command4"))->click();
    qputenv(zubsim::kVariavelLinhasPorSegundo, QByteArray::number(19.0 / segundos, 'f', 3).replace('.', ','));

    QElapsedTimer relogio, comando;
    qint64 ultimo = 0, maior = 0, chamadas = 0, quando = 0;
    QTimer pergunta;
    pergunta.setTimerType(Qt::PreciseTimer);
    QObject::connect(&pergunta, &QTimer::timeout, [&] {
        const qint64 agora = relogio.elapsed();
        if (agora - ultimo > maior) {
            maior = agora - ultimo;
            quando = ultimo;
        }
        ultimo = agora;
        ++chamadas;
    });
    QTimer::singleShot(0, &janela, [&] {
        relogio.start();
        pergunta.start(5);
        comando.start();
        janela.findChild<QPushButton*>(QStringLiteral("Command4"))->click();
        const qint64 duracao = comando.elapsed();
        pergunta.stop();
        std::printf("bench_espera: Leitura X of %.1f s on the simulated printer (took %.2f s)\n", segundos,
                    duracao / 1000.0);
        if (duracao - ultimo > maior) {
            maior = duracao - ultimo;
            quando = ultimo;
        }
        std::printf("longest event-loop stall of the main window: %lld ms, %.2f s into the command "
                    "(%lld timer calls, every 5 ms asked)\n",
                    static_cast<long long>(maior), quando / 1000.0, static_cast<long long>(chamadas));
        QApplication::quit();
    });
    return aplicacao.exec();
}
