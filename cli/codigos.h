// tavorin-cli's exit statuses, the one table a script, the help, the
// README and the manual page go by.
#pragma once

#include <csignal>
#include <vector>

namespace tavorin::cli {

enum Saida {
    kAceito = 0,
    kRecusado = 1,       // the printer refused: "ERRO nn"
    kSemResposta = 2,    // no answer, or no printer on the ports tried
    kSemBiblioteca = 3,  // the driver library could not be loaded
    kUsoInvalido = 64,   // bad usage: nothing was sent
    kFalhaInterna = 70,  // a fault of the program itself
    kSemArquivo = 73,    // the reading's file could not be written, or the reading had no end
    kSaidaPerdida = 74,  // standard output could not be written
};

// A signal that kept something from being sent: the status a shell gives
// a program it ended.
constexpr int SaidaDoSinal(int sinal) { return 128 + sinal; }

struct CodigoDeRetorno {
    std::vector<int> codigos;  // told together
    const char* texto;         // as the help shows it, "\n" where its line breaks
};

inline const std::vector<CodigoDeRetorno> kCodigosDeRetorno = {
    {{kAceito}, "aceito pela impressora"},
    {{kRecusado}, "recusado pela impressora (a mensagem traz o \"ERRO nn\" que as janelas mostram)"},
    {{kSemResposta}, "sem resposta, ou nenhuma impressora nas portas procuradas"},
    {{kSemBiblioteca}, "a biblioteca do driver (Zub_Dll3) não pôde ser carregada"},
    {{kUsoInvalido},
     "uso inválido: operação desconhecida, data, faixa, porta ou comando inválidos, ou\n"
     "Redução Z não confirmada; nada é enviado"},
    {{kFalhaInterna}, "falha interna do programa (a mensagem diz qual)"},
    {{kSemArquivo},
     "memoria --arquivo, diagnostico --arquivo: o arquivo não pôde ser gravado, ou a\n"
     "leitura passou do que uma memória fiscal contém (o anterior fica como estava)"},
    {{kSaidaPerdida}, "a saída padrão não pôde ser escrita"},
    {{SaidaDoSinal(SIGINT), SaidaDoSinal(SIGTERM)},
     "interrompido por Ctrl+C ou SIGTERM (a porta é fechada; o arquivo anterior fica como estava)"},
};

}  // namespace tavorin::cli
