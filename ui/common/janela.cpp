#include "janela.h"

#include "caixa_texto.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVariant>

#include <algorithm>
#include <cmath>

namespace tavorin {

namespace {

// Room a push button needs around its caption for its frame.
constexpr int kFolgaBotao = 6;
// A frame's caption sits on its top border, after a short indent.
constexpr int kFolgaMoldura = 16;
// A text box's frame and inner margins around its text.
constexpr int kFolgaCaixa = 8;
const char* const kTextoMaisLongo = "TextoMaisLongo";

int LarguraDoTexto(const QFontMetrics& metrica, const QString& texto) { return metrica.horizontalAdvance(texto); }

// Width available to a caption: its control's, cut where the container
// ends (a label may be wider than the room left in its window).
int LarguraVisivel(const QWidget* controle) {
    int largura = controle->width();
    if (const QWidget* pai = controle->parentWidget())
        largura = std::min(largura, pai->width() - controle->x());
    return largura;
}

bool Cabe(const QWidget* controle, const QFont& fonte) {
    const QFontMetrics metrica(fonte);
    if (auto botao = qobject_cast<const QPushButton*>(controle)) {
        if (botao->text().isEmpty()) return true;
        return LarguraDoTexto(metrica, botao->text()) + kFolgaBotao <= LarguraVisivel(botao) &&
               metrica.height() <= botao->height();
    }
    if (auto rotulo = qobject_cast<const QLabel*>(controle)) {
        if (rotulo->text().isEmpty()) return true;
        return LarguraDoTexto(metrica, rotulo->text()) <= LarguraVisivel(rotulo) &&
               metrica.height() <= rotulo->height();
    }
    if (auto moldura = qobject_cast<const QGroupBox*>(controle)) {
        if (moldura->title().isEmpty()) return true;
        return LarguraDoTexto(metrica, moldura->title()) + kFolgaMoldura <= LarguraVisivel(moldura);
    }
    if (auto caixa = qobject_cast<const QLineEdit*>(controle)) {
        for (const QString& texto : caixa->property(kTextoMaisLongo).toStringList())
            if (LarguraDoTexto(metrica, texto) + kFolgaCaixa > LarguraVisivel(caixa)) return false;
        return metrica.height() + 2 <= caixa->height();
    }
    return true;
}

std::vector<const QWidget*> ComLegenda(const QWidget* janela) {
    std::vector<const QWidget*> controles;
    for (const QWidget* filho : janela->findChildren<const QWidget*>())
        if (qobject_cast<const QPushButton*>(filho) || qobject_cast<const QLabel*>(filho) ||
            qobject_cast<const QGroupBox*>(filho) ||
            (qobject_cast<const QLineEdit*>(filho) && filho->property(kTextoMaisLongo).isValid()))
            controles.push_back(filho);
    return controles;
}

}  // namespace

int Twips(int twips, const QWidget* janela) {
    const int dpi = janela ? janela->logicalDpiX() : 96;
    return static_cast<int>(std::lround(twips * static_cast<double>(dpi) / 1440.0));
}

void PoeGeometria(QWidget* controle, int esquerda, int topo, int largura, int altura) {
    controle->setGeometry(Twips(esquerda, controle), Twips(topo, controle), Twips(largura, controle),
                          Twips(altura, controle));
}

namespace {

template <typename T>
T* Cria(QWidget* pai, const char* nome, Lugar lugar) {
    auto* controle = new T(pai);
    controle->setObjectName(QString::fromLatin1(nome));
    PoeGeometria(controle, lugar.esquerda, lugar.topo, lugar.largura, lugar.altura);
    return controle;
}

}  // namespace

QPushButton* CriaBotao(QWidget* pai, const char* nome, const QString& legenda, Lugar lugar) {
    auto* botao = Cria<QPushButton>(pai, nome, lugar);
    botao->setText(legenda);
    botao->setAutoDefault(false);
    botao->setFocusPolicy(Qt::StrongFocus);
    return botao;
}

QLabel* CriaRotulo(QWidget* pai, const char* nome, const QString& legenda, Lugar lugar) {
    auto* rotulo = Cria<QLabel>(pai, nome, lugar);
    rotulo->setText(legenda);
    rotulo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return rotulo;
}

CaixaTexto* CriaCaixa(QWidget* pai, const char* nome, Lugar lugar) { return Cria<CaixaTexto>(pai, nome, lugar); }

QGroupBox* CriaMoldura(QWidget* pai, const char* nome, const QString& legenda, Lugar lugar) {
    auto* moldura = Cria<QGroupBox>(pai, nome, lugar);
    moldura->setTitle(legenda);
    return moldura;
}

QRadioButton* CriaOpcao(QWidget* pai, const char* nome, Lugar lugar) {
    auto* opcao = Cria<QRadioButton>(pai, nome, lugar);
    opcao->setFocusPolicy(Qt::StrongFocus);
    return opcao;
}

void PoeTamanho(QWidget* janela, int largura, int altura) {
    janela->setFixedSize(Twips(largura, janela), Twips(altura, janela));
}

void PoeOrdemTab(const std::vector<std::pair<QWidget*, int>>& controles) {
    std::vector<std::pair<QWidget*, int>> ordem = controles;
    std::stable_sort(ordem.begin(), ordem.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
    QWidget* anterior = nullptr;
    for (const auto& [controle, indice] : ordem) {
        controle->setProperty("TabIndex", indice);
        if (controle->focusPolicy() == Qt::NoFocus) continue;
        if (anterior) QWidget::setTabOrder(anterior, controle);
        anterior = controle;
    }
}

void PoeTextoMaisLongo(QWidget* caixa, const QString& texto) {
    caixa->setProperty(kTextoMaisLongo, caixa->property(kTextoMaisLongo).toStringList() << texto);
}

void AjustaFonte(QWidget* janela) {
    QFont fonte = janela->font();
    // Start from the platform's default but no larger than a dialog font.
    double pontos = std::min(fonte.pointSizeF() > 0 ? fonte.pointSizeF() : 9.0, 9.0);
    const auto controles = ComLegenda(janela);
    for (; pontos > 6.0; pontos -= 0.5) {
        fonte.setPointSizeF(pontos);
        if (std::all_of(controles.begin(), controles.end(), [&](const QWidget* c) { return Cabe(c, fonte); }))
            break;
    }
    fonte.setPointSizeF(pontos);
    janela->setFont(fonte);
}

std::vector<QString> LegendasQueNaoCabem(const QWidget* janela) {
    std::vector<QString> nomes;
    for (const QWidget* controle : ComLegenda(janela))
        if (!Cabe(controle, controle->font())) nomes.push_back(controle->objectName());
    return nomes;
}

}  // namespace tavorin
