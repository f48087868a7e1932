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

#include <atomic>
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
#include <vector>



namespace tavorin {

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
    // thread, runs `gancho` on the window thread with the hook's own
    // arguments, and returns once it has run. So what a window shows
    // between two commands shows before the next one is sent.
    template <typename G>
    static auto NaJanela(G gancho) {
        return [gancho](auto&&... argumentos) { Instancia().ChamaNaJanela([&] { gancho(argumentos...); }); };
    }

    // A window closed while a sequence runs waits for the answer: its
    // caption says so, and it is closed again once the sequence ends. Each
    // window asked to close is, whichever asked first. The sequence ends
    // before its next command: only the exchange under way is waited for.
    void AdiaFechamento(QWidget* janela);
    // For a window's closeEvent: true (and the close put off until the
    // answer is in) when the sequence under way is that window's own.
    bool AdiaSeForDela(QWidget* janela);
    // The window shown again before its put-off close came: it stays.
    void CancelaFechamento(QWidget* janela);


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
    bool Fechando(const QWidget* janela) const;
    void FechaAdiadas();
    // Closes every port a window left open, on the link thread, and waits
    // for it (no sequence may be running): as the program ends.
    void FechaPortas();

    std::mutex trava_;
    std::condition_variable aviso_;
    std::deque<std::function<void()>> fila_;
    bool fim_ = false;

    std::atomic<bool> interrompe_{false};  // read on the link thread
    bool ocupada_ = false;
    bool esperando_ = false;  // a window waits for a tick to end
    bool visivel_ = false;
    QPointer<QWidget> dono_;
    QString titulo_;          // the waiting window's own caption
    // The windows whose close waits for the answer, with their own captions.
    struct Fechamento {
        QPointer<QWidget> janela;
        QString titulo;
    };
    std::vector<Fechamento> fechando_;
    std::thread linha_;  // last: it starts once the rest is made
};

}  // namespace tavorin
