// One exchange with the driver as the link made it: what was sent, or why
// nothing was, what the driver returned and what answer it left, and what
// the link met on the way. Each field is set once, while the exchange
// happens; the link state, the windows, the command line and the exchange
// log all read the outcome from here and nowhere else.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace tavorin {

// Why the driver library could not be used; all empty when it loaded (or
// has not been asked for yet). `arquivo` is the file name looked for.
// When a file was found by that name, `caminho` is where, and either
// `funcao` names an export it lacks or `motivo` says why it was not loaded
// (the system's reason, or what stands there instead of a file).
struct FalhaDriver {
    std::string arquivo;
    std::string funcao;
    std::string caminho;
    std::string motivo;
    bool Houve() const { return !arquivo.empty(); }
    bool Encontrada() const { return !caminho.empty(); }
};

// Result given for a command that was not sent. A driver may return the
// same number: Troca::Enviado() tells the two apart.
constexpr int16_t kNaoEnviado = -100;

struct Troca {
    std::chrono::system_clock::time_point quando;  // when the command was handed over (or refused)
    int32_t porta = 0;
    int32_t espera = 0;
    std::string comando;     // bytes, 8-bit as the printer takes them
    int16_t resultado = 0;   // the driver's; kNaoEnviado when it was not called
    std::string resposta;    // first line of the answer file after the call; empty when none
    std::chrono::microseconds duracao{0};
    std::string nota;        // what the link adds for the log (UTF-8)

    // Why the driver was not called for this command.
    enum class Bloqueio {
        Nenhum,            // it was called
        PastaOcupada,      // another Tavorin process kept the folder's lock past the wait
        TravaInacessivel,  // the lock file could not be opened (`motivo`) in a folder that can be written
        Interrompido,      // the program was asked to stop while it waited for the lock
        PortaFechada,      // the probe's Abre failed (`abreRecusado`): the probe is not sent
    };
    Bloqueio bloqueio = Bloqueio::Nenhum;
    bool Enviado() const { return bloqueio == Bloqueio::Nenhum; }

    // The previous answer file could not be removed (`motivo`): with
    // semRespostaNova nothing the driver wrote could be told from what
    // stood there, so no answer was taken. `avisa`: the first exchange to
    // meet it after one that did not, the moment to tell the operator.
    bool respostaPresa = false;
    bool semRespostaNova = false;
    bool avisa = false;
    // The system's reason for TravaInacessivel or respostaPresa (UTF-8).
    std::string motivo;

    // The last Abre of this port failed: the driver's result.
    std::optional<int16_t> abreRecusado;
    // No driver library could be loaded for this call.
    FalhaDriver semDriver;
    // No answer line came, and the working folder does not take a new
    // file now: why (UTF-8). The driver writes its answer there.
    std::string pastaSemGravacao;
};

}  // namespace tavorin
