#include "cupom.h"

#include "caixa_texto.h"
#include "janela.h"
#include "operacoes.h"
#include "sala.h"
#include "texto8.h"

#include <QCloseEvent>
#include <QPushButton>

namespace tavorin {

Cupom::Cupom(QWidget* pai) : QWidget(pai) {
    setObjectName(QStringLiteral("Cupom"));
    setWindowTitle(QStringLiteral("Cupom"));
    // Closed from its title bar the window is gone; the next "Cupom
    // Fiscal" builds it again, with empty boxes.
    setAttribute(Qt::WA_DeleteOnClose);
    MontaJanela();
}

void Cupom::MontaJanela() {
    PoeTamanho(this, 4680, 3195);

    Abrir = CriaBotao(this, "Abrir", QStringLiteral("Abrir"), {360, 120, 1455, 375});
    Item = CriaBotao(this, "Item", QStringLiteral("Item"), {360, 600, 1455, 375});
    Pagar = CriaBotao(this, "Pagar", QStringLiteral("Pagar R$100,00"), {360, 1080, 1455, 375});
    Fechar = CriaBotao(this, "Fechar", QStringLiteral("Fechar Cupom"), {360, 1560, 1455, 375});
    Command1 = CriaBotao(this, "Command1", QStringLiteral("Fechar"), {3840, 2640, 735, 495});
    Text1 = CriaCaixa(this, "Text1", {360, 2280, 3255, 375});
    Text2 = CriaCaixa(this, "Text2", {2280, 1080, 2295, 375});
    Comando = CriaBotao(this, "Comando", QStringLiteral("Comando"), {2280, 1560, 855, 375});

    PoeOrdemTab({{Abrir, 0}, {Item, 1}, {Pagar, 2}, {Fechar, 3},
                 {Command1, 4}, {Text1, 5}, {Text2, 6}, {Comando, 7}});
    AjustaFonte(this);
    Abrir->setFocus();

    connect(Abrir, &QPushButton::clicked, this, &Cupom::Abrir_Click);
    connect(Item, &QPushButton::clicked, this, &Cupom::Item_Click);
    connect(Pagar, &QPushButton::clicked, this, &Cupom::Pagar_Click);
    connect(Fechar, &QPushButton::clicked, this, &Cupom::Fechar_Click);
    connect(Comando, &QPushButton::clicked, this, &Cupom::Comando_Click);
    connect(Command1, &QPushButton::clicked, this, &Cupom::Command1_Click);
}

void Cupom::VerificaImpressora(const EstadoPapel& estado, bool& pronta) {
    // One state character, three outcomes: no paper, off line, ready; and
    // no answer at all (a port left closed by another window) is no ready.
    pronta = estado.Pronta();
    Text1->MostraEstado(QString::fromStdString(PalavraCupom(estado)), !pronta);
}

// The check and the command are one sequence: nothing else reaches the
// printer between them.
void Cupom::EnviaSePronta(const tavorin::Comando& comando) {
    Sala& sala = Sala::Instancia();
    if (!sala.Aceita()) return;
    Text1->setText(QString());
    Text1->Repinta();
    const auto verifica = Sala::NaJanela(
        [this](const EstadoPapel& estado, bool* pronta) { VerificaImpressora(estado, *pronta); });
    const auto desfecho = sala.Executa(this, [comando, verifica]() -> std::optional<Desfecho> {
        bool pronta = false;
        verifica(PapelDoCupom(), &pronta);
        if (!pronta) return std::nullopt;
        return Envia(comando);
    });
    // Whatever the printer said, accepted or not.
    if (desfecho && *desfecho) Text1->setText(DoDriver((*desfecho)->troca.resposta));
}

void Cupom::Abrir_Click() { EnviaSePronta(kAbreCupom); }

void Cupom::Item_Click() { EnviaSePronta(kItem); }

void Cupom::Pagar_Click() { EnviaSePronta(kPagamento); }

void Cupom::Fechar_Click() { EnviaSePronta(kFechaCupom); }

// Sent exactly as typed: no prefix, no trimming, empty included; but never
// longer than the driver takes, and then nothing at all is sent.
void Cupom::Comando_Click() {
    const std::string bytes = ParaDriver(Text2->text());
    const std::string recusa = ComandoRecusado(bytes);
    if (recusa.empty()) return EnviaSePronta(ComandoLivre(bytes));
    if (!Sala::Instancia().Aceita()) return;
    Text1->MostraEstado(Frase(recusa), true);
    Text1->Repinta();
}

void Cupom::Command1_Click() {
    Sala& sala = Sala::Instancia();
    if (!sala.Aceita()) return;
    if (sala.Executa(this, [] { FechaPorta(); })) hide();
}

// Closed while its command runs, the window waits for the answer.
void Cupom::closeEvent(QCloseEvent* evento) {
    if (Sala::Instancia().AdiaSeForDela(this))
        evento->ignore();
    else
        QWidget::closeEvent(evento);
}

}  // namespace tavorin
