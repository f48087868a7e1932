// The coupon window: a test bench for one fiscal coupon and a free command.
// Its commands go out on the port that the main window's "Cupom Fiscal"
// left open; its "Fechar" closes that port and hides the window.
#pragma once

#include <QWidget>

class QPushButton;

namespace tavorin {

struct Comando;
struct EstadoPapel;
class CaixaTexto;

class Cupom : public QWidget {
    Q_OBJECT
public:
    explicit Cupom(QWidget* pai = nullptr);

public slots:
    void Abrir_Click();
    void Item_Click();
    void Pagar_Click();
    void Fechar_Click();    // Fechar Cupom
    void Comando_Click();
    void Command1_Click();  // Fechar

protected:
    void closeEvent(QCloseEvent* evento) override;

private:
    void MontaJanela();
    // Shows the printer's state, as the check before every command asked
    // for it, in Text1; `pronta` is true when it has paper and is on line.
    void VerificaImpressora(const EstadoPapel& estado, bool& pronta);
    // What every command button does: the state check, then the command
    // when the printer is ready.
    void EnviaSePronta(const tavorin::Comando& comando);

    QPushButton* Abrir;
    QPushButton* Item;
    QPushButton* Pagar;
    QPushButton* Fechar;
    QPushButton* Command1;
    CaixaTexto* Text1;
    CaixaTexto* Text2;
    QPushButton* Comando;
};

}  // namespace tavorin
