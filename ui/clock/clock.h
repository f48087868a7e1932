// The clock window: the printer's clock once a second, setting its date
// and time, entering and leaving summer time.
#pragma once

#include <QWidget>

class QLabel;
class QPushButton;
class QTimer;

namespace tavorin {

struct Comando;
struct Desfecho;
class CaixaTexto;

class Clock : public QWidget {
    Q_OBJECT
public:
    explicit Clock(QWidget* pai = nullptr);

    // Shows the outcome of a command in RespClock.
    void ResultadoClock(const Desfecho& desfecho);

    // The new-date and new-time boxes, which the launcher presets.
    CaixaTexto* CaixaNData() const { return NData; }
    CaixaTexto* CaixaNHora() const { return NHora; }

public slots:
    void Timer1_Timer();
    void NData_Validate();
    void NHora_Validate();
    void SetClock_Click();  // Alterar
    void EHV_Click();       // Entrar no H.Verão
    void SHV_Click();       // Sair do H.Verão

protected:
    void closeEvent(QCloseEvent* evento) override;

private:
    void MontaJanela();
    // The fixed order of a command button: title, open, send, close, result.
    void ExecutaComando(const QString& titulo, const Comando& comando);

    CaixaTexto* Text1;
    QLabel* Label1;
    QLabel* Label2;
    CaixaTexto* NData;
    CaixaTexto* NHora;
    QPushButton* SetClock;
    QPushButton* EHV;
    QPushButton* SHV;
    CaixaTexto* RespClock;
    QTimer* Timer1;
};

}  // namespace tavorin
