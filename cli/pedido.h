// What passes between reading the command line, running the operation
// and telling its outcome.
#pragma once

#include "codigos.h"
#include "operacoes.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace tavorin::cli {

// The command line as typed, each operation's own arguments included.
struct Argumentos {
    std::string porta, faixa, inicio, fim, arquivo, data, hora, sentido, comando, espera;
    CLI::Option* comArquivo = nullptr;  // memoria --arquivo, given with or without a name
    bool confirma = false;              // reducao-z --confirma
};

// What the command line asked for.
struct Pedido {
    std::optional<int32_t> porta;
    bool json = false;
    bool registro = false;
    Comando comando;          // the one command of a one-command operation
    Faixa faixa = Faixa::Reducoes;
    std::string inicio, fim;  // memoria: the fields as the printer takes them
    std::string arquivo;      // memoria: empty for printed
};

// One operation's outcome, for the terminal or for JSON.
struct Relato {
    std::optional<Desfecho> desfecho;  // the exchange that decided it
    int saida = kAceito;
    std::string falha;                 // UTF-8, for standard error
    std::string aviso;                 // UTF-8: what an exchange met, told when nothing failed
    std::vector<std::string> linhas;   // UTF-8, for standard output
    nlohmann::ordered_json dados = nlohmann::ordered_json::object();
    bool interrompido = false;         // a signal kept the rest from being sent
};

struct UsoInvalido {
    std::string mensagem;  // UTF-8
};

struct Operacao {
    const char* nome;
    const char* ajuda;
    void (*declara)(CLI::App&, Argumentos&);      // its own arguments
    void (*prepara)(const Argumentos&, Pedido&);  // checks them; throws UsoInvalido
    void (*executa)(const Pedido&, Relato&);
    bool procura;                                 // runs on the port found first (testa probes by itself)
    std::vector<const char*> campos;              // its own JSON fields, null when it fails
    bool semBiblioteca = false;                   // runs also when no driver library loads
};

}  // namespace tavorin::cli
