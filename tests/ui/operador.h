// Driving the windows as an operator does (clicks, typing, the Tab key),
// reading what they show, and the ground every window test stands on.
#pragma once

#include "ambiente_teste.h"
#include "caixa_texto.h"
#include "clock.h"
#include "cupom.h"
#include "driver.h"
#include "fake_driver.h"
#include "form1.h"
#include "link.h"
#include "respostas.h"

#include <QApplication>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>
#include <thread>
#include <utility>

namespace tavorin::teste {

using Chamadas = std::vector<Chamada>;

// How long a window may take to become active. The first window a test
// program shows pays for its first paint and fonts: under wine on an
// emulated CPU that is several times the later windows' wait, and on a
// busy machine with a fresh wine prefix it has passed the 5 s Qt waits by
// default.
constexpr int kEsperaJanela = 60000;

// Whether the window is the active one, which takes the keys and its
// shortcuts; when not, its activation is asked for again: on a busy
// machine a window shown just after others were closed has been seen to
// stay inactive, its activation lost, and a question shown has taken keys
// before its activation came.
inline bool Ativa(QWidget* janela) {
    if (janela->isActiveWindow() && janela->window()->windowHandle()->isActive()) return true;
    janela->activateWindow();
    QApplication::setActiveWindow(janela->window());
    return false;
}

// Exposed as well as active: until its first expose a window paints
// nothing, not even what the program repaints at once before a command.
inline bool EsperaAtiva(QWidget* janela) {
    return QTest::qWaitForWindowExposed(janela, kEsperaJanela) &&
           QTest::qWaitFor([janela] { return Ativa(janela); }, kEsperaJanela);
}

// Shown, exposed and active, so focus changes send their events and
// repaints are painted as on a desktop.
inline bool MostraEAtiva(QWidget* janela) {
    janela->show();
    janela->activateWindow();
    QApplication::setActiveWindow(janela);
    return EsperaAtiva(janela);
}

template <typename T = CaixaTexto>
T* Controle(const QWidget* janela, const QString& nome) {
    if (T* controle = janela->findChild<T*>(nome)) return controle;
    qFatal("no control %s", qPrintable(nome));
}

// A mouse click in the middle of a control: it takes the focus first (so a
// box being left is rewritten), then acts.
inline void Clica(QWidget* controle) { QTest::mouseClick(controle, Qt::LeftButton, {}, controle->rect().center()); }
inline void Clica(const QWidget* janela, const QString& nome) { Clica(Controle<QWidget>(janela, nome)); }

// Clicks into the box, clears it (or goes to its end) and types key by key,
// each key with its character, as a keyboard layout sends accented letters.
inline void Digita(QLineEdit* caixa, const QString& texto, bool limpa = true) {
    Clica(caixa);
    caixa->end(false);
    if (limpa) caixa->clear();
    for (QChar c : texto) QTest::sendKeyEvent(QTest::Click, caixa, Qt::Key_unknown, QString(c), {});
}

inline void Tab() { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); }

// The texts of the boxes named, blank-separated, joined by "|".
inline QString Textos(const QWidget* janela, const QString& nomes) {
    QStringList textos;
    for (const QString& nome : nomes.split(QLatin1Char(' '))) textos << Controle(janela, nome)->text();
    return textos.join(QLatin1Char('|'));
}

// Answers the next question the program asks, once it is on the screen
// and active.
inline void Responde(const std::function<void(QWidget* pergunta)>& acao) {
    auto* espera = new QTimer(qApp);
    espera->setObjectName(QStringLiteral("responde"));
    QObject::connect(espera, &QTimer::timeout, [=] {
        QWidget* pergunta = QApplication::activeModalWidget();
        if (!pergunta || !pergunta->isVisible() || !Ativa(pergunta)) return;
        espera->stop();
        espera->deleteLater();
        acao(pergunta);
    });
    espera->start(10);
}
// An answer whose question never came is withdrawn at the end of its test,
// so that it never answers the next test's question.
inline void EsqueceRespostas() {
    qDeleteAll(qApp->findChildren<QObject*>(QStringLiteral("responde"), Qt::FindDirectChildrenOnly));
}
// With a click on the button named ("Sim", "Nao").
inline void Responde(const QString& botao) {
    Responde([=](QWidget* pergunta) { pergunta->findChild<QPushButton*>(botao)->click(); });
}

// Once the command that `trinco` holds (the fake driver's or the simulated
// printer's latch) has arrived, runs `acao` in whatever event loop is
// waiting for it (a window's wait for the command), then lets the command
// go, also when `acao` fails. Withdrawn like an answer when it never comes.
// A thread waits on the latch's shared part, which lives on should the
// test end the latch first; letting the command go ends that wait.
template <typename Trinco>
void AoChegar(Trinco& trinco, const std::function<void()>& acao) {
    struct Espera : QObject {
        decltype(trinco.Partilha()) trava;
        std::thread fio;
        ~Espera() override {
            if (trava) trava->Solta();
            fio.join();
        }
    };
    auto* espera = new Espera;
    espera->setParent(qApp);
    espera->setObjectName(QStringLiteral("responde"));
    espera->trava = trinco.Partilha();
    espera->fio = std::thread([espera, trava = espera->trava, acao] {
        if (!trava->EsperaChegar()) return;
        // Dropped, should the wait be withdrawn first. A failed check
        // returns from `acao`.
        QMetaObject::invokeMethod(espera, [espera, acao] {
            acao();
            // Let go now, and not again at its end: the test may hold another.
            std::exchange(espera->trava, nullptr)->Solta();
            espera->deleteLater();
        }, Qt::QueuedConnection);
    });
}

// The window's caption while it waits for the printer, once it counts the
// seconds (Sala counts from the command's start, a second at a time).
inline bool ContaSegundos(const QWidget* janela, const QString& espera) {
    const QRegularExpression titulo("^TAVORIN - " + QRegularExpression::escape(espera) + ": [1-9][0-9]* s$");
    return titulo.match(janela->windowTitle()).hasMatch();
}

// The clock's tick stopped: the test runs the ticks by hand from here on.
inline void ParaTique(QWidget* janela) {
    if (auto* tique = janela->findChild<QTimer*>(QStringLiteral("Timer1"))) tique->stop();
}

// The printer answers ".23" ready, ".28" with its clock, and an empty line
// to the rest.
inline void ProntaComRelogio(FakeDriver& driver) {
    driver.porComando = [](int16_t, const std::string& c) {
        return c == ".23"   ? std::optional(Atendimento{Status23('0')})
               : c == ".28" ? std::optional(Atendimento{Status28()}) : std::nullopt;
    };
}

// Runs `acao` inside the application's event loop, as the program does,
// until the main window ends it; the loop's exit code, 99 should it hang.
inline int RodaAteFechar(QObject* principal, const std::function<void()>& acao, int limite = 120000) {
    QTimer::singleShot(0, principal, acao);
    QTimer::singleShot(limite, principal, [] { QCoreApplication::exit(99); });
    return QApplication::exec();
}

// Lets Qt delete the windows closed from their title bars.
inline void ApagaJanelasFechadas() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

// A scratch working directory, the link's state reset, a driver and the
// main window; the printer is taken to be on `porta`. The driver is a fake
// one, or with `simulador` the simulated printer's library as the program
// loads it, with its settings cleared.
struct Bancada {
    explicit Bancada(int32_t porta, bool simulador = false) {
        if (simulador)
            AmbienteDoSimulador(pasta.Caminho());
        else
            driver = std::make_unique<FakeDriver>();
        Porta = porta;
        Resposta.clear();
        Status.clear();
        principal = std::make_unique<Form1>();
    }
    // The window the main window's button shows ("" the main window itself),
    // once it is active; nullptr when it never became active. The clock's
    // tick is stopped at once: the test runs it by hand, and a tick of its
    // own would add exchanges, or open the port again after "Fechar".
    QWidget* Mostra(const QString& botao) const {
        if (botao.isEmpty()) return principal.get();
        Clica(principal.get(), botao);
        QWidget* janela = botao == "Command6" ? static_cast<QWidget*>(principal->JanelaCupom()) : principal->JanelaRelogio();
        ParaTique(janela);
        return EsperaAtiva(janela) ? janela : nullptr;
    }
    // Its answers that never found their question withdrawn first.
    ~Bancada() {
        EsqueceRespostas();
        principal.reset();
        ApagaJanelasFechadas();
        if (!driver) FechaPortasAbertas();
    }
    DiretorioTemporario pasta;
    std::unique_ptr<FakeDriver> driver;
    std::unique_ptr<Form1> principal;
};

}  // namespace tavorin::teste

Q_DECLARE_METATYPE(tavorin::teste::Chamadas)
