// The fiscal printer itself: takes one command, answers one line.
#pragma once

#include <cstdint>
#include <string>

#include "ambiente.h"

namespace zubsim {

// Runs `comando` on the printer whose state and paper roll live in
// `ambiente.diretorio`, with the host clock at `agoraNoHost` (seconds, as
// AgoraNoHost gives them). Loads the state first and saves it after any
// change; what the command prints is appended to the paper roll. Returns
// the answer line, without its line end.
std::string Executa(const std::string& comando, const Ambiente& ambiente, int64_t agoraNoHost);

}  // namespace zubsim
