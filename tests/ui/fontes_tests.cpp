// The windows as the operator reads them: each in the platform's dialog
// font at its size, a control in a smaller font of its own only where its
// caption cannot fit at that size, and every caption whole on the screen,
// judged from the pixels the window paints. Run with the windows' own
// platform too (tools/windows-inicio, at several DPI), where each window's
// font is reported.
#include "comunicacao.h"
#include "janela.h"
#include "operador.h"

#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QRawFont>

#include <algorithm>

using namespace tavorin;
using namespace tavorin::teste;

namespace {

// The family a font is drawn in ("MS Shell Dlg 2" is drawn in Tahoma).
QString Familia(const QFont& fonte) { return QRawFont::fromFont(fonte).familyName(); }

// The bounding box of the pixels in which two pictures differ.
QRect Diferenca(const QImage& a, const QImage& b) {
    QRect caixa;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) caixa |= QRect(x, y, 1, 1);
    return caixa;
}

// The ink of a text in a control's font, drawn with all the room it needs
// (or, wrapped, at the control's width), in device pixels.
QRect TintaLivre(const QWidget* controle, const QString& texto, bool quebra, qreal escala) {
    const int largura = quebra ? controle->contentsRect().width() : 100000;
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic | (quebra ? Qt::TextWordWrap : 0);
    const QRect medida = controle->fontMetrics().boundingRect(QRect(0, 0, largura, 100000), flags, texto);
    QImage imagem((medida.size() + QSize(20, 20)) * escala, QImage::Format_ARGB32_Premultiplied);
    imagem.setDevicePixelRatio(escala);
    // Points become pixels as on the control's screen.
    imagem.setDotsPerMeterX(qRound(controle->logicalDpiX() / 0.0254));
    imagem.setDotsPerMeterY(qRound(controle->logicalDpiY() / 0.0254));
    imagem.fill(Qt::white);
    const QImage branca = imagem.copy();
    QPainter pintor(&imagem);
    pintor.setFont(controle->font());
    pintor.setPen(Qt::black);
    pintor.drawText(QRect(QPoint(10, 10), medida.size()), flags, texto);
    pintor.end();
    return Diferenca(imagem, branca);
}

// Whether `texto` shows whole in the control: the window painted with it
// and without it as the control's `legenda` property, the pixels that
// differ against the ink the text leaves when nothing is in its way. A
// pixel is allowed for the rendering's edges.
bool MostraInteiro(QWidget* janela, QWidget* controle, const char* legenda, const QString& texto, bool quebra) {
    const QRect area(controle->mapTo(janela, QPoint(0, 0)), controle->size());
    controle->setProperty(legenda, texto);
    const QImage com = janela->grab(area).toImage();
    controle->setProperty(legenda, QString());
    const QImage sem = janela->grab(area).toImage();
    const QRect visto = Diferenca(com, sem);
    const QRect tinta = TintaLivre(controle, texto, quebra, com.devicePixelRatio());
    return visto.width() + 1 >= tinta.width() && visto.height() + 1 >= tinta.height();
}

// What keeps a shown window from reading as designed; empty when nothing
// does. Tells the person reading the start check the window's font at the
// screen's DPI, and the controls in a smaller font of their own.
QStringList Falhas(QWidget* janela) {
    QStringList falhas, menores;
    // The platform's dialog font for the window's kind, at its size up to
    // 9 points.
    const QFont fonte = janela->font(), dialogo = QApplication::font(janela);
    if (Familia(fonte) != Familia(dialogo) || fonte.pointSizeF() < std::min(dialogo.pointSizeF(), 9.0))
        falhas << "font " + fonte.toString() + " against " + dialogo.toString();
    for (QWidget* controle : janela->findChildren<QWidget*>()) {
        auto* caixa = qobject_cast<QLineEdit*>(controle);
        auto* rotulo = qobject_cast<QLabel*>(controle);
        const char* legenda = qobject_cast<QGroupBox*>(controle) ? "title"
                              : caixa || rotulo || qobject_cast<QPushButton*>(controle) ? "text" : nullptr;
        if (!legenda || !controle->isVisibleTo(janela)) continue;
        const QString nome = controle->objectName();
        if (controle->font().pointSizeF() < fonte.pointSizeF()) {
            menores << QStringLiteral("%1 %2").arg(nome).arg(controle->font().pointSizeF());
            // Shrunk only where the window's font cannot hold its caption.
            const QFont propria = controle->font();
            controle->setFont(fonte);
            const std::vector<QString> naoCabiam = LegendasQueNaoCabem(janela);
            controle->setFont(propria);
            if (std::find(naoCabiam.begin(), naoCabiam.end(), nome) == naoCabiam.end())
                falhas << nome + " shrunk, but fits at the window's font";
        }
        // Its caption, or for a box the longest texts it is made to show.
        const QString antes = controle->property(legenda).toString();
        bool inteiro = true;
        for (const QString& texto : caixa ? caixa->property("TextoMaisLongo").toStringList() : QStringList{antes})
            inteiro = inteiro && (texto.isEmpty() || MostraInteiro(janela, controle, legenda, texto,
                                                                   rotulo && rotulo->wordWrap()));
        controle->setProperty(legenda, antes);
        if (!inteiro) falhas << nome + " is cut on the screen";
    }
    qInfo().noquote() << QStringLiteral("%1: %2 %3 pt, %4 dpi%5")
                             .arg(janela->objectName(), Familia(janela->font()))
                             .arg(janela->font().pointSizeF())
                             .arg(janela->logicalDpiY())
                             .arg(menores.isEmpty() ? QString() : "; smaller: " + menores.join(", "));
    return falhas;
}

}  // namespace

class FontesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<Bancada> bancada;

    void Confere(QWidget* janela) {
        const QStringList falhas = Falhas(janela);
        QVERIFY2(falhas.isEmpty(), qPrintable(janela->objectName() + ": " + falhas.join("; ")));
    }

private slots:
    void init() {
        bancada = std::make_unique<Bancada>(1);
        ProntaComRelogio(*bancada->driver);
    }
    void cleanup() {
        bancada.reset();
    }

    void janelas_data() {
        QTest::addColumn<QString>("botao");
        QTest::newRow("Form1") << QString();
        QTest::newRow("Cupom") << "Command6";
        QTest::newRow("Clock") << "Command7";
    }
    // Opened from their buttons, as the operator opens them.
    void janelas() {
        QFETCH(QString, botao);
        QVERIFY(MostraEAtiva(bancada->principal.get()));
        QWidget* janela = bancada->Mostra(botao);
        QVERIFY(janela);
        Confere(janela);
    }

    void comunicacao() {
        Comunicacao janela;
        QVERIFY(MostraEAtiva(&janela));
        Confere(&janela);
    }

    // The Redução Z question, answered "Não" once looked at.
    void pergunta() {
        Form1* principal = bancada->principal.get();
        QVERIFY(MostraEAtiva(principal));
        QStringList falhas{"never asked"};
        Responde([&](QWidget* pergunta) {
            EsperaAtiva(pergunta);
            falhas = Falhas(pergunta);
            pergunta->findChild<QPushButton*>("Nao")->click();
        });
        Clica(principal, "RedZ");
        QVERIFY2(falhas.isEmpty(), qPrintable(falhas.join("; ")));
    }
};

QTEST_MAIN(FontesTest)
#include "fontes_tests.moc"
