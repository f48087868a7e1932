// A single-line text box that behaves as the operator expects of this
// program's boxes: a typing limit that restricts typing only (a text the
// program sets is never cut), a check that runs when the box is about to
// lose the focus to another control, a text colour, and an immediate
// repaint for boxes written while the printer blocks the window.
#pragma once

#include <QLineEdit>

class QValidator;

namespace tavorin {

class CaixaTexto : public QLineEdit {
    Q_OBJECT
public:
    explicit CaixaTexto(QWidget* pai = nullptr);

    // Most characters the operator can type; 0 means no limit.
    void PoeLimite(int limite);

    void PoeCor(const QColor& cor);
    // A state word: red when it calls for the operator (no paper, off
    // line), black otherwise.
    void MostraEstado(const QString& palavra, bool alerta);

    // Paints the box now, without waiting for the event loop.
    void Repinta();

signals:
    // The focus moved into the box.
    void GotFocus();
    // The focus is leaving the box for another control of the program:
    // runs before that control reacts to the click or key that moved it.
    void Validate();

protected:
    void focusInEvent(QFocusEvent* evento) override;
    void focusOutEvent(QFocusEvent* evento) override;
    // Every way the operator edits the box passes through one of these; the
    // typing limit applies only inside them.
    void keyPressEvent(QKeyEvent* evento) override;
    void inputMethodEvent(QInputMethodEvent* evento) override;
    void contextMenuEvent(QContextMenuEvent* evento) override;
    void dropEvent(QDropEvent* evento) override;
    void mousePressEvent(QMouseEvent* evento) override;
    void mouseReleaseEvent(QMouseEvent* evento) override;

private:
    friend class LimiteDigitacao;
    class Digitando;
    int limite_ = 0;
    int tamanhoAnterior_ = 0;
    int digitando_ = 0;
};

}  // namespace tavorin
