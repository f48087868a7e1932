#include "caixa_texto.h"

#include "janela.h"

#include <QFocusEvent>
#include <QPalette>
#include <QValidator>

#include <algorithm>

namespace tavorin {

// Enforces the typing limit on what the operator types or pastes. A text
// longer than the limit set by the program stays whole, and the operator
// may still shorten it; a paste that does not fit is cut to fit.
class LimiteDigitacao : public QValidator {
public:
    explicit LimiteDigitacao(CaixaTexto* caixa) : QValidator(caixa), caixa_(caixa) {}

    State validate(QString& texto, int& posicao) const override {
        // QLineEdit validates a text set by the program too: leave it whole.
        if (caixa_->digitando_ == 0) return Acceptable;
        const int limite = caixa_->limite_;
        const int antes = caixa_->tamanhoAnterior_;
        if (limite <= 0 || texto.size() <= limite || texto.size() <= antes) return Acceptable;
        // Characters typed or pasted end at the cursor: drop the excess there.
        const int maximo = std::max(limite, antes);
        const int excesso = texto.size() - maximo;
        const int inicio = posicao - excesso;
        if (inicio < 0) return Invalid;
        texto.remove(inicio, excesso);
        posicao = inicio;
        return Acceptable;
    }

private:
    CaixaTexto* caixa_;
};

// Marks the span of an operator's edit.
class CaixaTexto::Digitando {
public:
    explicit Digitando(CaixaTexto* caixa) : caixa_(caixa) { ++caixa_->digitando_; }
    ~Digitando() { --caixa_->digitando_; }
    Digitando(const Digitando&) = delete;
    Digitando& operator=(const Digitando&) = delete;

private:
    CaixaTexto* caixa_;
};

CaixaTexto::CaixaTexto(QWidget* pai) : QLineEdit(pai) {
    setValidator(new LimiteDigitacao(this));
    connect(this, &QLineEdit::textChanged, this, [this](const QString& texto) {
        // The size before each edit is what the validator compares against.
        tamanhoAnterior_ = texto.size();
        // A text the program sets shows from its start, as an answer line
        // padded with blanks would otherwise show only its blank end.
        if (digitando_ == 0) setCursorPosition(0);
    });
}

void CaixaTexto::keyPressEvent(QKeyEvent* evento) {
    Digitando marca(this);
    QLineEdit::keyPressEvent(evento);
}

void CaixaTexto::inputMethodEvent(QInputMethodEvent* evento) {
    Digitando marca(this);
    QLineEdit::inputMethodEvent(evento);
}

void CaixaTexto::contextMenuEvent(QContextMenuEvent* evento) {
    Digitando marca(this);
    QLineEdit::contextMenuEvent(evento);
}

void CaixaTexto::dropEvent(QDropEvent* evento) {
    Digitando marca(this);
    QLineEdit::dropEvent(evento);
}

void CaixaTexto::mousePressEvent(QMouseEvent* evento) {
    Digitando marca(this);
    QLineEdit::mousePressEvent(evento);
}

void CaixaTexto::mouseReleaseEvent(QMouseEvent* evento) {
    Digitando marca(this);  // middle-button paste on X11
    QLineEdit::mouseReleaseEvent(evento);
}

void CaixaTexto::PoeLimite(int limite) { limite_ = limite < 0 ? 0 : limite; }

void CaixaTexto::PoeCor(const QColor& cor) {
    QPalette paleta = palette();
    paleta.setColor(QPalette::Active, QPalette::Text, cor);
    paleta.setColor(QPalette::Inactive, QPalette::Text, cor);
    setPalette(paleta);
}

void CaixaTexto::MostraEstado(const QString& palavra, bool alerta) {
    PoeCor(alerta ? kVermelho : kPreto);
    setText(palavra);
}

void CaixaTexto::Repinta() { repaint(); }

void CaixaTexto::focusInEvent(QFocusEvent* evento) {
    QLineEdit::focusInEvent(evento);
    if (evento->reason() != Qt::ActiveWindowFocusReason && evento->reason() != Qt::PopupFocusReason)
        emit GotFocus();
}

void CaixaTexto::focusOutEvent(QFocusEvent* evento) {
    // Switching to another application or opening the box's own menu does
    // not leave the box; moving to another control does.
    if (evento->reason() != Qt::ActiveWindowFocusReason && evento->reason() != Qt::PopupFocusReason)
        emit Validate();
    QLineEdit::focusOutEvent(evento);
}

}  // namespace tavorin
