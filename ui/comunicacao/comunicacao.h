// The "Comunicação" window: every exchange with the driver, newest last,
// with its bytes made visible, for a technician puzzled by an answer. F12
// from any window of the program opens it; the windows themselves know
// nothing of it.
#pragma once

#include "registro.h"

#include <QPointer>
#include <QWidget>

#include <mutex>
#include <string>
#include <vector>

class QLabel;
class QPushButton;
class QTreeView;

namespace tavorin {

class ModeloTrocas;

class Comunicacao : public QWidget {
    Q_OBJECT
public:
    explicit Comunicacao(QWidget* pai = nullptr);
    ~Comunicacao() override;

    // Writes the record to `arquivo`, one exchange a line in UTF-8, in
    // place of the previous file only once it is complete. Says in the
    // window whether it was saved; false when it was not.
    bool Salva(const QString& arquivo);
    // Runs the technician's diagnostic on the link's thread and writes its
    // report to `arquivo`, in place of the previous file only once it is
    // complete. Says in the window where it was saved, or why not (the
    // printer busy with another command: nothing is sent); false when it
    // was not.
    bool SalvaDiagnostico(const QString& arquivo);

public slots:
    void Salvar_Click();  // Salvar…
    void Limpar_Click();  // Limpar
    void SalvarDiagnostico_Click();  // Salvar diagnóstico…

private:
    // Runs on the thread that made the exchange.
    void Recebe();
    // Brings the list up to what the record holds.
    void Descarrega();
    void MostraSituacao(const QString& texto, bool alerta);
    bool SalvaTexto(const QString& arquivo, const std::string& texto, const QString& falhou, const QString& salvo);
    // Shows which driver library is loaded, once more when that changes.
    void AtualizaBiblioteca();

    ModeloTrocas* modelo_;
    QTreeView* Lista;
    QPushButton* Salvar;
    QPushButton* Limpar;
    QPushButton* SalvarDiagnostico;
    QLabel* Situacao;
    QLabel* Biblioteca;
    // The lines Biblioteca shows, for the head of a saved record, and
    // the library they describe ("" for none).
    std::vector<std::string> linhasBiblioteca_;
    std::string bibliotecaMostrada_;

    int observador_ = 0;
    std::mutex agendadoTrava_;
    bool agendado_ = false;  // a catching up is on its way
};

// F12 anywhere in the program shows the "Comunicação" window, created the
// first time. One per program, made after the QApplication; the window
// goes with it.
class AtalhoComunicacao : public QObject {
    Q_OBJECT
public:
    AtalhoComunicacao();
    ~AtalhoComunicacao() override;

    // The window, once F12 created it; null before.
    Comunicacao* Janela() const { return janela_; }

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    QPointer<Comunicacao> janela_;
};

}  // namespace tavorin
