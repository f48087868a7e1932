// The main window's layout, its start-up, the printer test and the two
// operations its other handlers share (Resultado, PaperEnd).
#include "form1.h"

#include "caixa_texto.h"
#include "clock.h"
#include "cupom.h"
#include "driver.h"
#include "janela.h"
#include "link.h"
#include "texto8.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace tavorin {

namespace {

template <typename T>
T* Cria(QWidget* pai, const char* nome) {
    auto* controle = new T(pai);
    controle->setObjectName(QString::fromLatin1(nome));
    return controle;
}

QPushButton* Botao(QWidget* pai, const char* nome, const QString& legenda) {
    auto* botao = Cria<QPushButton>(pai, nome);
    botao->setText(legenda);
    botao->setAutoDefault(false);
    // A click moves the focus to the button, so a box being left is
    // rewritten before the button acts.
    botao->setFocusPolicy(Qt::StrongFocus);
    return botao;
}

QLabel* Rotulo(QWidget* pai, const char* nome, const QString& legenda) {
    auto* rotulo = Cria<QLabel>(pai, nome);
    rotulo->setText(legenda);
    rotulo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return rotulo;
}

QGroupBox* Moldura(QWidget* pai, const char* nome, const QString& legenda = {}) {
    auto* moldura = Cria<QGroupBox>(pai, nome);
    moldura->setTitle(legenda);
    moldura->setFlat(false);
    return moldura;
}

QRadioButton* Opcao(QWidget* pai, const char* nome) {
    auto* opcao = Cria<QRadioButton>(pai, nome);
    opcao->setFocusPolicy(Qt::StrongFocus);
    return opcao;
}

}  // namespace

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

    Command1 = Botao(this, "Command1", QStringLiteral("Testar Impressora"));
    PoeGeometria(Command1, 120, 240, 1575, 375);
    Label1 = Rotulo(this, "Label1", QStringLiteral("Relógio da Impressora:"));
    PoeGeometria(Label1, 1800, 0, 3975, 375);
    Text2 = Cria<CaixaTexto>(this, "Text2");
    PoeGeometria(Text2, 1800, 240, 2895, 375);
    Label2 = Rotulo(this, "Label2", QStringLiteral("Porta:"));
    PoeGeometria(Label2, 4800, 0, 2055, 375);
    Text1 = Cria<CaixaTexto>(this, "Text1");
    PoeGeometria(Text1, 4800, 240, 615, 375);

    Frame4 = Moldura(this, "Frame4");
    PoeGeometria(Frame4, 0, 720, 1935, 1335);
    Label4 = Rotulo(Frame4, "Label4", QStringLiteral("COO"));
    PoeGeometria(Label4, 240, 120, 975, 255);
    Label5 = Rotulo(Frame4, "Label5", QStringLiteral("CCF"));
    PoeGeometria(Label5, 240, 720, 975, 255);
    Command5 = Botao(Frame4, "Command5", QStringLiteral("Lê"));
    PoeGeometria(Command5, 1440, 960, 375, 255);
    // The counters belong to the window but stand inside the frame's area,
    // in front of it.
    COO = Cria<CaixaTexto>(this, "COO");
    PoeGeometria(COO, 240, 1080, 975, 285);
    CCF = Cria<CaixaTexto>(this, "CCF");
    PoeGeometria(CCF, 240, 1680, 975, 285);
    COO->raise();
    CCF->raise();

    Label15 = Rotulo(this, "Label15", QStringLiteral("On Line"));
    PoeGeometria(Label15, 3240, 840, 975, 255);
    Linha = Cria<CaixaTexto>(this, "Linha");
    PoeGeometria(Linha, 3240, 1080, 975, 285);
    Label6 = Rotulo(this, "Label6", QStringLiteral("Papel"));
    PoeGeometria(Label6, 4320, 840, 975, 255);
    PAPEL = Cria<CaixaTexto>(this, "PAPEL");
    PoeGeometria(PAPEL, 4320, 1080, 975, 285);
    Label7 = Rotulo(this, "Label7", QStringLiteral("Redução"));
    PoeGeometria(Label7, 3240, 1440, 975, 255);
    Reducao = Cria<CaixaTexto>(this, "Reducao");
    PoeGeometria(Reducao, 3240, 1680, 975, 285);
    Label8 = Rotulo(this, "Label8", QStringLiteral("Primeira LX"));
    PoeGeometria(Label8, 4320, 1440, 975, 255);
    LEITX = Cria<CaixaTexto>(this, "LEITX");
    PoeGeometria(LEITX, 4320, 1680, 975, 285);

    Frame1 = Moldura(this, "Frame1", QStringLiteral("Leitura da Memória Fiscal"));
    PoeGeometria(Frame1, 120, 2160, 5295, 1935);
    Frame2 = Moldura(Frame1, "Frame2");
    PoeGeometria(Frame2, 120, 360, 2295, 855);
    Porredu = Opcao(Frame2, "Porredu");
    PoeGeometria(Porredu, 120, 240, 255, 255);
    Label9 = Rotulo(Frame2, "Label9", QStringLiteral("Redução"));
    PoeGeometria(Label9, 480, 240, 975, 255);
    Pordata = Opcao(Frame2, "Pordata");
    PoeGeometria(Pordata, 120, 480, 255, 255);
    Label10 = Rotulo(Frame2, "Label10", QStringLiteral("Data"));
    PoeGeometria(Label10, 480, 480, 855, 255);
    Frame3 = Moldura(Frame1, "Frame3");
    PoeGeometria(Frame3, 2880, 360, 2295, 855);
    NaImp = Opcao(Frame3, "NaImp");
    PoeGeometria(NaImp, 120, 240, 255, 255);
    Label11 = Rotulo(Frame3, "Label11", QStringLiteral("Impressora"));
    PoeGeometria(Label11, 480, 240, 1335, 255);
    NoArq = Opcao(Frame3, "NoArq");
    PoeGeometria(NoArq, 120, 480, 255, 255);
    Label12 = Rotulo(Frame3, "Label12", QStringLiteral("Arquivo"));
    PoeGeometria(Label12, 480, 480, 975, 255);
    Porredu->setChecked(true);
    NaImp->setChecked(true);
    Label13 = Rotulo(Frame1, "Label13", QStringLiteral("Início:"));
    PoeGeometria(Label13, 120, 1320, 855, 255);
    Ini = Cria<CaixaTexto>(Frame1, "Ini");
    PoeGeometria(Ini, 720, 1320, 1215, 375);
    Ini->setText(QStringLiteral("0001"));
    Label14 = Rotulo(Frame1, "Label14", QStringLiteral("Fim:"));
    PoeGeometria(Label14, 2160, 1320, 615, 255);
    Fim = Cria<CaixaTexto>(Frame1, "Fim");
    PoeGeometria(Fim, 2520, 1320, 1215, 375);
    Fim->setText(QStringLiteral("1000"));
    LMF = Botao(Frame1, "LMF", QStringLiteral("Executa"));
    PoeGeometria(LMF, 3960, 1320, 1215, 375);

    Command4 = Botao(this, "Command4", QStringLiteral("Leitura X"));
    PoeGeometria(Command4, 360, 4320, 1215, 375);
    Command7 = Botao(this, "Command7", QStringLiteral("Relógio e H.Verão"));
    PoeGeometria(Command7, 1800, 4320, 1455, 375);
    Command6 = Botao(this, "Command6", QStringLiteral("Cupom Fiscal"));
    PoeGeometria(Command6, 3480, 4320, 1935, 375);
    RedZ = Botao(this, "RedZ", QStringLiteral("Redução Z"));
    PoeGeometria(RedZ, 360, 4800, 1215, 375);
    Command2 = Botao(this, "Command2", QStringLiteral("Abre Gaveta"));
    PoeGeometria(Command2, 1800, 4800, 1455, 375);
    Label3 = Rotulo(this, "Label3", QStringLiteral("Resposta:"));
    PoeGeometria(Label3, 360, 5520, 2055, 375);
    Text3 = Cria<CaixaTexto>(this, "Text3");
    PoeGeometria(Text3, 360, 5760, 3975, 375);

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
    PoeTextoMaisLongo(PAPEL, QStringLiteral("Sem Papel"));
    PoeTextoMaisLongo(Reducao, QStringLiteral("Não Efetuada"));
    PoeTextoMaisLongo(LEITX, QStringLiteral("Não Efetuada"));
    PoeTextoMaisLongo(Text1, QStringLiteral("com 2"));
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
}

void Form1::Form_Load() { Command1_Click(); }

void Form1::Command1_Click() {
    if (AbreImpressora(1) >= 0) {
        Porta = 1;
    } else if (AbreImpressora(2) >= 0) {
        Porta = 2;
    } else {
        Text2->setText(QStringLiteral("Impressora não Conectada"));
        Status = "-";
    }
    if (Status != "+") {
        MostraFalhaDoDriver();
        return;
    }

    Text2->setText(DoDriver(TextoRelogio()));
    Text1->setText(QStringLiteral("com") + (Porta >= 0 ? QStringLiteral(" ") : QString()) + QString::number(Porta));
    EnviaComando(Porta, 10, ".28");

    const std::string reducao = Mid(Resposta, 18, 1);
    if (reducao == "S")
        Reducao->setText(QStringLiteral("Efetuada"));
    else if (reducao == "N")
        Reducao->setText(QStringLiteral("Não Efetuada"));
    else if (reducao == "F")
        Reducao->setText(QStringLiteral("Obrigatória"));

    const std::string leituraX = Mid(Resposta, 124, 1);
    if (leituraX == "S")
        LEITX->setText(QStringLiteral("Efetuada"));
    else if (leituraX == "N")
        LEITX->setText(QStringLiteral("Não Efetuada"));

    PaperEnd();
    Fecha(Porta);
}

void Form1::MostraFalhaDoDriver() {
    const FalhaDriver falha = FalhaDoDriver();
    if (!falha.Houve()) return;
    const QString arquivo = QString::fromStdString(falha.arquivo);
    if (falha.funcao.empty())
        Text3->setText(QStringLiteral("Biblioteca do driver não encontrada: ") + arquivo);
    else
        Text3->setText(QStringLiteral("Biblioteca do driver sem a função %1: %2")
                           .arg(QString::fromStdString(falha.funcao), arquivo));
}

bool Form1::PaperEnd() {
    TXRX(Porta, 10, ".23");
    Resposta = LeResposta();
    Text3->setText(DoDriver(Resposta));

    const std::string estado = Mid(Resposta, 6, 1);
    bool semPapel;
    if (estado == "5") {
        PAPEL->PoeCor(kVermelho);
        PAPEL->setText(QStringLiteral("Sem Papel"));
        semPapel = true;
    } else {
        PAPEL->PoeCor(kPreto);
        PAPEL->setText(QStringLiteral("Com Papel"));
        semPapel = false;
    }
    if (estado == "1") {
        Linha->PoeCor(kVermelho);
        Linha->setText(QStringLiteral("Fora de Linha"));
    } else {
        Linha->PoeCor(kPreto);
        Linha->setText(QStringLiteral("Conectada"));
    }
    return semPapel;
}

void Form1::Resultado() {
    if (Status == "+")
        Text3->setText(DoDriver(Resposta));
    else
        Text3->setText(QStringLiteral("ERRO ") + DoDriver(Mid(Resposta, 21, 2)));
    Text3->Repinta();
}

void Form1::closeEvent(QCloseEvent* evento) {
    // The main window ends the program, whatever other window is open or
    // hidden; a port that a window left open is closed on the way out.
    evento->accept();
    if (cupom_) cupom_->hide();
    if (relogio_) relogio_->hide();
    FechaPortaAberta();
    QApplication::quit();
}

}  // namespace tavorin
