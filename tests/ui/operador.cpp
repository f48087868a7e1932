#include "operador.h"

#include "driver.h"
#include "janela.h"
#include "link.h"


namespace tavorin::teste {

bool MostraEAtiva(QWidget* janela) {
    janela->show();
    janela->activateWindow();
    QApplication::setActiveWindow(janela);
    return QTest::qWaitForWindowActive(janela);
}

void Clica(QWidget* controle) {
    QTest::mouseClick(controle, Qt::LeftButton, Qt::NoModifier, controle->rect().center());
}

void Digita(QLineEdit* caixa, const QString& texto) {
    Clica(caixa);
    caixa->end(false);
    QTest::keyClicks(caixa, texto);
}

void Substitui(QLineEdit* caixa, const QString& texto) {
    Clica(caixa);
    caixa->selectAll();
    if (texto.isEmpty())
        QTest::keyClick(caixa, Qt::Key_Delete);
    else
        QTest::keyClicks(caixa, texto);
}

void Tab(QWidget* janela) {
    QWidget* foco = janela->focusWidget() ? janela->focusWidget() : janela;
    QTest::keyClick(foco, Qt::Key_Tab);
}

QColor CorDoTexto(const QLineEdit* caixa) { return caixa->palette().color(QPalette::Active, QPalette::Text); }

QStringList OrdemTab(QWidget* janela, int vezes) {
    QStringList nomes;
    for (int i = 0; i < vezes; ++i) {
        Tab(janela);
        nomes << QApplication::focusWidget()->objectName();
    }
    return nomes;
}

QString LegendasCortadas(const QWidget* janela) {
    QStringList nomes;
    for (const auto& nome : LegendasQueNaoCabem(janela)) nomes << nome;
    return nomes.join(QStringLiteral(", "));
}

void ApagaJanelasFechadas() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

QByteArray Bytes(const std::string& texto) { return QByteArray(texto.data(), static_cast<int>(texto.size())); }

// The texts a box showed each time it was painted. Nothing runs the event
// loop inside a click, so a text painted while the driver is called was
// painted on purpose, at once.
class Pinturas : public QObject {
public:
    explicit Pinturas(QLineEdit* caixa) : caixa_(caixa) { caixa_->installEventFilter(this); }
    QStringList textos;

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override {
        if (objeto == caixa_ && evento->type() == QEvent::Paint) textos << caixa_->text();
        return false;
    }

private:
    QLineEdit* caixa_;
};

TesteJanela::TesteJanela(int32_t porta, bool simulador) : porta_(porta), simulador_(simulador) {}

TesteJanela::~TesteJanela() = default;

CaixaTexto* TesteJanela::Caixa(const char* nome, const QWidget* janela) {
    return Controle<CaixaTexto>(janela ? janela : Janela(), nome);
}

QString TesteJanela::Textos(const QString& nomes, const QWidget* janela) {
    QStringList textos;
    for (const QString& nome : nomes.split(QLatin1Char(' '))) textos << Texto(nome.toLatin1().constData(), janela);
    return textos.join(QLatin1Char('|'));
}

void TesteJanela::Clique(const char* nome, const QWidget* janela) {
    Clica(Controle<QWidget>(janela ? janela : Janela(), nome));
}

void TesteJanela::Observa(QLineEdit* caixa, std::function<QString()> extra) {
    pinturas_ = std::make_unique<Pinturas>(caixa);
    driver->durante = [this, extra](const Chamada&) {
        vistos << (pinturas_->textos.isEmpty() ? QStringLiteral("?") : pinturas_->textos.last()) +
                      (extra ? QLatin1Char('|') + extra() : QString());
    };
}

void TesteJanela::init() {
    pasta = std::make_unique<DiretorioTemporario>();
    if (simulador_) {
        AmbienteDoSimulador(pasta->Caminho());
        InstalaDriver(nullptr);
    } else {
        driver = std::make_unique<FakeDriver>();
    }
    Porta = porta_;
    Resposta.clear();
    Status.clear();
    principal = std::make_unique<Form1>();
    QVERIFY(MostraEAtiva(principal.get()));
    Prepara();
}

void TesteJanela::cleanup() {
    vistos.clear();
    pinturas_.reset();
    principal.reset();
    ApagaJanelasFechadas();
    if (simulador_) FechaPortaAberta();
    driver.reset();
    pasta.reset();
}

}  // namespace tavorin::teste
