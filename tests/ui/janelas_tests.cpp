// The three windows against the fake driver, driven as an operator does:
// what each click sends to the driver, in order, and what the boxes show.
#include "janela.h"
#include "operador.h"
#include "texto8.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QPointer>

using namespace tavorin;
using namespace tavorin::teste;

namespace {

struct Caso {
    const char* janela;  // the main window's button that shows it; "" for the main window
    QString antes;       // steps, as Passos reads them
    std::vector<std::pair<std::string, Atendimento>> respostas;  // queued in turn per command
    const char* botao;   // clicked; "Timer1": the clock's tick
    Chamadas chamadas;
    QString mostra;      // "Name=text", "|" between; "*" first: the text is red, otherwise black
    QString observa = {};  // at each TXRX: the text last painted in the first box, the others' texts
    QStringList vistos = {};
};

struct Leitura {
    // 'R' by reduction, 'D' by date, 'P' by reduction with a folder named
    // LeitM.txt, 'L' by date with LeitM.txt a link to the driver's answer file
    char modo;
    std::vector<Atendimento> respostas;  // to the reading command, then to each ".++"
    QByteArray arquivo;                  // LeitM.txt afterwards
    QString texto3;
};

// One block of a reading to the file: its data from the 7th character to "}".
std::string Bloco(const std::string& dados, char status = '+') {
    return std::string("{") + status + "0001" + dados + '}';
}

// The texts a box showed each time it was painted: what the operator sees
// while the printer works.
struct Pinturas : QObject {
    QStringList textos;
    bool eventFilter(QObject* caixa, QEvent* evento) override {
        if (evento->type() == QEvent::Paint) textos << static_cast<QLineEdit*>(caixa)->text();
        return false;
    }
};

}  // namespace

Q_DECLARE_METATYPE(Caso)
Q_DECLARE_METATYPE(Leitura)

class JanelasTest : public QObject {
    Q_OBJECT

    std::unique_ptr<Bancada> bancada;
    FakeDriver* driver = nullptr;
    Form1* principal = nullptr;
    Pinturas pinturas;
    QStringList vistos;

    void Confere(const Chamadas& feitas) { QVERIFY2(driver->chamadas == feitas, Descreve(driver->chamadas).c_str()); }
    // The printer answers with its defaults meanwhile.
    QWidget* Mostra(const QString& botao) { return bancada->Mostra(botao); }
    // Steps, "|" between: "Name" clicks a control, "Name<text" types over a
    // box, "Name=text" is the program writing it ("*" first: in red).
    void Passos(QWidget* janela, const QString& passos) {
        static const QRegularExpression passo(QStringLiteral("^(\\w+)([<=]?)(\\*?)(.*)$"));
        for (const QString& p : passos.split('|', Qt::SkipEmptyParts)) {
            const QRegularExpressionMatch m = passo.match(p);
            QWidget* controle = Controle<QWidget>(janela, m.captured(1));
            if (m.captured(2).isEmpty()) Clica(controle);
            if (m.captured(2) == "<") Digita(static_cast<QLineEdit*>(controle), m.captured(4));
            if (m.captured(2) == "=") static_cast<CaixaTexto*>(controle)->setText(m.captured(4));
            if (!m.captured(3).isEmpty()) static_cast<CaixaTexto*>(controle)->PoeCor(kVermelho);
        }
    }
    void ConfereCaixas(QWidget* janela, const QString& mostra) {
        for (const QString& item : mostra.split('|', Qt::SkipEmptyParts)) {
            CaixaTexto* caixa = Controle(janela, item.section('=', 0, 0));
            const QColor cor = caixa->palette().color(QPalette::Active, QPalette::Text);
            const QString marca = cor == kVermelho ? "*" : cor == kPreto ? "" : "?";
            QCOMPARE(caixa->objectName() + '=' + marca + caixa->text(), item);
            // What the program writes shows from its start.
            QVERIFY2(caixa->cursorPosition() == 0, qPrintable(item));
        }
    }
    // From now on each TXRX adds to `vistos` the text last painted in the
    // first box named ("?" if none was) and the texts of the others.
    void Observa(QWidget* janela, const QString& nomes) {
        const QString primeira = nomes.section(' ', 0, 0), outras = nomes.section(' ', 1);
        pinturas.textos.clear();
        Controle(janela, primeira)->installEventFilter(&pinturas);
        // The driver is called on the link thread: the window is looked at on
        // its own thread, once what it had to paint is painted.
        driver->durante = [=](const Chamada&) {
            QMetaObject::invokeMethod(janela, [=] {
                QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
                vistos << pinturas.textos.value(pinturas.textos.size() - 1, "?") +
                              (outras.isEmpty() ? QString() : '|' + Textos(janela, outras));
            }, Qt::BlockingQueuedConnection);
        };
    }

private slots:
    // The printer is on port 2 unless a test finds it elsewhere; it answers
    // ".23" ready, ".28" with its clock, and an empty line to the rest.
    void init() {
        // A row whose init failed was not cleaned up: start from nothing,
        // so its windows and driver never reach this row.
        cleanup();
        bancada = std::make_unique<Bancada>(2);
        driver = bancada->driver.get();
        principal = bancada->principal.get();
        ProntaComRelogio(*driver);
        QVERIFY(MostraEAtiva(principal));
    }
    void cleanup() {
        bancada.reset();
        vistos.clear();
    }

    void clicks_data() {
        QTest::addColumn<Caso>("caso");
        const Chamada a1 = ChAbre(1), a2 = ChAbre(2), f1 = ChFecha(1), f2 = ChFecha(2), c23 = ChTXRX(2, 3, ".23");
        // The port opened and closed around one command; the coupon's
        // commands after its check, the port left open.
        const auto um = [&](int16_t espera, std::string cmd) { return Chamadas{a2, ChTXRX(2, espera, cmd), f2}; };
        const auto cupom = [&](int16_t espera, std::string cmd) { return Chamadas{c23, ChTXRX(2, espera, cmd)}; };
        const Chamadas teste1 = {a1, ChTXRX(1, 3, ".28"), ChTXRX(1, 10, ".28"), ChTXRX(1, 10, ".23"), f1};
        const Atendimento mudo = {std::nullopt, -2}, verao = {Status28("0512031430", 'S', 'S', 'N')},
                          f = {Status28("0512031430", 'N', 'F', 'F')},
                          minusculas = {Status28("0512031430", 'N', 's', 'n')};
        // The printer test: port 1, then port 2; a failed test leaves what
        // the last good one showed.
        QTest::newRow("printer only on port 2") << Caso{"", "PAPEL=*antes|Linha=*antes", {{".28", mudo}, {".28", verao},
            {".28", verao}}, "Command1", {a1, ChTXRX(1, 3, ".28"), f1, a2, ChTXRX(2, 3, ".28"), ChTXRX(2, 10, ".28"),
            ChTXRX(2, 10, ".23"), f2}, "Text1=com 2|Text2=Horario de Verao 05/12/03 14:30|Reducao=Efetuada|"
            "LEITX=Não Efetuada|PAPEL=Com Papel|Linha=Conectada|Text3=" + QString::fromStdString(Status23('0'))};
        QTest::newRow("no printer") << Caso{"", "Text1=antes|Text3=antes|PAPEL=*antes", {{".28", mudo}, {".28", mudo}},
            "Command1", {a1, ChTXRX(1, 3, ".28"), f1, a2, ChTXRX(2, 3, ".28"), f2},
            "Text1=antes|Text2=Impressora não Conectada|Text3=antes|PAPEL=*antes"};
        QTest::newRow("F at 18 and 124: the X keeps its text; no paper") << Caso{"", "LEITX=antes", {{".28", f},
            {".28", f}, {".23", {Status23('5')}}}, "Command1", teste1,
            "Reducao=Obrigatória|LEITX=antes|PAPEL=*Sem Papel|Linha=Conectada"};
        QTest::newRow("lower case is no state; off line") << Caso{"", "Reducao=antes|LEITX=antes", {{".28", minusculas},
            {".28", minusculas}, {".23", {Status23('1')}}}, "Command1", teste1,
            "Reducao=antes|LEITX=antes|PAPEL=Com Papel|Linha=*Fora de Linha"};
        QTest::newRow("paper check without answer") << Caso{"", "", {{".23", mudo}}, "Command1", teste1,
            "PAPEL=*Sem Resposta|Linha=*Sem Resposta|Text3="};

        // One command each: the progress text painted while it blocks, then
        // the whole answer, or "ERRO " and the code at 21-22.
        QTest::newRow("Abre Gaveta, 8-bit answer") << Caso{"", "", {{".21", {"{+21 GAVETA \xC9 \x80"}}}, "Command2",
            um(180, ".21"), "Text3={+21 GAVETA É €", "Text3", {"Abre gaveta"}};
        QTest::newRow("Leitura X, no answer") << Caso{"", "", {}, "Command4", um(180, ".13"), "Text3=ERRO ", "Text3",
            {"Leitura X"}};
        QTest::newRow("Redução Z refused, short error line") << Caso{"", "", {{".14", {"{-14 0000000000000009"}}},
            "RedZ", um(180, ".14"), "Text3=ERRO 9", "Text3", {"Redução Z"}};
        // "Lê": the counters from their positions whatever the status;
        // Text3 left alone.
        const Chamadas le = {a2, ChTXRX(2, 10, ".5609"), ChTXRX(2, 10, ".271"), f2};
        QTest::newRow("Lê") << Caso{"", "Text3=antes", {{".5609", {Linha('+', {{5, "0123"}}, 30)}},
            {".271", {Linha('+', {{115, "0456"}})}}}, "Command5", le, "COO=0123|CCF=0456|Text3=antes"};
        QTest::newRow("Lê, refused answers cut short") << Caso{"", "", {{".5609", {"{-5601"}},
            {".271", {Linha('-', {}, 114)}}}, "Command5", le, "COO=01|CCF="};

        // A reading printed by the printer, from the boxes as rewritten when
        // "Executa" took the focus; by date they hold six digits while it
        // blocks.
        QTest::newRow("reading, default range again") << Caso{"", "Pordata|Porredu", {{".1500011000", {"{+15"}}},
            "LMF", um(1000, ".1500011000"), "Ini=0001|Fim=1000|Text3={+15", "Text3", {"Leitura por Redução..."}};
        QTest::newRow("reading by date") << Caso{"", "Pordata|Fim<5/3/9", {{".16010100050309", {"{+16"}}}, "LMF",
            um(1000, ".16010100050309"), "Ini=01/01/00|Fim=05/03/09|Text3={+16", "Text3 Ini Fim",
            {"Leitura por Data...|010100|050309"}};

        // The coupon: ".23" first, the emptied Text1 painted before it
        // is sent, the state word while the command is; the command only
        // with paper and on line, and after a check too short to hold the
        // state.
        QTest::newRow("Abrir after a red check") << Caso{"Command6", "Text1=*Sem Papel", {{".17", {"{+17"}}}, "Abrir",
            cupom(3, ".17"), "Text1={+17", "Text1", {"", "Com Papel"}};
        QTest::newRow("Item") << Caso{"Command6", "", {{kItem, {"{+01"}}}, "Item", cupom(10, kItem), "Text1={+01"};
        QTest::newRow("Pagar after a one-character check") << Caso{"Command6", "", {{".23", {"x"}},
            {kPaga100, {"{+10"}}}, "Pagar", cupom(3, kPaga100), "Text1={+10"};
        QTest::newRow("Fechar Cupom refused") << Caso{"Command6", "", {{".12", {Erro("09")}}}, "Fechar",
            cupom(10, ".12"), "Text1=" + QString::fromStdString(Erro("09"))};
        QTest::newRow("Comando empty") << Caso{"Command6", "Text2<", {}, "Comando", cupom(10, ""), "Text1="};
        QTest::newRow("Comando as typed, 8-bit") << Caso{"Command6", "Text2< .99ção€ ", {{" .99\xE7\xE3o\x80 ",
            {"{+ \xE7\x80"}}}, "Comando", cupom(10, " .99\xE7\xE3o\x80 "), "Text1={+ ç€"};
        QTest::newRow("Comando longer than the driver takes") << Caso{"Command6", "Text2=" + QString(256, '9'), {},
            "Comando", {}, "Text1=*Comando com 256 caracteres; o driver aceita até 255"};
        QTest::newRow("out of paper") << Caso{"Command6", "", {{".23", {Status23('5')}}}, "Abrir", {c23},
            "Text1=*Sem Papel"};
        QTest::newRow("off line") << Caso{"Command6", "", {{".23", {Status23('1')}}}, "Item", {c23},
            "Text1=*Fora de Linha"};
        QTest::newRow("check without answer, port closed") << Caso{"Command6", "", {{".23", {std::nullopt, -1}}},
            "Abrir", {c23}, "Text1=*Sem Resposta"};

        // The clock: a good probe shows the clock and leaves the port open.
        // Each button paints its title while its command blocks; "Alterar"
        // cuts its fields by position from the boxes as rewritten.
        QTest::newRow("tick") << Caso{"Command7", "", {}, "Timer1", {a2, ChTXRX(2, 3, ".28")},
            "Text1=Horario Normal 05/12/03 14:30"};
        QTest::newRow("tick, refused probe") << Caso{"Command7", "Text1=antes", {{".28", {Erro("06")}}}, "Timer1",
            um(3, ".28"), "Text1=antes"};
        QTest::newRow("Alterar, 14:30:00 and 25/12/03") << Caso{"Command7", "NData<25/12/2003|NHora<14:30",
            {{".35143000251203", {"{+35"}}}, "SetClock", um(3, ".35143000251203"),
            "NData=25/12/03|NHora=14:30:00|RespClock={+35", "RespClock", {"Ajuste de Data e Hora"}};
        QTest::newRow("Alterar, abc") << Caso{"Command7", "NData<abc|NHora<14:30:00", {{".35143000ab",
            {"{-35 0000000000000001"}}}, "SetClock", um(3, ".35143000ab"), "RespClock=ERRO 1"};
        QTest::newRow("Entrar no H.Verão") << Caso{"Command7", "", {{".36S", {"{+36"}}}, "EHV", um(3, ".36S"),
            "RespClock={+36", "RespClock", {"Entrar em Horário de Verão"}};
        QTest::newRow("Sair do H.Verão") << Caso{"Command7", "", {{".36N", {Erro("05")}}}, "SHV", um(3, ".36N"),
            "RespClock=ERRO 05", "RespClock", {"Sair do Horário de Verão"}};
    }
    void clicks() {
        QFETCH(Caso, caso);
        QWidget* janela = Mostra(caso.janela);
        QVERIFY(janela);
        Passos(janela, caso.antes);
        driver->Limpa();
        for (const auto& [comando, atendimento] : caso.respostas) driver->Enfileira(comando, atendimento);
        if (!caso.observa.isEmpty()) Observa(janela, caso.observa);
        if (caso.botao == std::string("RedZ")) Responde("Sim");
        if (caso.botao == std::string("Timer1"))
            static_cast<Clock*>(janela)->Timer1_Timer();
        else
            Clica(janela, caso.botao);
        Confere(caso.chamadas);
        QCOMPARE(vistos, caso.vistos);
        ConfereCaixas(janela, caso.mostra);
    }

    // A reading to the file: the reading command, then ".++" until the
    // printer answers "]"; one line of LeitM.txt per block, byte for byte,
    // in place of the previous file. Text3 shows the progress text while
    // the reading command blocks, then each block's answer while the next
    // one is fetched. A reading that does not end with "]" leaves the
    // previous file as it was and the answer that ended it in Text3.
    void readingToFile_data() {
        QTest::addColumn<Leitura>("caso");
        std::string baixos, altos;
        for (int c = 0; c < 128; ++c)
            if (c != '\r' && c != '\n' && c != '}') baixos.push_back(static_cast<char>(c));
        for (int c = 128; c < 256; ++c) altos.push_back(static_cast<char>(c));
        const std::string fim = Linha(']', {{3, "++"}});
        const QString gravado = QStringLiteral("Arquivo LeitM.txt gravado");
        const QByteArray anterior = "anterior\r\n";
        // Every byte that can stand in a block; data from the 7th character
        // to the first "}" from there on, or to the end; none from an empty
        // block or a line shorter than 7.
        QTest::newRow("blocks by date") << Leitura{'D', {{Bloco(baixos)}, {"{+0002}"}, {"{+}001abc}def}"},
            {"{+0001sem fim "}, {"{+"}, {Bloco(altos)}, {fim}},
            QByteArray::fromStdString(baixos + "\r\n\r\nabc\r\nsem fim \r\n\r\n" + altos + "\r\n"), gravado};
        QTest::newRow("driver fails on the reading command") << Leitura{'R', {{Bloco("A"), -2}}, anterior,
                                                                          QString::fromStdString(Bloco("A"))};
        const QString interrompida = QStringLiteral("Leitura interrompida, LeitM.txt não foi substituído: ");
        QTest::newRow("error answer in the middle") << Leitura{'R', {{Bloco("A")}, {Bloco("B")}, {Erro("07")}},
                                                               anterior, interrompida + "ERRO 07"};
        QTest::newRow("driver fails in the middle, a block left") << Leitura{'R', {{Bloco("A")}, {Bloco("B"), -2}},
                                                                             anterior, interrompida + "sem resposta da impressora"};
        QTest::newRow("LeitM.txt cannot be created") << Leitura{'P', {{Bloco("A")}, {fim}}, "(folder)",
                                                                "Não foi possível gravar o arquivo LeitM.txt"};
#if !defined(_WIN32)
        QTest::newRow("LeitM.txt leads to the answer file: nothing sent") << Leitura{'L', {}, anterior,
            QStringLiteral("Não foi possível gravar o arquivo LeitM.txt: leva a um arquivo do driver ou da impressora "
                           "simulada (RespZub.txt)")};
#endif
    }
    void readingToFile() {
        QFETCH(Leitura, caso);
        const bool data = caso.modo == 'D' || caso.modo == 'L';
        if (caso.modo == 'P') QDir().mkdir(QStringLiteral("LeitM.txt"));
        else GravaArquivo(caso.modo == 'L' ? kArquivoResposta : "LeitM.txt", "anterior\r\n");
        if (caso.modo == 'L') QFile::link(QStringLiteral("RespZub.txt"), QStringLiteral("LeitM.txt"));
        if (data) Clica(principal, "Pordata");
        Clica(principal, "NoArq");
        const std::string comando = data ? ".16010100301210#" : ".1500011000#";
        const std::size_t blocos = caso.modo == 'P' || caso.respostas.empty() ? 1 : caso.respostas.size();
        for (std::size_t i = 0; i < caso.respostas.size(); ++i)
            driver->Enfileira(i ? ".++" : comando, caso.respostas[i]);
        Observa(principal, "Text3 Ini Fim");
        Clica(principal, "LMF");
        Chamadas chamadas = {ChAbre(2), ChTXRX(2, 100, comando)};
        chamadas.insert(chamadas.end(), blocos - 1, ChTXRX(2, 100, ".++"));
        chamadas.push_back(ChFecha(2));
        Confere(caso.modo == 'L' ? Chamadas{} : chamadas);
        QCOMPARE(Textos(principal, "Text3"), caso.texto3);
        const bool pasta = QFileInfo(QStringLiteral("LeitM.txt")).isDir();
        QCOMPARE(pasta ? "(folder)" : QByteArray::fromStdString(LeArquivo("LeitM.txt")), caso.arquivo);
        // By date the boxes hold six digits while the reading command
        // blocks, and read as dates again from then on.
        const QString caixas = data ? "|01/01/00|30/12/10" : "|0001|1000";
        QStringList esperado = {data ? "Leitura por Data em Arquivo ...|010100|301210"
                                     : "Leitura por Redução em Arquivo ...|0001|1000"};
        for (std::size_t i = 0; i + 1 < blocos; ++i) esperado << DoDriver(*caso.respostas[i].linha) + caixas;
        QCOMPARE(vistos, caso.modo == 'L' ? QStringList{} : esperado);
        QCOMPARE('|' + Textos(principal, "Ini Fim"), caixas);
    }

    // The typing limit: 4 in a box entered while "Redução" is chosen, 10
    // for both from the moment "Data" is chosen. It limits what the
    // operator types or pastes, never what the program writes.
    void typingLimit() {
        CaixaTexto* ini = Controle(principal, "Ini");
        Digita(ini, "123456");
        QCOMPARE(ini->text(), QStringLiteral("1234"));
        Digita(ini, "12");
        QApplication::clipboard()->setText(QStringLiteral("98765"));
        QTest::keyClick(ini, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(ini->text(), QStringLiteral("1298"));
        Digita(ini, "-123");
        Tab();
        Digita(ini, "4", false);
        QCOMPARE(ini->text(), QStringLiteral("-0123"));
        Clica(principal, "Pordata");
        Digita(Controle(principal, "Fim"), "xyzw", false);
        QCOMPARE(Textos(principal, "Ini Fim"), QStringLiteral("01/01/00|30/12/10xy"));
    }

    // An answer file that cannot be removed (here a folder in its place)
    // is named at start-up, where it ends the search, and after any
    // command whose answer it kept from being read; the commands still
    // reach the driver.
    void startUpSaysWhyNothingAnswers() {
        QDir().mkpath(QStringLiteral("RespZub.txt/x"));
        const QString texto = QStringLiteral("O arquivo de resposta ") +
                              QDir::toNativeSeparators(QDir::current().absoluteFilePath("RespZub.txt")) +
                              QStringLiteral(" não pôde ser removido (");
        QWidget* relogio = Mostra("Command7");
        driver->Limpa();
        principal->Form_Load();
        QCOMPARE(Textos(principal, "Text2"), QStringLiteral("Impressora não Conectada"));
        QCOMPARE(Textos(principal, "Text3").left(texto.size()), texto);
        Clica(principal, "Command4");
        QCOMPARE(Textos(principal, "Text3").left(texto.size()), texto);
        Clica(relogio, "EHV");
        QCOMPARE(Textos(relogio, "RespClock").left(texto.size()), texto);
        Confere({ChAbre(1), ChTXRX(1, 3, ".28"), ChFecha(1), ChAbre(2), ChTXRX(2, 180, ".13"), ChFecha(2), ChAbre(2),
                 ChTXRX(2, 3, ".36S"), ChFecha(2)});
        QDir(QStringLiteral("RespZub.txt")).removeRecursively();
    }

    // The Tab key walks the main window in its order, labels and frames
    // skipped, an option group one stop.
    void design() {
        QStringList ordem;
        for (int i = 0; i < 22; ++i, Tab()) ordem << QApplication::focusWidget()->objectName();
        QCOMPARE(ordem.join(' '), QStringLiteral("Command1 Text1 Text2 Text3 Command4 COO CCF PAPEL Reducao LEITX "
                                                 "Porredu NaImp Ini Fim LMF Command6 Linha Command5 Command7 RedZ "
                                                 "Command2 Command1"));
    }

    // Each window exists once. "Fechar" closes the port and hides the
    // coupon; "Cupom Fiscal" opens the port and shows it as it was, also
    // while it is shown. Closed from its title bar a window runs nothing
    // and comes back from its design before Qt has deleted it; the clock's
    // launcher writes its presets over what was typed.
    void windowsShownAgain() {
        QWidget* cupom = Mostra("Command6");
        driver->Enfileira(".17", "{+17");
        Digita(Controle(cupom, "Text2"), ".28");
        Clica(cupom, "Abrir");
        QCOMPARE(Mostra("Command6"), cupom);
        Clica(cupom, "Command1");
        QVERIFY(!cupom->isVisible());
        ApagaJanelasFechadas();
        QCOMPARE(Mostra("Command6"), cupom);
        QCOMPARE(Textos(cupom, "Text1 Text2"), QStringLiteral("{+17|.28"));
        cupom->close();
        QCOMPARE(Textos(Mostra("Command6"), "Text1 Text2"), QStringLiteral("|"));
        Confere({ChAbre(2), ChTXRX(2, 3, ".23"), ChTXRX(2, 3, ".17"), ChAbre(2), ChFecha(2), ChAbre(2), ChAbre(2)});
        QCOMPARE(PortaAberta(), 2);

        Digita(Controle(Mostra("Command7"), "NData"), "25/12/03");
        QCOMPARE(Textos(Mostra("Command7"), "NData NHora"), QStringLiteral("01/01/01|00:00:00"));
    }

    // "Redução Z" asks before anything is sent; "Não" is the default and
    // Esc answers it; the buttons answer Alt+S and Alt+N. ("Sim" clicked:
    // the Redução Z row of clicks.)
    void reductionAsksFirst_data() {
        QTest::addColumn<int>("tecla");
        QTest::addColumn<int>("modificadores");
        QTest::newRow("Esc") << int(Qt::Key_Escape) << 0;
        QTest::newRow("Enter: the default") << int(Qt::Key_Return) << 0;
        // Under wine a key sent with Alt to the offscreen question is not
        // taken as the button's access key; Windows itself does.
#if !defined(Q_OS_WIN)
        QTest::newRow("Alt+N") << int(Qt::Key_N) << int(Qt::AltModifier);
        QTest::newRow("Alt+S") << int(Qt::Key_S) << int(Qt::AltModifier);
#endif
    }
    void reductionAsksFirst() {
        QFETCH(int, tecla);
        QFETCH(int, modificadores);
        const bool envia = tecla == Qt::Key_S;
        Controle(principal, "Text3")->setText("antes");
        QStringList teclas;
        Responde([&](QWidget* pergunta) {
            for (const char* botao : {"Sim", "Nao"})
                teclas << pergunta->findChild<QPushButton*>(botao)->shortcut().toString(QKeySequence::PortableText);
            // An access key (Alt+N) reaches only the active window; the main
            // window's activation by the click may come after the question
            // shows.
            if (modificadores) {
                pergunta->activateWindow();
                QTRY_VERIFY(pergunta->isActiveWindow());
            }
            QTest::keyClick(pergunta, Qt::Key(tecla), Qt::KeyboardModifiers(modificadores));
        });
        Clica(principal, "RedZ");
        QCOMPARE(teclas, (QStringList{"Alt+S", "Alt+N"}));
        Confere(envia ? Chamadas{ChAbre(2), ChTXRX(2, 180, ".14"), ChFecha(2)} : Chamadas{});
        QCOMPARE(Textos(principal, "Text3"), envia ? "ERRO " : "antes");
    }

    // A clock window closed during its own tick waits for it; shown again
    // before the tick ends, it stays. The main window closed meanwhile
    // closes as well, and the program with it.
    void closedDuringATick_data() {
        QTest::addColumn<bool>("fechaPrincipal");
        QTest::newRow("clock shown again") << false;
        QTest::newRow("main window closed too") << true;
    }
    void closedDuringATick() {
        QFETCH(bool, fechaPrincipal);
        QPointer<Clock> relogio = static_cast<Clock*>(Mostra("Command7"));
        driver->durante = [this, relogio, fechaPrincipal](const Chamada&) {
            QMetaObject::invokeMethod(principal, [this, relogio, fechaPrincipal] {
                relogio->close();
                fechaPrincipal ? static_cast<void>(principal->close()) : Clica(principal, "Command7");
            }, Qt::BlockingQueuedConnection);
        };
        if (fechaPrincipal) {
            QCOMPARE(RodaAteFechar(principal, [relogio] { relogio->Timer1_Timer(); }, 30000), 0);
            QVERIFY(!principal->isVisible());
        } else {
            relogio->Timer1_Timer();
            QCoreApplication::processEvents();
            ApagaJanelasFechadas();
            QVERIFY(relogio && relogio->isVisible());
            QCOMPARE(relogio->windowTitle(), QStringLiteral("Relógio e Horário de Verão"));
        }
        driver->durante = nullptr;
    }

    // Closing the main window ends the program whatever the other windows
    // are doing, closes a port they left open, once, and takes them with
    // it: nothing reaches the driver afterwards.
    void closingTheMainWindow_data() {
        QTest::addColumn<bool>("fechar");  // the coupon's "Fechar" clicked first
        QTest::addColumn<Chamadas>("chamadas");
        QTest::newRow("coupon and clock shown, port left open") << false << Chamadas{ChFecha(2)};
        QTest::newRow("coupon hidden by Fechar, clock shown") << true << Chamadas{};
    }
    void closingTheMainWindow() {
        QFETCH(bool, fechar);
        QFETCH(Chamadas, chamadas);
        QPointer<QWidget> cupom = Mostra("Command6");
        QPointer<QWidget> relogio = Mostra("Command7");
        if (fechar) Clica(cupom, "Command1");
        driver->Limpa();
        QCOMPARE(RodaAteFechar(principal, [this] { principal->close(); }), 0);
        Confere(chamadas);
        for (QWidget* janela : QApplication::topLevelWidgets())
            QVERIFY2(!janela->isVisible(), qPrintable(janela->objectName()));
        // Gone, with the clock's timer: nothing can reach the driver afterwards.
        bancada->principal.reset();
        QVERIFY(!cupom && !relogio);
    }
};

QTEST_MAIN(JanelasTest)
#include "janelas_tests.moc"
