// A bare Qt window titled "NUA": what bench_inicio compares Tavorin's
// start-up with.
#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication aplicacao(argc, argv);
    QWidget janela;
    janela.setWindowTitle(QStringLiteral("NUA"));
    janela.resize(368, 452);
    janela.show();
    return aplicacao.exec();
}
