#include "clock.h"

#include "caixa_texto.h"
#include "janela.h"
#include "operacoes.h"
#include "regras_entrada.h"
#include "sala.h"
#include "texto8.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace tavorin {

Clock::Clock(QWidget* pai) : QWidget(pai) {
    setObjectName(QStringLiteral("Clock"));
    setWindowTitle(QStringLiteral("Relógio e Horário de Verão"));
    // Closed from its title bar the window is gone and its timer with it;
    // the next "Relógio e H.Verão" builds it again.
    setAttribute(Qt::WA_DeleteOnClose);
    MontaJanela();
}

void Clock::MontaJanela() {
    PoeTamanho(this, 4680, 3195);

    Text1 = CriaCaixa(this, "Text1", {240, 360, 3495, 405});
    Label1 = CriaRotulo(this, "Label1", QStringLiteral("Nova Data"), {240, 1080, 1575, 255});
    Label2 = CriaRotulo(this, "Label2", QStringLiteral("Novo Horário"), {1920, 1080, 1575, 255});
    NData = CriaCaixa(this, "NData", {240, 1320, 1575, 375});
    NHora = CriaCaixa(this, "NHora", {1920, 1320, 1575, 375});
    SetClock = CriaBotao(this, "SetClock", QStringLiteral("Alterar"), {3600, 1320, 975, 375});
    EHV = CriaBotao(this, "EHV", QStringLiteral("Entrar no H.Verão"), {240, 1920, 1575, 375});
    SHV = CriaBotao(this, "SHV", QStringLiteral("Sair do H.Verão"), {1920, 1920, 1575, 375});
    RespClock = CriaCaixa(this, "RespClock", {240, 2520, 3495, 375});

    PoeOrdemTab({{Text1, 0}, {NData, 1}, {NHora, 2}, {Label1, 3}, {Label2, 4},
                 {SetClock, 5}, {EHV, 6}, {SHV, 7}, {RespClock, 8}});
    // The printer's clock fits its box, in summer time too.
    PoeTextoMaisLongo(Text1, QStringLiteral("Horario de Verao 00/00/00 00:00"));
    AjustaFonte(this);
    Text1->setFocus();

    connect(NData, &CaixaTexto::Validate, this, &Clock::NData_Validate);
    connect(NHora, &CaixaTexto::Validate, this, &Clock::NHora_Validate);
    connect(SetClock, &QPushButton::clicked, this, &Clock::SetClock_Click);
    connect(EHV, &QPushButton::clicked, this, &Clock::EHV_Click);
    connect(SHV, &QPushButton::clicked, this, &Clock::SHV_Click);

    // A tick that finds the printer busy with a command is skipped: ticks
    // never wait behind a command, nor pile up.
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &Clock::Timer1_Timer);
    Timer1->start();
}

void Clock::Timer1_Timer() {
    // A good probe leaves the port open; the next tick opens it again.
    const auto relogio = Sala::Instancia().ExecutaSeLivre(this, [] { return LeRelogioSemEsperar(); });
    if (relogio && *relogio) Text1->setText(DoDriver(**relogio));
}

// An unchanged text is not set again, so the cursor stays where it was.
void Clock::NData_Validate() {
    const QString data = NormalizaData(NData->text());
    if (data != NData->text()) NData->setText(data);
}

void Clock::NHora_Validate() {
    const QString hora = NormalizaHora(NHora->text());
    if (hora != NHora->text()) NHora->setText(hora);
}

void Clock::SetClock_Click() {
    // Time first, then date, each cut by position: a text that is not in
    // normal form goes as it is, and the printer judges it.
    ExecutaComando(QStringLiteral("Ajuste de Data e Hora"),
                   ComandoAcertaRelogio(ParaDriver(NHora->text()), ParaDriver(NData->text())));
}

void Clock::EHV_Click() { ExecutaComando(QStringLiteral("Entrar em Horário de Verão"), ComandoVerao(true)); }

void Clock::SHV_Click() { ExecutaComando(QStringLiteral("Sair do Horário de Verão"), ComandoVerao(false)); }

void Clock::ExecutaComando(const QString& titulo, const Comando& comando) {
    Sala& sala = Sala::Instancia();
    if (!sala.Aceita()) return;
    RespClock->setText(titulo);
    RespClock->Repinta();
    if (const auto desfecho = sala.Executa(this, [comando] { return UmComando(comando); })) ResultadoClock(*desfecho);
}

void Clock::ResultadoClock(const Desfecho& desfecho) {
    RespClock->setText(TextoDoResultado(desfecho));
    RespClock->Repinta();
}

// Closed while its command or tick runs, the window waits for the answer.
void Clock::closeEvent(QCloseEvent* evento) {
    if (Sala::Instancia().AdiaSeForDela(this))
        evento->ignore();
    else
        QWidget::closeEvent(evento);
}

}  // namespace tavorin
