#include "janela.h"

#include "caixa_texto.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>
#include <QVariant>

#include <algorithm>
#include <cmath>

namespace tavorin {

namespace {

// The largest font the windows take, and the smallest a control shrinks to.
constexpr double kPontosMaximos = 9.0;
constexpr double kPontosMinimos = 6.0;
// A frame's caption sits on its top border, after a short indent.
constexpr int kFolgaMoldura = 16;
// QLineEdit keeps this much room on each side of its text inside its
// contents (a constant of its own, not a style metric).
constexpr int kMargemCaixa = 2;
const char* const kTextoMaisLongo = "TextoMaisLongo";

int LarguraDoTexto(const QFontMetrics& metrica, const QString& texto) { return metrica.horizontalAdvance(texto); }

// What can be seen of a control: its own rectangle, cut where its
// container ends and where a control stacked above it in the same
// container begins (to its right or below it), in its own coordinates.
QRect AreaVisivel(const QWidget* controle) {
    QRect area = controle->rect();
    const QWidget* pai = controle->parentWidget();
    if (!pai) return area;
    area &= QRect(-controle->pos(), pai->size());
    const QRect lugar = controle->geometry();
    bool acima = false;
    for (const QObject* objeto : pai->children()) {
        if (objeto == controle) {
            acima = true;
            continue;
        }
        auto irmao = qobject_cast<const QWidget*>(objeto);
        if (!acima || !irmao || irmao->isWindow() || irmao->isHidden() || !irmao->geometry().intersects(lugar))
            continue;
        const QRect outro = irmao->geometry();
        if (outro.left() > lugar.left())
            area.setRight(std::min(area.right(), outro.left() - lugar.left() - 1));
        else if (outro.top() > lugar.top())
            area.setBottom(std::min(area.bottom(), outro.top() - lugar.top() - 1));
    }
    return area;
}

// The rectangle a push button draws its caption in, as its style lays it
// out, cut to what can be seen.
QRect AreaDaLegenda(const QPushButton* botao) {
    QStyleOptionButton opcao;
    opcao.initFrom(botao);
    opcao.rect = botao->rect();
    opcao.text = botao->text();
    if (botao->isDefault()) opcao.features |= QStyleOptionButton::DefaultButton;
    if (botao->autoDefault()) opcao.features |= QStyleOptionButton::AutoDefaultButton;
    return botao->style()->subElementRect(QStyle::SE_PushButtonContents, &opcao, botao) & AreaVisivel(botao);
}

// The rectangle a text box draws its text in: its style's contents, less
// its text margins and its own margin on each side, cut to what can be seen.
QRect AreaDoTexto(const QLineEdit* caixa) {
    QStyleOptionFrame opcao;
    opcao.initFrom(caixa);
    opcao.rect = caixa->contentsRect();
    opcao.lineWidth = caixa->hasFrame() ? caixa->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opcao, caixa) : 0;
    opcao.midLineWidth = 0;
    opcao.state |= QStyle::State_Sunken;
    QRect area = caixa->style()->subElementRect(QStyle::SE_LineEditContents, &opcao, caixa);
    const QMargins margens = caixa->textMargins();
    area = area.marginsRemoved(margens) & AreaVisivel(caixa);
    return area.adjusted(kMargemCaixa, 0, -kMargemCaixa, 0);
}

bool Cabe(const QWidget* controle, const QFont& fonte) {
    const QFontMetrics metrica(fonte);
    if (auto botao = qobject_cast<const QPushButton*>(controle)) {
        if (botao->text().isEmpty()) return true;
        // The caption is centred: its letters must stand inside the frame.
        const QRect area = AreaDaLegenda(botao);
        return LarguraDoTexto(metrica, botao->text()) <= area.width() &&
               metrica.tightBoundingRect(botao->text()).height() <= area.height();
    }
    if (auto rotulo = qobject_cast<const QLabel*>(controle)) {
        if (rotulo->text().isEmpty()) return true;
        // Line by line, wrapped at its width where the label wraps.
        const QRect area = AreaVisivel(rotulo);
        const QRect texto = metrica.boundingRect(QRect(0, 0, area.width(), 1 << 20),
                                                 Qt::AlignLeft | Qt::AlignTop | (rotulo->wordWrap() ? Qt::TextWordWrap : 0),
                                                 rotulo->text());
        return texto.width() <= area.width() && texto.height() <= area.height();
    }
    if (auto moldura = qobject_cast<const QGroupBox*>(controle)) {
        if (moldura->title().isEmpty()) return true;
        return LarguraDoTexto(metrica, moldura->title()) + kFolgaMoldura <= AreaVisivel(moldura).width();
    }
    if (auto caixa = qobject_cast<const QLineEdit*>(controle)) {
        const QRect area = AreaDoTexto(caixa);
        // The text box scrolls a text that leaves no room for its cursor.
        for (const QString& texto : caixa->property(kTextoMaisLongo).toStringList())
            if (LarguraDoTexto(metrica, texto) + 1 > area.width()) return false;
        return metrica.height() <= area.height();
    }
    return true;
}

std::vector<QWidget*> ComLegenda(const QWidget* janela) {
    std::vector<QWidget*> controles;
    for (QWidget* filho : janela->findChildren<QWidget*>())
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
    for (const auto& par : ordem) {
        QWidget* controle = par.first;
        if (controle->focusPolicy() == Qt::NoFocus) continue;
        if (anterior) QWidget::setTabOrder(anterior, controle);
        anterior = controle;
    }
}

void PoeTextoMaisLongo(QWidget* caixa, const QString& texto) {
    caixa->setProperty(kTextoMaisLongo, caixa->property(kTextoMaisLongo).toStringList() << texto);
}

void AjustaFonte(QWidget* janela) {
    // The platform's dialog font, at its own size up to 9 points: the
    // layout was drawn for 8, and a larger font only crowds it.
    QFont fonte = QApplication::font(janela);
    if (fonte.pointSizeF() <= 0 || fonte.pointSizeF() > kPontosMaximos) fonte.setPointSizeF(kPontosMaximos);
    janela->setFont(fonte);
    // A caption that cannot fit there shrinks its own control, never the
    // window. Containers come before what they hold.
    for (QWidget* controle : ComLegenda(janela)) {
        if (Cabe(controle, controle->font())) continue;
        // A frame's smaller font would reach its controls: they keep theirs.
        for (QWidget* filho : controle->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            filho->setFont(filho->font());
        QFont menor = controle->font();
        for (double pontos = menor.pointSizeF(); pontos > kPontosMinimos && !Cabe(controle, menor);)
            menor.setPointSizeF(pontos -= 0.5);
        controle->setFont(menor);
    }
}

std::vector<QString> LegendasQueNaoCabem(const QWidget* janela) {
    std::vector<QString> nomes;
    for (const QWidget* controle : ComLegenda(janela))
        if (!Cabe(controle, controle->font())) nomes.push_back(controle->objectName());
    return nomes;
}

}  // namespace tavorin
