// Telling an operation's outcome to whoever ran the program.
#pragma once

#include "pedido.h"

#include <string>

namespace tavorin::cli {

// The help's footer: the exit statuses, then how the printer is found.
std::string Rodape();

// The outcome on standard output and error; the exit status.
int Mostra(const Operacao& operacao, const Pedido& pedido, const Relato& relato, long long ms);

// Tavorin's version and the driver library it would load, by the same
// search as every operation.
std::string TextoVersao();

}  // namespace tavorin::cli
