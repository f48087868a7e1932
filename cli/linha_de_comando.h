// Reading the command line into the operation asked for and its request.
#pragma once

#include "pedido.h"

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

namespace tavorin::cli {

// The argument parser's errors in the program's words.
std::string EmPortugues(const CLI::ParseError& erro, const std::vector<std::string>& argumentos);

// The parser in Portuguese, with every operation of the table.
void MontaLinhaDeComando(CLI::App& app, Argumentos& a, Pedido& pedido);

// The operation asked for, its request complete; throws UsoInvalido or the
// parser's errors.
const Operacao& LeLinhaDeComando(CLI::App& app, int argc, char* argv[], const Argumentos& a, Pedido& pedido);

}  // namespace tavorin::cli
