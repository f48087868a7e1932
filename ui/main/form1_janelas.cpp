// The buttons that open the coupon and clock windows.
#include "form1.h"

#include "caixa_texto.h"
#include "clock.h"
#include "cupom.h"
#include "operacoes.h"
#include "sala.h"

#include <QPointer>

namespace tavorin {

namespace {

// The one window of its kind, built the first time it is shown and again
// after the operator closed it from its title bar. It has no parent: it is
// a window of its own beside the main one, which deletes it at the end.
template <typename Janela>
Janela* UnicaJanela(QPointer<Janela>& janela) {
    // A window closed from its title bar is only waiting for its deletion
    // (Qt clears the attribute when it schedules it); it is not shown again.
    if (janela && !janela->testAttribute(Qt::WA_DeleteOnClose)) delete janela.data();
    if (!janela) janela = new Janela;
    return janela;
}

void Mostra(QWidget* janela) {
    // Closed meanwhile while its tick ran, it stays now.
    Sala::Instancia().CancelaFechamento(janela);
    janela->show();
    janela->raise();
    janela->activateWindow();
}

}  // namespace

// Opens the port for the coupon window, which sends on it and closes it
// with its own "Fechar"; pressed again, it opens the port again.
void Form1::Command6_Click() {
    Sala& sala = Sala::Instancia();
    if (!sala.Aceita()) return;
    if (sala.Executa(this, [] { AbrePorta(); })) Mostra(UnicaJanela(cupom_));
}

// The presets replace whatever the operator had typed.
void Form1::Command7_Click() {
    Clock* relogio = UnicaJanela(relogio_);
    Mostra(relogio);
    relogio->CaixaNData()->setText(QStringLiteral("01/01/01"));
    relogio->CaixaNHora()->setText(QStringLiteral("00:00:00"));
}

}  // namespace tavorin
