#include "resposta.h"

#include "texto.h"

namespace zubsim {

namespace {

std::string CodigoDoComando(const std::string& comando) {
    if (comando.size() < 3 || comando[0] != '.') return "??";
    std::string codigo = comando.substr(1, 2);
    // Echo only what cannot be taken for a status or block end.
    for (char& c : codigo)
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E ||
            c == '}' || c == ']')
            c = '?';
    return codigo;
}

}  // namespace

std::string CodigoErro(Erro erro) { return Digitos(static_cast<int>(erro), 2); }

const char* MensagemErro(Erro erro) {
    switch (erro) {
        case Erro::Nenhum: return "";
        case Erro::ComandoDesconhecido: return "COMANDO DESCONHECIDO";
        case Erro::FormatoInvalido: return "FORMATO OU TAMANHO INVALIDO";
        case Erro::CampoInvalido: return "CAMPO INVALIDO";
        case Erro::ForaDeLinha: return "IMPRESSORA FORA DE LINHA";
        case Erro::SemPapel: return "SEM PAPEL";
        case Erro::EstadoIlegivel: return "MEMORIA DE TRABALHO ILEGIVEL";
        case Erro::FalhaAoGravar: return "FALHA AO GRAVAR A MEMORIA";
        case Erro::DataHoraInvalida: return "DATA OU HORA INVALIDA";
        case Erro::DataAnterior: return "DATA ANTERIOR AO ULTIMO MOVIMENTO";
        case Erro::JaEmVerao: return "JA EM HORARIO DE VERAO";
        case Erro::NaoEstaEmVerao: return "FORA DO HORARIO DE VERAO";
        case Erro::ReducaoPendente: return "REDUCAO Z PENDENTE";
        case Erro::ReducaoJaEmitida: return "REDUCAO Z JA EMITIDA HOJE";
        case Erro::CupomAberto: return "CUPOM ABERTO";
        case Erro::CupomNaoAberto: return "CUPOM NAO ABERTO";
        case Erro::SemItens: return "CUPOM SEM ITENS";
        case Erro::PagamentoInsuficiente: return "PAGAMENTO INSUFICIENTE";
        case Erro::ItemInvalido: return "ITEM INVALIDO";
        case Erro::PagamentoInvalido: return "PAGAMENTO INVALIDO";
        case Erro::PagamentoIniciado: return "PAGAMENTO JA INICIADO";
        case Erro::CupomJaPago: return "CUPOM JA PAGO";
        case Erro::IntervaloInvalido: return "INTERVALO INVALIDO";
        case Erro::SemLeitura: return "NENHUMA LEITURA EM ANDAMENTO";
        case Erro::RegistradorInexistente: return "REGISTRADOR INEXISTENTE";
        case Erro::MemoriaEsgotada: return "MEMORIA FISCAL ESGOTADA";
    }
    return "";
}

Resposta::Resposta(const std::string& comando, char status) : linha_(kTamanhoResposta, ' ') {
    linha_[0] = kInicioResposta;
    linha_[1] = status;
    Poe(3, CodigoDoComando(comando));
    Poe(21, CodigoErro(Erro::Nenhum));
}

Resposta& Resposta::Poe(std::size_t posicao, const std::string& texto) {
    for (std::size_t i = 0; i < texto.size() && posicao - 1 + i < linha_.size(); ++i)
        linha_[posicao - 1 + i] = texto[i];
    return *this;
}

std::string Recusa(const std::string& comando, Erro erro) {
    Resposta resposta(comando, '-');
    resposta.Poe(21, CodigoErro(erro)).Poe(24, MensagemErro(erro));
    return resposta.Linha();
}

std::string Bloco(int numero, const std::string& dados) {
    std::string limpos;
    limpos.reserve(dados.size());
    // The program takes the data up to the first "}", and the line ends at
    // CR or LF: none of them may stand inside a block.
    for (char c : dados) limpos += (c == '}' || c == '\r' || c == '\n') ? ' ' : c;
    return std::string(1, kInicioResposta) + "+" + Digitos(numero, 4) + limpos + "}";
}

}  // namespace zubsim
