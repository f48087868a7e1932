// The fiscal printer's side of one exchange: the command run on the state
// kept in its folder (comandos.h), as one step that every process honours.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "ambiente.h"

namespace zubsim {

// Hands the answer line (without its line end) to the caller; false when
// it could not be delivered.
using Entrega = std::function<bool(const std::string& linha)>;

// Runs `comando` on the printer whose state and paper roll live in
// `ambiente.diretorio`, with the host clock at `agoraNoHost` (seconds, as
// AgoraNoHost gives them), under a lock on that folder that every process
// honours: loads the state (the fiscal memory again only when another
// process changed it), runs the command, saves any change, hands the
// answer to `entrega`, and only then prints on the paper roll. When the
// answer cannot be delivered, nothing of the command is kept: the state
// files are put back as they were and nothing is printed; false then.
// `linhas`, when given, holds the number of lines the command prints by
// the time `entrega` is called (0 for a command that prints nothing).
bool Executa(const std::string& comando, const Ambiente& ambiente, int64_t agoraNoHost, const Entrega& entrega,
             std::size_t* linhas = nullptr);

// Forgets the state this process keeps between commands (for tests that
// change the files behind its back in ways it cannot see).
void EsqueceEstado();

}  // namespace zubsim
