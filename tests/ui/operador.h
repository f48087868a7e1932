// Driving a window as an operator does: clicking, typing, moving the focus
// with the mouse or the Tab key; and reading what the window shows.
#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

class QAbstractButton;
class QLineEdit;

namespace tavorin::teste {

// Shows the window and waits until it is active, so focus changes send
// their events as they do on a desktop.
bool MostraEAtiva(QWidget* janela);

// The control with this object name in the window; fails the test (and
// returns null) when there is none.
template <typename T>
T* Controle(const QWidget* janela, const char* nome) {
    return janela->findChild<T*>(QString::fromLatin1(nome));
}

// A mouse click in the middle of a button or option button: it takes the
// focus first, then acts, as on a desktop.
void Clica(QWidget* controle);
// Clicks into the box (it takes the focus) and types `texto` at the end.
void Digita(QLineEdit* caixa, const QString& texto);
// Selects all and types over it.
void Substitui(QLineEdit* caixa, const QString& texto);
void Tab(QWidget* janela);

QString Texto(const QWidget* janela, const char* nome);
QColor CorDoTexto(const QLineEdit* caixa);

}  // namespace tavorin::teste
