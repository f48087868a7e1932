// The link's room: the one thread on which every printer sequence of the
// windows runs, for the whole run (a closed driver may keep state per
// thread). A window hands it a sequence of the operations layer and waits
// for the outcome with its event loop running, so every window keeps
// painting, moving and taking keys meanwhile; the outcome comes back as a
// value. Only one sequence runs at a time: a printer control pressed while
// one runs sends nothing, now or later.
//
// This is the only part of the windows that sees the link itself; the
// windows see the operations layer's values.
#pragma once

#include "operacoes.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <type_traits>
#include <variant>



namespace tavorin {

// What the link holds at a point of a sequence, taken on the link thread.
struct Enlace {
    int32_t porta = 0;       // Porta
    Desfecho ultima;         // the last answer (Resposta, Status); no command, result 0
    // Why no driver library could be used: its file, and the function it
    // lacks when the file was found; both empty when it loaded.
    std::string bibliotecaAusente, funcaoAusente;
    // When a file was found and could not be loaded: the sentence that
    // says where and why.
    std::string bibliotecaNaoCarregada;
    // The first of ports 1 and 2 that another program held open at its
    // last Abre, or 0.
    int32_t portaEmUso = 0;
};

class Sala : public QObject {
    Q_OBJECT
public:
    // The room, made on the window thread at its first use; it goes with the
    // application object, closing every port left open.
    static Sala& Instancia();

    // A sequence runs, or waits for a tick to end.
    bool Ocupada() const { return ocupada_ || esperando_; }
    // A printer control may start its sequence now: nothing runs but,
    // perhaps, a clock tick, which it waits for.
    bool Aceita() const { return !(ocupada_ && visivel_) && !esperando_; }
    // The window whose sequence runs; null when none runs, or for a tick.
    QWidget* Dono() const { return dono_; }

    // Runs `sequencia` on the link thread while `janela` waits: busy
    // cursor, and after a second the caption says for how long it has been
    // waiting. Nothing is run (and nothing is returned) while another
    // sequence runs; behind a clock tick it waits for the tick to end.
    template <typename F>
    auto Executa(QWidget* janela, F sequencia) {
        return Resultado<F>(janela, true, std::move(sequencia));
    }
    // The same for a clock tick, which shows nothing and is skipped, not
    // delayed, when the link is busy.
    template <typename F>
    auto ExecutaSeLivre(QWidget* janela, F sequencia) {
        return Resultado<F>(janela, false, std::move(sequencia));
    }

    // For the operations layer's hooks: a function that, called on the link
    // thread, runs `gancho` on the window thread with the link's state and
    // the hook's own arguments, and returns once it has run. So what a
    // window shows between two commands shows before the next one is sent.
    template <typename G>
    static auto NaJanela(G gancho) {
        return [gancho](auto&&... argumentos) {
            const Enlace enlace = Estado();
            Instancia().ChamaNaJanela([&] { gancho(enlace, argumentos...); });
        };
    }

    // The link's state now; on the link thread, inside a sequence.
    static Enlace Estado();

    // A window closed while a sequence runs waits for the answer: its
    // caption says so, and it is closed again once the sequence ends.
    void AdiaFechamento(QWidget* janela);
    // For a window's closeEvent: true (and the close put off until the
    // answer is in) when the sequence under way is that window's own.
    bool AdiaSeForDela(QWidget* janela);

    // Closes every port a window left open, on the link thread, and waits
    // for it (no sequence may be running).
    void FechaPortas();

signals:
    // A sequence ended; the link is free.
    void Terminou();

private:
    Sala();
    ~Sala() override;

    template <typename F>
    auto Resultado(QWidget* janela, bool visivel, F sequencia) {
        using R = decltype(sequencia());
        if constexpr (std::is_void_v<R>) {
            return Roda(janela, visivel, [&] { sequencia(); });
        } else {
            std::optional<R> valor;
            Roda(janela, visivel, [&] { valor = sequencia(); });
            return valor;
        }
    }
    // True when `trabalho` ran.
    bool Roda(QWidget* janela, bool visivel, const std::function<void()>& trabalho);
    void ChamaNaJanela(const std::function<void()>& funcao);
    void Posta(std::function<void()> trabalho);
    void Fila();
    void MostraEspera(qint64 segundos);

    std::mutex trava_;
    std::condition_variable aviso_;
    std::deque<std::function<void()>> fila_;
    bool fim_ = false;

    bool ocupada_ = false;
    bool esperando_ = false;  // a window waits for a tick to end
    bool visivel_ = false;
    QPointer<QWidget> dono_;
    QString titulo_;          // the waiting window's own caption
    QPointer<QWidget> fechando_;
    std::thread linha_;  // last: it starts once the rest is made
};

}  // namespace tavorin
