// tavorin-cli: the printer's operations from a command line, for scripts,
// scheduled tasks and remote shells. The same operations layer and the
// same driver loader as the windows.
#include "driver.h"
#include "driver_library.h"
#include "execucao.h"
#include "linha_de_comando.h"
#include "operacoes.h"
#include "saida.h"
#include "terminal.h"

#include <chrono>
#include <exception>
#include <string>
#include <vector>

using namespace tavorin;
using namespace tavorin::cli;

namespace {

int Principal(int argc, char* argv[]) {
    CLI::App app{"tavorin-cli: as operações da impressora fiscal, sem janelas, pelo mesmo driver (Zub_Dll3).",
                 "tavorin-cli"};
    Pedido pedido;
    Argumentos a;
    MontaLinhaDeComando(app, a, pedido);
    const Operacao* operacao = nullptr;
    try {
        operacao = &LeLinhaDeComando(app, argc, argv, a, pedido);
    } catch (const CLI::CallForVersion&) {
        return Escreve(stdout, TextoVersao()) ? kAceito : kSaidaPerdida;
    } catch (const CLI::CallForHelp&) {
        // Through Escreve, so a Windows console shows the accents too.
        return Escreve(stdout, app.help()) ? kAceito : kSaidaPerdida;
    } catch (const CLI::ParseError& erro) {
        Escreve(stderr, "tavorin-cli: " + EmPortugues(erro, std::vector<std::string>(argv + 1, argv + argc)) +
                            "\n(tavorin-cli --help mostra as operações)\n");
        return kUsoInvalido;
    } catch (const UsoInvalido& erro) {
        Escreve(stderr, "tavorin-cli: " + erro.mensagem + "\n(tavorin-cli --help mostra as operações)\n");
        return kUsoInvalido;
    }

    // The library is loaded before anything is sent, so a missing one is
    // told apart from a silent printer. In place for this scope only: the
    // ports are closed through it however the scope is left.
    DriverLibrary biblioteca;
    const DriverNoLugar driver(&biblioteca);
    if (!biblioteca.Carrega() && !operacao->semBiblioteca) {
        Escreve(stderr, "tavorin-cli: " + ExplicaFalhaDoDriver(biblioteca.Falha()) + "\n");
        return kSemBiblioteca;
    }

    Observa(pedido.registro);
    const auto inicio = std::chrono::steady_clock::now();
    const Relato relato = Executa(*operacao, pedido);
    const long long ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - inicio).count();
    return Mostra(*operacao, pedido, relato, ms);
}

}  // namespace

int main(int argc, char* argv[]) {
    // Before anything loads a library by name (the driver, the system's).
    ProtegeBuscaDeBibliotecas();
    // On Windows the arguments come from the wide command line, turned
    // into the ANSI code page as the windows turn typed text: "?" for a
    // character the code page lacks, never a look-alike.
    const std::vector<std::string> argumentos = ArgumentosDoPrograma(argc, argv);
    std::vector<char*> ponteiros;
    for (const std::string& argumento : argumentos) ponteiros.push_back(const_cast<char*>(argumento.c_str()));
    ponteiros.push_back(nullptr);
    // Whatever goes wrong, the program ends with a status and a message.
    try {
        return Principal(static_cast<int>(argumentos.size()), ponteiros.data());
    } catch (const std::exception& erro) {
        Escreve(stderr, std::string("tavorin-cli: falha interna: ") + erro.what() + "\n");
    } catch (...) {
        Escreve(stderr, "tavorin-cli: falha interna\n");
    }
    return kFalhaInterna;
}
