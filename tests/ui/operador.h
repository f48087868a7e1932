// Driving a window as an operator does (clicking, typing, moving the focus
// with the mouse or the Tab key) and reading what it shows; and the ground
// every window test stands on.
#pragma once

#include "ambiente.h"
#include "caixa_texto.h"
#include "fake_driver.h"
#include "form1.h"
#include "respostas.h"

#include <QApplication>
#include <QColor>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QLineEdit;

namespace tavorin::teste {

using Chamadas = std::vector<Chamada>;

// Shows the window and waits until it is active, so focus changes send
// their events as they do on a desktop.
bool MostraEAtiva(QWidget* janela);

// The control with this object name in the window; null when there is none.
template <typename T>
T* Controle(const QWidget* janela, const char* nome) {
    return janela->findChild<T*>(QString::fromLatin1(nome));
}

// A mouse click in the middle of a control: it takes the focus first, then
// acts, as on a desktop.
void Clica(QWidget* controle);
// Clicks into the box (it takes the focus) and types `texto` at the end.
void Digita(QLineEdit* caixa, const QString& texto);
// Selects all and types over it.
void Substitui(QLineEdit* caixa, const QString& texto);
void Tab(QWidget* janela);

QColor CorDoTexto(const QLineEdit* caixa);
// The names of the controls the focus visits, pressing Tab `vezes` times.
QStringList OrdemTab(QWidget* janela, int vezes);
// The captions that do not fit the window's font, joined; empty if all fit.
QString LegendasCortadas(const QWidget* janela);
// Lets Qt delete the windows closed from their title bars.
void ApagaJanelasFechadas();
QByteArray Bytes(const std::string& texto);

class Pinturas;

// Each window test starts with a scratch working directory, the link's
// state reset, the driver and the main window shown. The driver is the
// fake one, or with `simulador` the simulated printer's library as the
// program loads it, with its settings cleared (the test calls Form_Load).
class TesteJanela : public QObject {
    Q_OBJECT

protected:
    explicit TesteJanela(int32_t porta, bool simulador = false);
    ~TesteJanela() override;
    // Runs at the end of init().
    virtual void Prepara() {}
    // The window whose controls Caixa and Clique find by default.
    virtual QWidget* Janela() { return principal.get(); }

    CaixaTexto* Caixa(const char* nome, const QWidget* janela = nullptr);
    QString Texto(const char* nome, const QWidget* janela = nullptr) { return Caixa(nome, janela)->text(); }
    // The texts of the boxes named, blank-separated, joined by "|".
    QString Textos(const QString& nomes, const QWidget* janela = nullptr);
    void Clique(const char* nome, const QWidget* janela = nullptr);
    // From now on each TXRX adds to `vistos` the text last painted in
    // `caixa` ("?" if none was), and `extra()` if given.
    void Observa(QLineEdit* caixa, std::function<QString()> extra = {});

    QStringList vistos;
    std::unique_ptr<DiretorioTemporario> pasta;
    std::unique_ptr<FakeDriver> driver;
    std::unique_ptr<Form1> principal;

private slots:
    void init();
    void cleanup();

private:
    int32_t porta_;
    bool simulador_;
    std::unique_ptr<Pinturas> pinturas_;
};

}  // namespace tavorin::teste

Q_DECLARE_METATYPE(tavorin::teste::Chamadas)

// The fake driver's calls must be exactly these.
#define CONFERE(...)                                                                     \
    QVERIFY2(driver->chamadas == tavorin::teste::Chamadas(__VA_ARGS__),             \
             tavorin::teste::Descreve(driver->chamadas).c_str())
