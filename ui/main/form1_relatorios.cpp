// Daily reports, drawer and counters.
#include "form1.h"

#include "caixa_texto.h"
#include "driver.h"
#include "link.h"
#include "texto8.h"

namespace tavorin {

namespace {

// The one-command buttons: progress text shown before the command blocks
// the window, then the outcome.
void UmComando(Form1& janela, CaixaTexto* text3, const QString& progresso, const char* comando) {
    text3->setText(progresso);
    text3->Repinta();
    Abre(Porta);
    EnviaComando(Porta, 180, comando);
    Fecha(Porta);
    janela.Resultado();
}

}  // namespace

void Form1::Command2_Click() { UmComando(*this, Text3, QStringLiteral("Abre gaveta"), ".21"); }

void Form1::Command4_Click() { UmComando(*this, Text3, QStringLiteral("Leitura X"), ".13"); }

void Form1::RedZ_Click() { UmComando(*this, Text3, QStringLiteral("Redução Z"), ".14"); }

void Form1::Command5_Click() {
    // The counters are copied as the printer sent them, whatever the
    // status; Text3 is left alone.
    Abre(Porta);
    EnviaComando(Porta, 10, ".5609");
    COO->setText(DoDriver(Mid(Resposta, 5, 4)));
    EnviaComando(Porta, 10, ".271");
    CCF->setText(DoDriver(Mid(Resposta, 115, 4)));
    Fecha(Porta);
}

}  // namespace tavorin
