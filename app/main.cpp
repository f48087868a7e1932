// Tavorin: exercises a fiscal printer through its maker's driver library.
#include "comunicacao.h"
#include "driver_library.h"
#include "form1.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QTimer>

int main(int argc, char* argv[]) {
    // Before anything loads a library by name (Qt's plugins, the system's).
    tavorin::ProtegeBuscaDeBibliotecas();
    QApplication aplicacao(argc, argv);
    // Only the main window ends the program; hiding the last other
    // window must not.
    aplicacao.setQuitOnLastWindowClosed(false);
    // Every window's icon, each size drawn for itself.
    QIcon icone;
    for (const QString& tamanho : QDir(QStringLiteral(":/icone")).entryList())
        icone.addFile(QStringLiteral(":/icone/") + tamanho);
    aplicacao.setWindowIcon(icone);
    // F12 in any window opens the exchange log.
    tavorin::AtalhoComunicacao comunicacao;

    // The window is on the screen at once; the printer test fills it in
    // once it is shown, however long the printer takes to answer.
    tavorin::Form1 janela;
    janela.show();
    QTimer::singleShot(0, &janela, &tavorin::Form1::Form_Load);
    return aplicacao.exec();
}
