#include "caixa_texto.h"

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

CaixaTexto::CaixaTexto(QWidget* pai) : QLineEdit(pai) {
    setValidator(new LimiteDigitacao(this));
    // The size before each edit is what the validator compares against.
    connect(this, &QLineEdit::textChanged, this, [this](const QString& texto) { tamanhoAnterior_ = texto.size(); });
}

void CaixaTexto::PoeLimite(int limite) { limite_ = limite < 0 ? 0 : limite; }

void CaixaTexto::PoeCor(const QColor& cor) {
    QPalette paleta = palette();
    paleta.setColor(QPalette::Active, QPalette::Text, cor);
    paleta.setColor(QPalette::Inactive, QPalette::Text, cor);
    setPalette(paleta);
}

QColor CaixaTexto::Cor() const { return palette().color(QPalette::Active, QPalette::Text); }

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
