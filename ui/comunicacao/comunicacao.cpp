#include "comunicacao.h"

#include "arquivo_atomico.h"
#include "diagnostico.h"
#include "driver.h"
#include "identidade.h"
#include "janela.h"
#include "sala.h"
#include "texto8.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeView>
#include <QVBoxLayout>

#include <deque>
#include <filesystem>

namespace tavorin {

namespace {

enum Coluna { kHora, kPorta, kEspera, kEnviado, kResultado, kDuracao, kResposta, kColunas };

const char* const kTitulos[kColunas] = {"Hora", "Porta", "Espera", "Enviado", "Resultado", "Duração", "Resposta"};

// A text file's name asked for, in the working folder at first; empty
// when the operator cancels.
QString PedeArquivo(QWidget* pai, const QString& titulo, const QString& nomeDoDialogo, const QString& sugerido) {
    QFileDialog dialogo(pai, titulo, QDir::currentPath(), QStringLiteral("Texto (*.txt);;Todos os arquivos (*)"));
    dialogo.setObjectName(nomeDoDialogo);
    dialogo.setAcceptMode(QFileDialog::AcceptSave);
    dialogo.setDefaultSuffix(QStringLiteral("txt"));
    dialogo.selectFile(sugerido);
    if (dialogo.exec() != QDialog::Accepted || dialogo.selectedFiles().isEmpty()) return {};
    return dialogo.selectedFiles().constFirst();
}

// A name the file dialog gave, as the writer takes it.
std::filesystem::path Caminho(const QString& arquivo) {
#if defined(Q_OS_WIN)
    return std::filesystem::path(arquivo.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(arquivo).toStdString());
#endif
}

}  // namespace

// The exchanges as rows, at most kMaxTrocas as the record keeps; texts are
// made only for the rows painted.
class ModeloTrocas : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& pai) const override { return pai.isValid() ? 0 : static_cast<int>(trocas_.size()); }
    int columnCount(const QModelIndex& pai) const override { return pai.isValid() ? 0 : kColunas; }

    QVariant data(const QModelIndex& indice, int papel) const override {
        if (!indice.isValid() || indice.row() >= rowCount({})) return {};
        const Troca& troca = trocas_[static_cast<std::size_t>(indice.row())];
        const int coluna = indice.column();
        if (papel == Qt::ForegroundRole && coluna == kResultado && troca.resultado < 0) return kVermelho;
        if (papel == Qt::TextAlignmentRole && (coluna == kPorta || coluna == kEspera || coluna == kResultado ||
                                               coluna == kDuracao))
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        if (papel == Qt::ToolTipRole && (coluna == kEnviado || coluna == kResposta)) return data(indice, Qt::DisplayRole);
        if (papel != Qt::DisplayRole) return {};
        switch (coluna) {
            case kHora: return QString::fromStdString(HoraDaTroca(troca, false));
            case kPorta: return troca.porta;
            case kEspera: return troca.espera;
            case kEnviado: return DoDriver(BytesVisiveis(troca.comando));
            case kResultado: return troca.resultado;
            case kDuracao: return QString::fromStdString(DuracaoDaTroca(troca));
            case kResposta:
                return DoDriver(BytesVisiveis(troca.resposta)) +
                       (troca.nota.empty() ? QString() : QStringLiteral("  (%1)").arg(QString::fromStdString(troca.nota)));
        }
        return {};
    }

    QVariant headerData(int secao, Qt::Orientation orientacao, int papel) const override {
        if (orientacao != Qt::Horizontal || papel != Qt::DisplayRole || secao < 0 || secao >= kColunas) return {};
        return QString::fromUtf8(kTitulos[secao]);
    }

    // The rows brought to what the record holds: the rows it no longer
    // keeps dropped from the top, the new ones added at the end (one signal
    // each for a whole batch, so the view never lays out every row again);
    // all of them anew once the record was emptied.
    void Atualiza() {
        Novidades novas = TrocasDesde(geracao_, primeira_ + trocas_.size());
        if (novas.geracao != geracao_) {
            beginResetModel();
            trocas_.assign(std::make_move_iterator(novas.trocas.begin()), std::make_move_iterator(novas.trocas.end()));
            geracao_ = novas.geracao;
            primeira_ = novas.primeira;
            endResetModel();
            return;
        }
        const std::size_t velhas = static_cast<std::size_t>(std::min<uint64_t>(novas.primeira - primeira_, trocas_.size()));
        if (velhas > 0) {
            beginRemoveRows({}, 0, static_cast<int>(velhas) - 1);
            trocas_.erase(trocas_.begin(), trocas_.begin() + static_cast<std::ptrdiff_t>(velhas));
            endRemoveRows();
        }
        primeira_ = novas.primeira;
        if (novas.trocas.empty()) return;
        const int primeira = static_cast<int>(trocas_.size());
        beginInsertRows({}, primeira, primeira + static_cast<int>(novas.trocas.size()) - 1);
        trocas_.insert(trocas_.end(), std::make_move_iterator(novas.trocas.begin()),
                       std::make_move_iterator(novas.trocas.end()));
        endInsertRows();
    }

private:
    std::deque<Troca> trocas_;
    // The record's generation and the number of the first row; none seen yet.
    uint64_t geracao_ = UINT64_MAX, primeira_ = 0;
};

Comunicacao::Comunicacao(QWidget* pai) : QWidget(pai) {
    setObjectName(QStringLiteral("Comunicacao"));
    setWindowTitle(QStringLiteral("Comunicação"));

    modelo_ = new ModeloTrocas(this);
    Lista = new QTreeView(this);
    Lista->setObjectName(QStringLiteral("Lista"));
    Lista->setRootIsDecorated(false);
    Lista->setItemsExpandable(false);
    // Equal rows: scrolling and appending never measure every row.
    Lista->setUniformRowHeights(true);
    Lista->setAlternatingRowColors(true);
    Lista->setSelectionMode(QAbstractItemView::ExtendedSelection);
    Lista->setModel(modelo_);
    // Fixed-width text, so a command's fields line up under each other.
    Lista->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // Each column as wide as its title or a typical value, whichever is
    // wider; the answer as wide as the longest the printer sends, scrolled
    // sideways.
    const QFontMetrics metrica(Lista->font());
    const QFontMetrics metricaTitulo(Lista->header()->font());
    const char* const exemplos[kColunas] = {"00:00:00.000", "-32768", "-32768", ".0000000000000000",
                                            "-32768", "00000,000 ms", ""};
    for (int coluna = 0; coluna < kResposta; ++coluna)
        Lista->header()->resizeSection(
            coluna, std::max(metrica.horizontalAdvance(QString::fromLatin1(exemplos[coluna])),
                             metricaTitulo.horizontalAdvance(QString::fromUtf8(kTitulos[coluna]))) + 24);
    Lista->header()->setStretchLastSection(false);
    Lista->header()->resizeSection(kResposta, metrica.horizontalAdvance(QString(160, QLatin1Char('0'))) + 24);
    Lista->header()->setSectionsMovable(false);

    Salvar = new QPushButton(QStringLiteral("Salvar…"), this);
    Salvar->setObjectName(QStringLiteral("Salvar"));
    Salvar->setAutoDefault(false);
    Limpar = new QPushButton(QStringLiteral("Limpar"), this);
    Limpar->setObjectName(QStringLiteral("Limpar"));
    Limpar->setAutoDefault(false);
    SalvarDiagnostico = new QPushButton(QStringLiteral("Salvar diagnóstico…"), this);
    SalvarDiagnostico->setObjectName(QStringLiteral("SalvarDiagnostico"));
    SalvarDiagnostico->setAutoDefault(false);
    Situacao = new QLabel(this);
    Situacao->setObjectName(QStringLiteral("Situacao"));
    Situacao->setTextInteractionFlags(Qt::TextSelectableByMouse);

    // Support's first question: which driver is this?
    Biblioteca = new QLabel(this);
    Biblioteca->setObjectName(QStringLiteral("Biblioteca"));
    Biblioteca->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Biblioteca->setWordWrap(true);

    auto* botoes = new QHBoxLayout;
    botoes->addWidget(Salvar);
    botoes->addWidget(Limpar);
    botoes->addWidget(SalvarDiagnostico);
    botoes->addWidget(Situacao, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Biblioteca);
    layout->addWidget(Lista, 1);
    layout->addLayout(botoes);
    // 960 by 420 pixels at 96 DPI, in proportion at any other.
    resize(Twips(14400, this), Twips(6300, this));

    connect(Salvar, &QPushButton::clicked, this, &Comunicacao::Salvar_Click);
    connect(Limpar, &QPushButton::clicked, this, &Comunicacao::Limpar_Click);
    connect(SalvarDiagnostico, &QPushButton::clicked, this, &Comunicacao::SalvarDiagnostico_Click);

    // What happened before the window was first opened is shown too.
    AtualizaBiblioteca();
    modelo_->Atualiza();
    Lista->scrollToBottom();
    observador_ = ObservaTrocas([this](const Troca&) { Recebe(); });
}

Comunicacao::~Comunicacao() { DeixaDeObservar(observador_); }

void Comunicacao::Recebe() {
    bool agenda = false;
    {
        std::lock_guard<std::mutex> trava(agendadoTrava_);
        agenda = !agendado_;
        agendado_ = true;
    }
    // The list catches up once the event loop runs again: one batch for
    // however many exchanges came meanwhile.
    if (agenda) QMetaObject::invokeMethod(this, [this] { Descarrega(); }, Qt::QueuedConnection);
}

void Comunicacao::Descarrega() {
    {
        std::lock_guard<std::mutex> trava(agendadoTrava_);
        agendado_ = false;
    }
    AtualizaBiblioteca();
    // Newest last, followed unless the operator scrolled up to read.
    const QScrollBar* barra = Lista->verticalScrollBar();
    const bool noFim = barra->value() == barra->maximum();
    modelo_->Atualiza();
    if (noFim) Lista->scrollToBottom();
}

void Comunicacao::AtualizaBiblioteca() {
    const std::string carregada = BibliotecaDoDriver();
    // None loaded: why, as the main window says it.
    const std::string falha = carregada.empty() ? DescreveFalha(FalhaDoDriver()) : std::string();
    if (!linhasBiblioteca_.empty() && carregada + falha == bibliotecaMostrada_) return;
    bibliotecaMostrada_ = carregada + falha;
    // Read and hashed once per library: the file is small, the list is not held up.
    linhasBiblioteca_ = DescreveVersao(carregada);
    if (!falha.empty()) linhasBiblioteca_.back() = falha;
    QStringList linhas;
    for (const std::string& linha : linhasBiblioteca_) linhas << QString::fromStdString(linha);
    Biblioteca->setText(linhas.join(QLatin1Char('\n')));
}

// The list is a view of the record: emptied with it, and whatever comes
// after shows in both.
void Comunicacao::Limpar_Click() {
    LimpaTrocas();
    modelo_->Atualiza();
    MostraSituacao(QString(), false);
}

void Comunicacao::Salvar_Click() {
    const QString arquivo = PedeArquivo(this, QStringLiteral("Salvar registro da comunicação"), QStringLiteral("SalvarComo"),
                                        QStringLiteral("Comunicacao.txt"));
    if (!arquivo.isEmpty()) Salva(arquivo);
}

bool Comunicacao::Salva(const QString& arquivo) {
    std::string texto;
    // Which library answered, before what it answered.
    AtualizaBiblioteca();
    for (const std::string& linha : linhasBiblioteca_) texto += linha + '\n';
    for (const Troca& troca : Trocas()) texto += DoDriver(DescreveTroca(troca)).toUtf8().toStdString() + '\n';
    return SalvaTexto(arquivo, texto, QStringLiteral("Não foi possível salvar %1: %2"),
                      QStringLiteral("Salvo em %1").arg(QDir::toNativeSeparators(arquivo)));
}

// Saves `texto` in place of the file, never half written, and says how it
// went in the status line: `salvo`, or `falhou` with the file's name and
// the system's reason.
bool Comunicacao::SalvaTexto(const QString& arquivo, const std::string& texto, const QString& falhou,
                             const QString& salvo) {
    const QString nome = QDir::toNativeSeparators(arquivo);
    const std::string erro = comum::GravaTexto(Caminho(arquivo), texto);
    if (!erro.empty()) {
        MostraSituacao(falhou.arg(nome, QString::fromStdString(erro)), true);
        return false;
    }
    MostraSituacao(salvo, false);
    return true;
}

void Comunicacao::SalvarDiagnostico_Click() {
    const QString arquivo = PedeArquivo(this, QStringLiteral("Salvar diagnóstico"), QStringLiteral("SalvarDiagnosticoComo"),
                                        QStringLiteral("Diagnostico.txt"));
    if (!arquivo.isEmpty()) SalvaDiagnostico(arquivo);
}

bool Comunicacao::SalvaDiagnostico(const QString& arquivo) {
    MostraSituacao(QStringLiteral("Diagnóstico em andamento…"), false);
    const std::optional<Diagnostico> feito = Sala::Instancia().Executa(this, [] { return Diagnostica(); });
    if (!feito) {
        MostraSituacao(QStringLiteral("A impressora está ocupada com outro comando; o diagnóstico não foi feito"), true);
        return false;
    }
    return SalvaTexto(arquivo, feito->relatorio, QStringLiteral("Não foi possível salvar o diagnóstico em %1: %2"),
                      QStringLiteral("Diagnóstico salvo em %1 (%2)")
                          .arg(QDir::toNativeSeparators(arquivo), QString::fromStdString(feito->resumo)));
}

void Comunicacao::MostraSituacao(const QString& texto, bool alerta) {
    QPalette paleta = Situacao->palette();
    paleta.setColor(QPalette::WindowText, alerta ? kVermelho : kPreto);
    Situacao->setPalette(paleta);
    Situacao->setText(texto);
}

AtalhoComunicacao::AtalhoComunicacao() { QCoreApplication::instance()->installEventFilter(this); }

AtalhoComunicacao::~AtalhoComunicacao() { delete janela_; }

bool AtalhoComunicacao::eventFilter(QObject* objeto, QEvent* evento) {
    if (evento->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(evento)->key() != Qt::Key_F12)
        return QObject::eventFilter(objeto, evento);
    if (!janela_) janela_ = new Comunicacao;
    janela_->show();
    janela_->raise();
    janela_->activateWindow();
    return true;
}

}  // namespace tavorin
