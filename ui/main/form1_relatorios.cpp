// Daily reports, drawer and counters.
#include "form1.h"

#include "caixa_texto.h"
#include "operacoes.h"
#include "pergunta.h"
#include "sala.h"
#include "texto8.h"

namespace tavorin {

// The progress text shows while the printer works.
void Form1::UmBotao(const QString& progresso, const Comando& comando) {
    Sala& sala = Sala::Instancia();
    if (!sala.Aceita()) return;
    Text3->setText(progresso);
    Text3->Repinta();
    if (const auto desfecho = sala.Executa(this, [comando] { return UmComando(comando); })) Resultado(*desfecho);
}

void Form1::Command2_Click() { UmBotao(QStringLiteral("Abre gaveta"), kGaveta); }

void Form1::Command4_Click() { UmBotao(QStringLiteral("Leitura X"), kLeituraX); }

// After a Redução Z the printer issues no document until the next day: one
// click by mistake would stop the shop's sales, so the button asks first.
void Form1::RedZ_Click() {
    if (!Sala::Instancia().Aceita()) return;
    if (!Pergunta(this, QStringLiteral("Redução Z"),
                  QStringLiteral("Emitir a Redução Z agora?\n\nDepois dela a impressora não emite documentos "
                                 "fiscais até o dia seguinte.")))
        return;
    UmBotao(QStringLiteral("Redução Z"), kReducaoZ);
}

void Form1::Command5_Click() {
    // The counters are copied as the printer sent them, whatever the
    // status; Text3 is left alone.
    Sala& sala = Sala::Instancia();
    if (!sala.Aceita()) return;
    const auto aoLerCOO = Sala::NaJanela([this](const std::string& coo) { COO->setText(DoDriver(coo)); });
    if (const auto contadores = sala.Executa(this, [aoLerCOO] { return LeContadores(aoLerCOO); }))
        CCF->setText(DoDriver(contadores->ccf));
}

}  // namespace tavorin
