#include "cupom.h"

#include "caixa_texto.h"
#include "driver.h"
#include "janela.h"
#include "link.h"
#include "texto8.h"

#include <QPushButton>

namespace tavorin {

namespace {

// The one item the bench sells, exactly as the printer expects it.
const std::string kItem =
    ".01"
    "1234567890123"
    "0001000000000100"
    "            "
    "PRODUTO DE QUALIDADE"
    "    "
    "T01";
// Payment of R$100,00: the amount ends the command, in centavos.
const std::string kPagamento = ".10" "01000000010000";

}  // namespace

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

void Cupom::VerificaImpressora(bool& pronta) {
    Text1->setText(QString());
    Text1->Repinta();
    EnviaComando(Porta, 3, ".23");

    // One state character, three outcomes: no paper, off line, ready.
    const std::string estado = Mid(Resposta, 6, 1);
    pronta = estado != "5";
    Text1->MostraEstado(pronta ? QStringLiteral("Com Papel") : QStringLiteral("Sem Papel"), !pronta);
    if (estado == "1") {
        Text1->MostraEstado(QStringLiteral("Fora de Linha"), true);
        pronta = false;
    }
}

void Cupom::EnviaSePronta(int espera, const std::string& comando) {
    Text1->setText(QString());
    Text1->Repinta();
    bool pronta = false;
    VerificaImpressora(pronta);
    if (!pronta) return;
    EnviaComando(Porta, espera, comando);
    // Whatever the printer said, accepted or not.
    Text1->setText(DoDriver(Resposta));
}

void Cupom::Abrir_Click() { EnviaSePronta(3, ".17"); }

void Cupom::Item_Click() { EnviaSePronta(10, kItem); }

void Cupom::Pagar_Click() { EnviaSePronta(3, kPagamento); }

void Cupom::Fechar_Click() { EnviaSePronta(10, ".12"); }

// Sent exactly as typed: no prefix, no trimming, empty included.
void Cupom::Comando_Click() { EnviaSePronta(10, ParaDriver(Text2->text())); }

void Cupom::Command1_Click() {
    Fecha(Porta);
    hide();
}

}  // namespace tavorin
