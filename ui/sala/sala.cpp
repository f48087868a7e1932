#include "sala.h"

#include "driver.h"
#include "link.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <QWidget>

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

Sala::Sala() : QObject(QCoreApplication::instance()), linha_([this] { Fila(); }) {}

Sala::~Sala() {
    {
        std::lock_guard<std::mutex> guarda(trava_);
        // A port a window left open is closed before the program ends.
        fila_.emplace_back([] { FechaPortasAbertas(); });
        fim_ = true;
    }
    aviso_.notify_one();
    linha_.join();
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

Enlace Sala::Estado() {
    Enlace enlace;
    enlace.porta = Porta;
    enlace.ultima.resposta = Resposta;
    enlace.ultima.status = Status;
    enlace.ultima.conta = UltimaTroca();
    for (int32_t porta : {1, 2})
        if (!enlace.portaEmUso && PortaEmUso(porta)) enlace.portaEmUso = porta;
    const FalhaDriver falha = FalhaDoDriver();
    enlace.bibliotecaAusente = falha.arquivo;
    enlace.funcaoAusente = falha.funcao;
    if (falha.Encontrada() && falha.funcao.empty()) enlace.bibliotecaNaoCarregada = DescreveFalha(falha);
    return enlace;
}

void Sala::ChamaNaJanela(const std::function<void()>& funcao) {
    if (QThread::currentThread() == thread())
        funcao();
    else
        QMetaObject::invokeMethod(this, [&funcao] { funcao(); }, Qt::BlockingQueuedConnection);
}

bool Sala::Roda(QWidget* janela, bool visivel, const std::function<void()>& trabalho) {
    if (visivel && Aceita() && ocupada_) {
        // Behind a clock tick: its answer comes within its short wait limit.
        esperando_ = true;
        QEventLoop espera;
        connect(this, &Sala::Terminou, &espera, &QEventLoop::quit);
        while (ocupada_)
            if (espera.exec() != 0 && ocupada_) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        esperando_ = false;
    }
    if (ocupada_ || esperando_) return false;
    ocupada_ = true;
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
            if (dono_ && dono_ != fechando_) dono_->setWindowTitle(titulo_);
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
    QWidget* janela = fechando_ ? fechando_.data() : dono_.data();
    if (!janela) return;
    // A clock tick leaves the caption alone: it holds the window's own.
    const QString titulo =
        janela == dono_ && visivel_ ? titulo_ : janela->windowTitle().section(QStringLiteral(" - "), 0, 0);
    janela->setWindowTitle(fechando_ ? QStringLiteral("%1 - Aguardando a impressora para fechar: %2 s").arg(titulo).arg(segundos)
                                     : QStringLiteral("%1 - Aguardando a impressora: %2 s").arg(titulo).arg(segundos));
}

void Sala::AdiaFechamento(QWidget* janela) {
    if (fechando_) return;
    fechando_ = janela;
    const QString titulo = janela == dono_ && visivel_ ? titulo_ : janela->windowTitle();
    MostraEspera(0);
    auto ligacao = std::make_shared<QMetaObject::Connection>();
    *ligacao = connect(this, &Sala::Terminou, janela, [this, janela, titulo, ligacao] {
        disconnect(*ligacao);
        fechando_ = nullptr;
        janela->setWindowTitle(titulo);
        // Closed once the sequence's own window has shown its outcome.
        QTimer::singleShot(0, janela, [janela] { janela->close(); });
    });
}

bool Sala::AdiaSeForDela(QWidget* janela) {
    if (!Ocupada() || dono_ != janela) return false;
    AdiaFechamento(janela);
    return true;
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
