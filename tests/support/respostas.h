// The printer's answer lines and the program's fixed commands, for every
// test. Positions count from 1, as the answer layout gives them.
#pragma once

#include <initializer_list>
#include <string>
#include <utility>

namespace tavorin::teste {

// The coupon window's item (71 characters) and payment of R$100,00.
inline const std::string kItem = ".0112345678901230001000000000100            PRODUTO DE QUALIDADE    T01";
inline const std::string kPaga100 = ".1001000000010000";

using Campos = std::initializer_list<std::pair<std::size_t, std::string>>;

// `linha` with each field written over it from its position.
inline std::string ComCampos(std::string linha, Campos campos) {
    for (const auto& [posicao, valor] : campos) linha.replace(posicao - 1, valor.size(), valor);
    return linha;
}

// An answer line `tamanho` long: "{", the status, zeros, then the fields.
inline std::string Linha(char status, Campos campos = {}, std::size_t tamanho = 128) {
    std::string linha(tamanho, '0');
    linha[0] = '{';
    linha[1] = status;
    return ComCampos(std::move(linha), campos);
}

// A refusal with its error code at 21-22.
inline std::string Erro(const std::string& codigo) { return Linha('-', {{21, codigo}}, 40); }

// ".23": paper and line state at 6.
inline std::string Status23(char estado) { return Linha('+', {{6, std::string(1, estado)}}, 24); }

// ".28": Redução Z state at 18, clock ddmmyyhhmm at 44, summer time at 54,
// first Leitura X state at 124.
inline std::string Status28(const std::string& relogio = "0512031430", char verao = 'N', char reducao = 'N',
                            char leituraX = 'N') {
    return Linha('+', {{18, {reducao}}, {44, relogio}, {54, {verao}}, {124, {leituraX}}}, 130);
}

}  // namespace tavorin::teste
