// Daily reports, drawer and counters.
#include "form1.h"

#include "caixa_texto.h"
#include "operacoes.h"
#include "texto8.h"

namespace tavorin {

// The progress text shows while the command blocks the window.
void Form1::UmBotao(const QString& progresso, const Comando& comando) {
    Text3->setText(progresso);
    Text3->Repinta();
    UmComando(comando);
    Resultado();
}

void Form1::Command2_Click() { UmBotao(QStringLiteral("Abre gaveta"), kGaveta); }

void Form1::Command4_Click() { UmBotao(QStringLiteral("Leitura X"), kLeituraX); }

void Form1::RedZ_Click() { UmBotao(QStringLiteral("Redução Z"), kReducaoZ); }

void Form1::Command5_Click() {
    // The counters are copied as the printer sent them, whatever the
    // status; Text3 is left alone.
    const Contadores contadores = LeContadores([this](const std::string& coo) { COO->setText(DoDriver(coo)); });
    CCF->setText(DoDriver(contadores.ccf));
}

}  // namespace tavorin
