// Telling the outcome: the help's footer, the result on standard output
// as text or JSON, the failure on standard error, the exit status.
#include "saida.h"

#include "driver.h"
#include "driver_library.h"
#include "identidade.h"
#include "terminal.h"

#include <string>
#include <vector>

namespace tavorin::cli {

namespace {

nlohmann::ordered_json ComoJson(const Operacao& op, const Relato& r, long long ms) {
    const auto nulo = nlohmann::ordered_json(nullptr);
    nlohmann::ordered_json j = {{"operacao", op.nome}, {"saida", r.saida}, {"ms", ms}};
    const std::optional<Desfecho>& d = r.desfecho;
    j["comando"] = d ? nlohmann::ordered_json(Texto(d->troca.comando)) : nulo;
    j["espera"] = d ? nlohmann::ordered_json(d->troca.espera) : nulo;
    j["resultado"] = d ? nlohmann::ordered_json(d->troca.resultado) : nulo;
    j["resposta"] = d ? nlohmann::ordered_json(Texto(d->troca.resposta)) : nulo;
    j["status"] = d ? nlohmann::ordered_json(Texto(d->status)) : nulo;
    // Positions 21-22 are an error code only in a refusal; elsewhere they
    // are whatever the answer holds there (a reading block's text).
    j["erro"] = d && r.saida == kRecusado ? nlohmann::ordered_json(Texto(d->Codigo())) : nulo;
    j["falha"] = r.falha.empty() ? nulo : nlohmann::ordered_json(r.falha);
    for (const char* campo : op.campos)
        j[campo] = r.saida == kAceito && r.dados.contains(campo) ? r.dados[campo] : nulo;
    return j;
}

}  // namespace

std::string Rodape() {
    std::string texto = "Saída (código de retorno):\n";
    for (const CodigoDeRetorno& c : kCodigosDeRetorno) {
        std::string rotulo;
        for (int codigo : c.codigos) rotulo += (rotulo.empty() ? "" : ", ") + std::to_string(codigo);
        // The texts start on the sixth column, their own next lines too;
        // only a label of several statuses pushes its text further.
        texto += "  " + rotulo + std::string(rotulo.size() < 2 ? 3 : 2, ' ');
        for (const char* letra = c.texto; *letra; ++letra) texto += *letra == '\n' ? "\n      " : std::string(1, *letra);
        texto += "\n";
    }
    return texto + R"(
Sem --porta a impressora é procurada na porta 1 e depois na 2, como no teste
da janela principal. Os erros vão para a saída de erro.

reducao-z pergunta antes de enviar, num terminal; sem terminal só envia com
--confirma.)";
}

int Mostra(const Operacao& operacao, const Pedido& pedido, const Relato& relato, long long ms) {
    bool escrito = true;
    if (pedido.json) {
        // A file name that is not UTF-8 shows with replacement characters
        // rather than ending the program.
        escrito = Escreve(stdout,
                          ComoJson(operacao, relato, ms).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) +
                              "\n",
                          true);
    } else {
        std::string texto;
        for (const std::string& linha : relato.linhas) texto += linha + "\n";
        escrito = Escreve(stdout, texto);
    }
    if (!relato.aviso.empty() && relato.falha.empty()) Escreve(stderr, "tavorin-cli: aviso: " + relato.aviso + "\n");
    if (!relato.falha.empty()) Escreve(stderr, "tavorin-cli: " + relato.falha + "\n");
    // A result that did not reach its reader is no success: the printer
    // may have acted, but the script cannot know what it said.
    if (!escrito) {
        Escreve(stderr, "tavorin-cli: a saída padrão não pôde ser escrita\n");
        return kSaidaPerdida;
    }
    return relato.saida;
}

std::string TextoVersao() {
    DriverLibrary biblioteca;
    const bool carregou = biblioteca.Carrega();
    std::vector<std::string> linhas = DescreveVersao(carregou ? biblioteca.Carregado() : std::string());
    if (!carregou) linhas.back() = DescreveFalha(biblioteca.Falha());
    std::string texto;
    for (const std::string& linha : linhas) texto += linha + "\n";
    return texto;
}

}  // namespace tavorin::cli
