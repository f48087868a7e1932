// The main window, TAVORIN: the printer test and status panel, the daily
// reports, drawer and counters, the reading of the fiscal memory, and the
// buttons that open the coupon and clock windows.
#pragma once

#include <QPointer>
#include <QWidget>

#include <atomic>

class QGroupBox;
class QLabel;
class QMessageBox;
class QPushButton;
class QRadioButton;
class QShortcut;

namespace tavorin {

struct Comando;
struct Desfecho;
struct EstadoPapel;
class CaixaTexto;
class Cupom;
class Clock;

class Form1 : public QWidget {
    Q_OBJECT
public:
    explicit Form1(QWidget* pai = nullptr);
    ~Form1() override;

    // Runs the printer test; the program calls it once the window is shown.
    void Form_Load();

    // Shows the outcome of a command in Text3.
    void Resultado(const Desfecho& desfecho);

    // The coupon and clock windows, once created (null before, and after
    // the operator closed them from their title bar).
    Cupom* JanelaCupom() const;
    Clock* JanelaRelogio() const;

public slots:
    void Command1_Click();  // Testar Impressora
    void Command2_Click();  // Abre Gaveta
    void Command4_Click();  // Leitura X
    void RedZ_Click();      // Redução Z
    void Command5_Click();  // Lê
    void Command6_Click();  // Cupom Fiscal
    void Command7_Click();  // Relógio e H.Verão
    void Porredu_Click();
    void Pordata_Click();
    void Ini_GotFocus();
    void Fim_GotFocus();
    void Ini_Validate();
    void Fim_Validate();
    void LMF_Click();  // Executa
    // Esc during a reading to the file: asks whether to stop it.
    void Interrompe_Leitura();

protected:
    void closeEvent(QCloseEvent* evento) override;

private:
    void MontaJanela();
    // Asks whether to stop the reading to the file; true when the operator
    // said "Sim" while it still ran.
    bool PerguntaInterrupcao();

    // Shows the paper and on-line state of a ".23".
    void MostraPapel(const EstadoPapel& estado);
    // The one-command buttons: progress text, the command, the outcome.
    void UmBotao(const QString& progresso, const Comando& comando);

    QPushButton* Command1;
    QLabel* Label1;
    CaixaTexto* Text2;
    QLabel* Label2;
    CaixaTexto* Text1;
    QGroupBox* Frame4;
    QLabel* Label4;
    QLabel* Label5;
    QPushButton* Command5;
    CaixaTexto* COO;
    CaixaTexto* CCF;
    QLabel* Label15;
    CaixaTexto* Linha;
    QLabel* Label6;
    CaixaTexto* PAPEL;
    QLabel* Label7;
    CaixaTexto* Reducao;
    QLabel* Label8;
    CaixaTexto* LEITX;
    QGroupBox* Frame1;
    QGroupBox* Frame2;
    QRadioButton* Porredu;
    QLabel* Label9;
    QRadioButton* Pordata;
    QLabel* Label10;
    QGroupBox* Frame3;
    QRadioButton* NaImp;
    QLabel* Label11;
    QRadioButton* NoArq;
    QLabel* Label12;
    QLabel* Label13;
    CaixaTexto* Ini;
    QLabel* Label14;
    CaixaTexto* Fim;
    QPushButton* LMF;
    QPushButton* Command4;
    QPushButton* Command7;
    QPushButton* Command6;
    QPushButton* RedZ;
    QPushButton* Command2;
    QLabel* Label3;
    CaixaTexto* Text3;

    QPointer<Cupom> cupom_;
    QPointer<Clock> relogio_;

    // The reading to the file that runs, and the operator's wish to stop it,
    // read on the link thread between two blocks.
    bool lendoArquivo_ = false;
    std::atomic<bool> interromper_{false};
    QShortcut* Esc = nullptr;
    QPointer<QMessageBox> pergunta_;
};

}  // namespace tavorin
