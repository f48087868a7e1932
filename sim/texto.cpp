#include "texto.h"

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

std::string ParaCp1252(const std::string& utf8) {
    // Windows-1252 differs from Latin-1 only in 0x80-0x9F.
    static const char32_t kFaixa80[32] = {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
        0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    std::string saida;
    for (std::size_t i = 0; i < utf8.size();) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        char32_t ponto = 0;
        std::size_t seguintes = 0;
        if (c < 0x80) {
            ponto = c;
        } else if ((c & 0xE0) == 0xC0) {
            ponto = c & 0x1F;
            seguintes = 1;
        } else if ((c & 0xF0) == 0xE0) {
            ponto = c & 0x0F;
            seguintes = 2;
        } else if ((c & 0xF8) == 0xF0) {
            ponto = c & 0x07;
            seguintes = 3;
        } else {
            saida += '?';
            ++i;
            continue;
        }
        bool valido = true;
        for (std::size_t k = 1; valido && k <= seguintes; ++k) {
            if (i + k >= utf8.size()) {
                valido = false;
                break;
            }
            unsigned char d = static_cast<unsigned char>(utf8[i + k]);
            if ((d & 0xC0) != 0x80) {
                valido = false;
                break;
            }
            ponto = (ponto << 6) | (d & 0x3F);
        }
        if (!valido) {
            saida += '?';
            ++i;
            continue;
        }
        i += seguintes + 1;
        if (ponto < 0x80 || (ponto >= 0xA0 && ponto <= 0xFF)) {
            saida += static_cast<char>(ponto);
            continue;
        }
        char byte = '?';
        for (int k = 0; k < 32; ++k)
            if (kFaixa80[k] != 0 && kFaixa80[k] == ponto) byte = static_cast<char>(0x80 + k);
        saida += byte;
    }
    return saida;
}

}  // namespace zubsim

namespace zubsim {

std::string DeCp1252(const std::string& bytes) {
    static const char32_t kFaixa80[32] = {
        0x20AC, '?',    0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, '?',    0x017D, '?',
        '?',    0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, '?',    0x017E, 0x0178};
    std::string saida;
    for (char c : bytes) {
        unsigned char b = static_cast<unsigned char>(c);
        char32_t ponto = b < 0x80 ? b : (b < 0xA0 ? kFaixa80[b - 0x80] : b);
        if (ponto < 0x80) {
            saida += static_cast<char>(ponto);
        } else if (ponto < 0x800) {
            saida += static_cast<char>(0xC0 | (ponto >> 6));
            saida += static_cast<char>(0x80 | (ponto & 0x3F));
        } else {
            saida += static_cast<char>(0xE0 | (ponto >> 12));
            saida += static_cast<char>(0x80 | ((ponto >> 6) & 0x3F));
            saida += static_cast<char>(0x80 | (ponto & 0x3F));
        }
    }
    return saida;
}

}  // namespace zubsim
