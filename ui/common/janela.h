// Helpers every window uses to lay itself out from its design: positions
// and sizes in twips, tab indexes, colours, and a font size at which every
// caption fits its control.
#pragma once

#include <QColor>
#include <QWidget>

#include <utility>
#include <vector>

class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace tavorin {

class CaixaTexto;

// Where a control stands in its container: left, top, width, height in
// twips.
struct Lugar {
    int esquerda, topo, largura, altura;
};

// The two text colours the windows use for states.
inline const QColor kVermelho(255, 0, 0);
inline const QColor kPreto(0, 0, 0);

// Pixels for `twips` (1440 to the inch) at the screen's logical DPI: 15
// twips a pixel at 96 DPI.
int Twips(int twips, const QWidget* janela);

// Places a control in its container, in twips.
void PoeGeometria(QWidget* controle, int esquerda, int topo, int largura, int altura);

// The controls of the program's windows, each created in its container
// under its design name (its object name) and placed in twips. Buttons and
// option buttons take the focus when clicked, so a box being left is
// rewritten before they act; no button is a default button.
QPushButton* CriaBotao(QWidget* pai, const char* nome, const QString& legenda, Lugar lugar);
QLabel* CriaRotulo(QWidget* pai, const char* nome, const QString& legenda, Lugar lugar);
CaixaTexto* CriaCaixa(QWidget* pai, const char* nome, Lugar lugar);
QGroupBox* CriaMoldura(QWidget* pai, const char* nome, const QString& legenda, Lugar lugar);
QRadioButton* CriaOpcao(QWidget* pai, const char* nome, Lugar lugar);

// Gives the window its client area, in twips, fixed.
void PoeTamanho(QWidget* janela, int largura, int altura);

// Chains the focus order of the controls that can take the focus, in the
// order of their tab indexes.
void PoeOrdemTab(const std::vector<std::pair<QWidget*, int>>& controles);

// Gives the window the platform's dialog font at its size (at most 9
// points). A button, label or frame whose caption does not fit what can be
// seen of it there (its style's margins, the container's edge and the
// controls stacked over it), or a box whose declared longest text does not,
// gets a smaller font of its own, the largest that fits (down to 6 points):
// that control alone, never the window.
void AjustaFonte(QWidget* janela);

// Declares a long text the program writes into a text box (a state word),
// for AjustaFonte; called once for each text of the box that may be the
// widest in some font.
void PoeTextoMaisLongo(QWidget* caixa, const QString& texto);

// The captions that do not fit at their controls' current fonts (object
// names); empty when all fit.
std::vector<QString> LegendasQueNaoCabem(const QWidget* janela);

}  // namespace tavorin
