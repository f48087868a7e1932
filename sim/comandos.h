// The printer's commands, each checked against the state and run on it:
// state in, answer and printed text out. Nothing here touches a file;
// Executa (impressora.h) loads the state, keeps or rolls back what a
// command changed, delivers the answer and prints.
#pragma once

#include <cstdint>
#include <string>

#include "ambiente.h"
#include "estado.h"

namespace zubsim {

struct Feito {
    std::string resposta;   // the answer line, without its line end
    bool alterou = false;   // the state changed
    std::string bobina;     // printed text, UTF-8
};

// Runs `comando` on `estado` with the printer's clock taken from the host's
// (`agoraNoHost`, seconds) and the tester's settings in `ambiente`.
Feito RodaComando(Estado& estado, const Ambiente& ambiente, const std::string& comando, int64_t agoraNoHost);

}  // namespace zubsim
