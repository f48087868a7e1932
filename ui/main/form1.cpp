// The main window's layout, its start-up, the printer test and the two
// operation its other handlers share (Resultado).
#include "form1.h"

#include "caixa_texto.h"
#include "clock.h"
#include "cupom.h"
#include "janela.h"
#include "operacoes.h"
#include "pergunta.h"
#include "sala.h"
#include "texto8.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QTimer>

namespace tavorin {

Form1::Form1(QWidget* pai) : QWidget(pai) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("TAVORIN"));
    MontaJanela();
}

Form1::~Form1() {
    delete cupom_;
    delete relogio_;
}

Cupom* Form1::JanelaCupom() const { return cupom_; }

Clock* Form1::JanelaRelogio() const { return relogio_; }

void Form1::MontaJanela() {
    PoeTamanho(this, 5520, 6780);

    Command1 = CriaBotao(this, "Command1", QStringLiteral("Testar Impressora"), {120, 240, 1575, 375});
    Label1 = CriaRotulo(this, "Label1", QStringLiteral("Relógio da Impressora:"), {1800, 0, 3975, 375});
    Text2 = CriaCaixa(this, "Text2", {1800, 240, 2895, 375});
    Label2 = CriaRotulo(this, "Label2", QStringLiteral("Porta:"), {4800, 0, 2055, 375});
    Text1 = CriaCaixa(this, "Text1", {4800, 240, 615, 375});

    Frame4 = CriaMoldura(this, "Frame4", QString(), {0, 720, 1935, 1335});
    Label4 = CriaRotulo(Frame4, "Label4", QStringLiteral("COO"), {240, 120, 975, 255});
    Label5 = CriaRotulo(Frame4, "Label5", QStringLiteral("CCF"), {240, 720, 975, 255});
    Command5 = CriaBotao(Frame4, "Command5", QStringLiteral("Lê"), {1440, 960, 375, 255});
    // The counters belong to the window but stand inside the frame's area,
    // in front of it.
    COO = CriaCaixa(this, "COO", {240, 1080, 975, 285});
    CCF = CriaCaixa(this, "CCF", {240, 1680, 975, 285});
    COO->raise();
    CCF->raise();

    Label15 = CriaRotulo(this, "Label15", QStringLiteral("On Line"), {3240, 840, 975, 255});
    Linha = CriaCaixa(this, "Linha", {3240, 1080, 975, 285});
    Label6 = CriaRotulo(this, "Label6", QStringLiteral("Papel"), {4320, 840, 975, 255});
    PAPEL = CriaCaixa(this, "PAPEL", {4320, 1080, 975, 285});
    Label7 = CriaRotulo(this, "Label7", QStringLiteral("Redução"), {3240, 1440, 975, 255});
    Reducao = CriaCaixa(this, "Reducao", {3240, 1680, 975, 285});
    Label8 = CriaRotulo(this, "Label8", QStringLiteral("Primeira LX"), {4320, 1440, 975, 255});
    LEITX = CriaCaixa(this, "LEITX", {4320, 1680, 975, 285});

    Frame1 = CriaMoldura(this, "Frame1", QStringLiteral("Leitura da Memória Fiscal"), {120, 2160, 5295, 1935});
    // Each inner frame holds one group of two option buttons; the label to
    // the right of each button names it.
    Frame2 = CriaMoldura(Frame1, "Frame2", QString(), {120, 360, 2295, 855});
    Porredu = CriaOpcao(Frame2, "Porredu", {120, 240, 255, 255});
    Label9 = CriaRotulo(Frame2, "Label9", QStringLiteral("Redução"), {480, 240, 975, 255});
    Pordata = CriaOpcao(Frame2, "Pordata", {120, 480, 255, 255});
    Label10 = CriaRotulo(Frame2, "Label10", QStringLiteral("Data"), {480, 480, 855, 255});
    Frame3 = CriaMoldura(Frame1, "Frame3", QString(), {2880, 360, 2295, 855});
    NaImp = CriaOpcao(Frame3, "NaImp", {120, 240, 255, 255});
    Label11 = CriaRotulo(Frame3, "Label11", QStringLiteral("Impressora"), {480, 240, 1335, 255});
    NoArq = CriaOpcao(Frame3, "NoArq", {120, 480, 255, 255});
    Label12 = CriaRotulo(Frame3, "Label12", QStringLiteral("Arquivo"), {480, 480, 975, 255});
    Porredu->setChecked(true);
    NaImp->setChecked(true);
    Label13 = CriaRotulo(Frame1, "Label13", QStringLiteral("Início:"), {120, 1320, 855, 255});
    Ini = CriaCaixa(Frame1, "Ini", {720, 1320, 1215, 375});
    Ini->setText(QLatin1String(LimitesPadrao(Faixa::Reducoes).inicio));
    Label14 = CriaRotulo(Frame1, "Label14", QStringLiteral("Fim:"), {2160, 1320, 615, 255});
    Fim = CriaCaixa(Frame1, "Fim", {2520, 1320, 1215, 375});
    Fim->setText(QLatin1String(LimitesPadrao(Faixa::Reducoes).fim));
    LMF = CriaBotao(Frame1, "LMF", QStringLiteral("Executa"), {3960, 1320, 1215, 375});

    Command4 = CriaBotao(this, "Command4", QStringLiteral("Leitura X"), {360, 4320, 1215, 375});
    Command7 = CriaBotao(this, "Command7", QStringLiteral("Relógio e H.Verão"), {1800, 4320, 1455, 375});
    Command6 = CriaBotao(this, "Command6", QStringLiteral("Cupom Fiscal"), {3480, 4320, 1935, 375});
    RedZ = CriaBotao(this, "RedZ", QStringLiteral("Redução Z"), {360, 4800, 1215, 375});
    Command2 = CriaBotao(this, "Command2", QStringLiteral("Abre Gaveta"), {1800, 4800, 1455, 375});
    Label3 = CriaRotulo(this, "Label3", QStringLiteral("Resposta:"), {360, 5520, 2055, 375});
    Text3 = CriaCaixa(this, "Text3", {360, 5760, 3975, 375});

    PoeOrdemTab({
        {Command1, 0},  {Text1, 1},    {Text2, 2},     {Label1, 3},    {Label2, 4},    {Text3, 5},
        {Label3, 6},    {Command4, 7}, {COO, 8},       {CCF, 9},       {PAPEL, 10},    {Label6, 11},
        {Reducao, 12},  {Label7, 13},  {LEITX, 14},    {Label8, 15},   {Frame1, 16},   {Frame2, 17},
        {Frame3, 18},   {Porredu, 19}, {Pordata, 20},  {NaImp, 21},    {NoArq, 22},    {Label9, 23},
        {Label10, 24},  {Label11, 25}, {Label12, 26},  {Ini, 27},      {Fim, 28},      {Label13, 29},
        {Label14, 30},  {LMF, 31},     {Command6, 32}, {Linha, 33},    {Label15, 34},  {Frame4, 35},
        {Label4, 36},   {Label5, 37},  {Command5, 38}, {Command7, 39}, {RedZ, 40},     {Command2, 41},
    });
    // The state words must fit their boxes as the captions fit theirs.
    PoeTextoMaisLongo(Linha, QStringLiteral("Fora de Linha"));
    PoeTextoMaisLongo(Linha, QStringLiteral("Sem Resposta"));
    PoeTextoMaisLongo(PAPEL, QStringLiteral("Sem Resposta"));
    PoeTextoMaisLongo(Reducao, QStringLiteral("Não Efetuada"));
    PoeTextoMaisLongo(LEITX, QStringLiteral("Não Efetuada"));
    PoeTextoMaisLongo(Text1, QStringLiteral("com 2"));
    // So does the printer's clock, in summer time, and its absence.
    PoeTextoMaisLongo(Text2, QStringLiteral("Horario de Verao 00/00/00 00:00"));
    PoeTextoMaisLongo(Text2, QStringLiteral("Impressora não Conectada"));
    AjustaFonte(this);
    Command1->setFocus();

    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(RedZ, &QPushButton::clicked, this, &Form1::RedZ_Click);
    connect(Command5, &QPushButton::clicked, this, &Form1::Command5_Click);
    connect(Command6, &QPushButton::clicked, this, &Form1::Command6_Click);
    connect(Command7, &QPushButton::clicked, this, &Form1::Command7_Click);
    connect(LMF, &QPushButton::clicked, this, &Form1::LMF_Click);
    // "clicked" on an option button is a click by the operator (or a key),
    // never the group unselecting it.
    connect(Porredu, &QRadioButton::clicked, this, &Form1::Porredu_Click);
    connect(Pordata, &QRadioButton::clicked, this, &Form1::Pordata_Click);
    connect(Ini, &CaixaTexto::GotFocus, this, &Form1::Ini_GotFocus);
    connect(Fim, &CaixaTexto::GotFocus, this, &Form1::Fim_GotFocus);
    connect(Ini, &CaixaTexto::Validate, this, &Form1::Ini_Validate);
    connect(Fim, &CaixaTexto::Validate, this, &Form1::Fim_Validate);

    Esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    Esc->setObjectName(QStringLiteral("Esc"));
    Esc->setEnabled(false);
    connect(Esc, &QShortcut::activated, this, &Form1::Interrompe_Leitura);
}

void Form1::Form_Load() { Command1_Click(); }

// Each step shows on the window thread before the next command is sent.
void Form1::Command1_Click() {
    Sala& sala = Sala::Instancia();
    if (!sala.Aceita()) return;
    AoTestar ao;
    ao.naoEncontrada = Sala::NaJanela([this] { Text2->setText(QStringLiteral("Impressora não Conectada")); });
    ao.encontrada = Sala::NaJanela([this](int32_t porta, const std::string& relogio) {
        Text2->setText(DoDriver(relogio));
        Text1->setText(QStringLiteral("com") + (porta >= 0 ? QStringLiteral(" ") : QString()) + QString::number(porta));
    });
    // An unknown state leaves its box as it was.
    ao.estadoDoDia = Sala::NaJanela([this](const std::string& reducao, const std::string& leituraX) {
        if (const std::string palavra = PalavraReducao(reducao); !palavra.empty())
            Reducao->setText(QString::fromStdString(palavra));
        if (const std::string palavra = PalavraLeituraX(leituraX); !palavra.empty())
            LEITX->setText(QString::fromStdString(palavra));
    });
    ao.papel = Sala::NaJanela([this](const EstadoPapel& estado) { MostraPapel(estado); });
    const auto teste = sala.Executa(this, [ao] { return TestaImpressora(kPortasProcuradas, ao); });
    // What kept the printer from answering, when the link knows it.
    if (teste && !teste->encontrada)
        if (const Desfecho* causa = teste->procura.Causa()) Text3->setText(TextoDoResultado(*causa));
}

void Form1::MostraPapel(const EstadoPapel& estado) {
    Text3->setText(DoDriver(estado.consulta.troca.resposta));
    PAPEL->MostraEstado(QString::fromStdString(PalavraPapel(estado)), estado.semResposta || estado.semPapel);
    Linha->MostraEstado(QString::fromStdString(PalavraLinha(estado)), estado.semResposta || estado.foraDeLinha);
}

void Form1::Resultado(const Desfecho& desfecho) {
    Text3->setText(TextoDoResultado(desfecho));
    Text3->Repinta();
}

void Form1::closeEvent(QCloseEvent* evento) {
    // A command under way is never abandoned: the window waits for its
    // answer and closes then, sending nothing more. A reading to the file
    // is asked about first: "Não" lets it run on, and the window stays.
    Sala& sala = Sala::Instancia();
    if (sala.Ocupada()) {
        evento->ignore();
        if (lendoArquivo_ && !interromper_ && !PerguntaInterrupcao() && sala.Ocupada()) return;
        if (sala.Ocupada())
            sala.AdiaFechamento(this);
        else
            QTimer::singleShot(0, this, &QWidget::close);  // it ended while the question was open
        return;
    }
    // The main window ends the program, whatever other window is open or
    // hidden; a port that a window left open is closed on the way out.
    evento->accept();
    if (cupom_) cupom_->hide();
    if (relogio_) relogio_->hide();
    QApplication::quit();
}

}  // namespace tavorin
