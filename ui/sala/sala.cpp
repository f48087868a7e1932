#include "sala.h"

#include "driver.h"
#include "link.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <future>
#include <memory>

namespace tavorin {

namespace {

Sala* instancia = nullptr;

}  // namespace

Sala& Sala::Instancia() {
    if (!instancia) instancia = new Sala;
    return *instancia;
}

Sala::Sala() : QObject(QCoreApplication::instance()), linha_([this] { Fila(); }) {
    connect(this, &Sala::Terminou, this, &Sala::FechaAdiadas);
    // A port a window left open is closed as the program ends, however it
    // is told to end.
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, &Sala::FechaPortas);
    PoeInterrupcao([this] { return interrompe_.load(); });
}

Sala::~Sala() {
    {
        std::lock_guard<std::mutex> guarda(trava_);
        fim_ = true;
    }
    aviso_.notify_one();
    linha_.join();
    PoeInterrupcao({});
    instancia = nullptr;
}

void Sala::Fila() {
    for (;;) {
        std::function<void()> trabalho;
        {
            std::unique_lock<std::mutex> guarda(trava_);
            aviso_.wait(guarda, [this] { return fim_ || !fila_.empty(); });
            if (fila_.empty()) return;
            trabalho = std::move(fila_.front());
            fila_.pop_front();
        }
        trabalho();
    }
}

void Sala::Posta(std::function<void()> trabalho) {
    {
        std::lock_guard<std::mutex> guarda(trava_);
        fila_.push_back(std::move(trabalho));
    }
    aviso_.notify_one();
}

void Sala::ChamaNaJanela(const std::function<void()>& funcao) {
    if (QThread::currentThread() == thread())
        funcao();
    else
        QMetaObject::invokeMethod(this, [&funcao] { funcao(); }, Qt::BlockingQueuedConnection);
}

bool Sala::Roda(QWidget* janela, bool visivel, const std::function<void()>& trabalho) {
    if (visivel && Aceita() && ocupada_) {
        // Behind a clock tick: one exchange, and it never waits for the folder.
        esperando_ = true;
        QEventLoop espera;
        connect(this, &Sala::Terminou, &espera, &QEventLoop::quit);
        while (ocupada_)
            if (espera.exec() != 0 && ocupada_) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        esperando_ = false;
    }
    if (ocupada_ || esperando_) return false;
    ocupada_ = true;
    interrompe_ = false;
    visivel_ = visivel;
    dono_ = janela;

    QEventLoop laco;
    bool feito = false;
    std::exception_ptr erro;
    QElapsedTimer desde;
    desde.start();
    QTimer segundos;
    if (visivel) {
        QApplication::setOverrideCursor(Qt::BusyCursor);
        titulo_ = janela ? janela->windowTitle() : QString();
        segundos.setTimerType(Qt::PreciseTimer);
        connect(&segundos, &QTimer::timeout, this, [&] { MostraEspera(desde.elapsed() / 1000); });
        segundos.start(1000);
    }
    // Everything that marks the end runs on this thread as soon as the
    // answer is in, whichever event loop runs then.
    const auto termina = [&] {
        feito = true;
        segundos.stop();
        if (visivel) {
            QApplication::restoreOverrideCursor();
            if (dono_ && !Fechando(dono_)) dono_->setWindowTitle(titulo_);
        }
        ocupada_ = false;
        visivel_ = false;
        dono_ = nullptr;
        laco.quit();
        emit Terminou();
    };
    Posta([&] {
        try {
            trabalho();
        } catch (...) {
            erro = std::current_exception();
        }
        QMetaObject::invokeMethod(this, termina, Qt::QueuedConnection);
    });
    // The sequence holds references into this frame: it is left only once
    // the answer is in, even when the application is told to quit meanwhile
    // (its event loops then return at once).
    while (!feito)
        if (laco.exec() != 0 && !feito) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (erro) std::rethrow_exception(erro);
    return true;
}

void Sala::MostraEspera(qint64 segundos) {
    // A clock tick leaves its window's caption alone: it holds the window's own.
    if (dono_ && visivel_ && !Fechando(dono_))
        dono_->setWindowTitle(QStringLiteral("%1 - Aguardando a impressora: %2 s").arg(titulo_).arg(segundos));
    for (const Fechamento& fechamento : fechando_)
        if (fechamento.janela)
            fechamento.janela->setWindowTitle(
                QStringLiteral("%1 - Aguardando a impressora para fechar: %2 s").arg(fechamento.titulo).arg(segundos));
}

bool Sala::Fechando(const QWidget* janela) const {
    return std::any_of(fechando_.begin(), fechando_.end(), [janela](const Fechamento& f) { return f.janela == janela; });
}

void Sala::AdiaFechamento(QWidget* janela) {
    interrompe_ = true;
    if (Fechando(janela)) return;
    const QString titulo = janela == dono_ && visivel_ ? titulo_ : janela->windowTitle();
    fechando_.push_back({janela, titulo});
    janela->setWindowTitle(QStringLiteral("%1 - Aguardando a impressora para fechar: 0 s").arg(titulo));
}

bool Sala::AdiaSeForDela(QWidget* janela) {
    if (!Ocupada() || dono_ != janela) return false;
    AdiaFechamento(janela);
    return true;
}

void Sala::CancelaFechamento(QWidget* janela) {
    const auto achado = std::find_if(fechando_.begin(), fechando_.end(),
                                     [janela](const Fechamento& f) { return f.janela == janela; });
    if (achado == fechando_.end()) return;
    janela->setWindowTitle(janela == dono_ && visivel_ ? QStringLiteral("%1 - Aguardando a impressora: 0 s").arg(achado->titulo)
                                                       : achado->titulo);
    fechando_.erase(achado);
}

void Sala::FechaAdiadas() {
    std::vector<Fechamento> adiadas;
    adiadas.swap(fechando_);
    for (const Fechamento& fechamento : adiadas) {
        if (!fechamento.janela) continue;
        fechamento.janela->setWindowTitle(fechamento.titulo);
        // Closed once the sequence's own window has shown its outcome.
        QTimer::singleShot(0, fechamento.janela, [janela = fechamento.janela] {
            if (janela) janela->close();
        });
    }
}

void Sala::FechaPortas() {
    std::promise<void> feito;
    Posta([&feito] {
        FechaPortasAbertas();
        feito.set_value();
    });
    feito.get_future().wait();
}

}  // namespace tavorin
