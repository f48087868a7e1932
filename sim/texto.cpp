#include "texto.h"

#include "cp1252.h"

namespace zubsim {

std::string Digitos(int64_t valor, std::size_t largura) {
    std::string texto(largura, '0');
    if (valor < 0) valor = -valor;
    for (std::size_t i = largura; i > 0 && valor > 0; --i) {
        texto[i - 1] = static_cast<char>('0' + valor % 10);
        valor /= 10;
    }
    return texto;
}

bool SaoDigitos(const std::string& texto, std::size_t posicao, std::size_t tamanho) {
    if (posicao > texto.size() || texto.size() - posicao < tamanho) return false;
    for (std::size_t i = posicao; i < posicao + tamanho; ++i)
        if (texto[i] < '0' || texto[i] > '9') return false;
    return true;
}

int64_t Numero(const std::string& texto, std::size_t posicao, std::size_t tamanho) {
    int64_t valor = 0;
    for (std::size_t i = posicao; i < posicao + tamanho && i < texto.size(); ++i)
        valor = valor * 10 + (texto[i] - '0');
    return valor;
}

std::string Dinheiro(int64_t centavos) {
    bool negativo = centavos < 0;
    if (negativo) centavos = -centavos;
    std::string inteiros = std::to_string(centavos / 100);
    std::string agrupado;
    for (std::size_t i = 0; i < inteiros.size(); ++i) {
        if (i > 0 && (inteiros.size() - i) % 3 == 0) agrupado += '.';
        agrupado += inteiros[i];
    }
    return (negativo ? "-" : "") + agrupado + "," + Digitos(centavos % 100, 2);
}

std::string Quantidade(int64_t milesimos) {
    return std::to_string(milesimos / 1000) + "," + Digitos(milesimos % 1000, 3);
}

std::string TextoData(const Data& data, bool anoLongo) {
    return Digitos(data.dia, 2) + "/" + Digitos(data.mes, 2) + "/" +
           (anoLongo ? Digitos(data.ano, 4) : Digitos(data.ano % 100, 2));
}

std::string TextoHora(const Momento& momento) {
    return Digitos(momento.hora, 2) + ":" + Digitos(momento.minuto, 2) + ":" +
           Digitos(momento.segundo, 2);
}

std::size_t Largura(const std::string& utf8) {
    std::size_t largura = 0;
    for (unsigned char c : utf8)
        if ((c & 0xC0) != 0x80) ++largura;
    return largura;
}

std::string Coluna(const std::string& esquerda, const std::string& direita) {
    std::size_t usado = Largura(esquerda) + Largura(direita);
    std::size_t brancos = usado < kColunas ? kColunas - usado : 1;
    return esquerda + std::string(brancos, ' ') + direita;
}

std::string Centro(const std::string& texto) {
    std::size_t largura = Largura(texto);
    if (largura >= kColunas) return texto;
    return std::string((kColunas - largura) / 2, ' ') + texto;
}

}  // namespace zubsim
