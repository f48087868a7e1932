// Drives the simulated printer through its three exported functions, as
// the program does, in a fresh working directory per test with every
// ZUBSIM_* setting cleared.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "ambiente.h"
#include "zubsim.h"

namespace zubsim::teste {

using tavorin::teste::LeArquivo;
using tavorin::teste::PoeAmbiente;

// The program's fixed item and payment.
inline const std::string kItem =
    ".0112345678901230001000000000100            PRODUTO DE QUALIDADE    T01";
inline const std::string kPaga100 = ".1001000000010000";

// Characters `tamanho` long from 1-based `posicao`, cut at the end.
inline std::string Campo(const std::string& linha, std::size_t posicao, std::size_t tamanho) {
    if (posicao == 0 || posicao > linha.size()) return {};
    return linha.substr(posicao - 1, tamanho);
}

class Simulador : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* nome : {"ZUBSIM_PORTA", "ZUBSIM_SEM_PAPEL", "ZUBSIM_FORA_DE_LINHA",
                                 "ZUBSIM_MUDA", "ZUBSIM_BAUD"})
            PoeAmbiente(nome, nullptr);
        PoeAmbiente("ZUBSIM_DIR", pasta_.Caminho().string().c_str());
        // Ports left open by an earlier test in this process.
        for (int16_t porta = 1; porta <= 8; ++porta) Fecha(porta);
    }

    // Abre, then TXRX, as the program sends every command. Keeps the
    // answer file's whole content and its first line.
    int16_t Envia(const std::string& comando, int16_t porta = 1, int16_t espera = 10) {
        Abre(porta);
        return Troca(porta, espera, comando.c_str());
    }
    int16_t Troca(int16_t porta, int16_t espera, const char* comando) {
        std::filesystem::remove(tavorin::kArquivoResposta);
        int16_t resultado = TXRX(porta, espera, comando);
        arquivo_ = LeArquivo(tavorin::kArquivoResposta);
        resposta_ = arquivo_.substr(0, arquivo_.find("\r\n"));
        return resultado;
    }

    // Sends a command that must be accepted; returns the answer line.
    std::string Aceito(const std::string& comando) {
        EXPECT_EQ(Envia(comando), 0) << comando;
        EXPECT_EQ(Campo(resposta_, 2, 1), "+") << comando << " -> " << resposta_;
        return resposta_;
    }
    void Aceitos(const std::vector<std::string>& comandos) {
        for (const auto& comando : comandos) Aceito(comando);
    }
    // Sends a command that must be refused; returns its error code.
    std::string Recusado(const std::string& comando) {
        EXPECT_EQ(Envia(comando), 0) << comando;
        EXPECT_EQ(Campo(resposta_, 2, 1), "-") << comando << " -> " << resposta_;
        return Campo(resposta_, 21, 2);
    }

    // Sets the printer's clock: ".35" hhmmss ddmmyy.
    void Relogio(const std::string& hhmmss, const std::string& ddmmyy) {
        Aceito(".35" + hhmmss + ddmmyy);
    }
    void CupomCompleto() { Aceitos({".17", kItem, kPaga100, ".12"}); }
    std::string Coo() { return Campo(Aceito(".5609"), 5, 4); }
    std::string Ccf() { return Campo(Aceito(".271"), 115, 4); }

    // A reading sent to the file: the data of every block up to "]".
    std::vector<std::string> LeParaArquivo(const std::string& comando) {
        std::vector<std::string> blocos;
        std::string atual = comando;
        for (int numero = 1;; ++numero) {
            EXPECT_EQ(Envia(atual, 1, 100), 0);
            if (numero > 1 && Campo(resposta_, 2, 1) == "]") break;
            EXPECT_EQ(Campo(resposta_, 1, 2), "@+") << resposta_;
            EXPECT_EQ(Campo(resposta_, 3, 4), Digitos4(numero));
            std::size_t fecho = resposta_.find('}', 6);
            EXPECT_EQ(fecho, resposta_.size() - 1) << "one \"}\", at the end: " << resposta_;
            if (fecho == std::string::npos || numero > 100000) {
                ADD_FAILURE() << "no end of reading";
                break;
            }
            blocos.push_back(resposta_.substr(6, fecho - 6));
            atual = ".++";
        }
        return blocos;
    }

    std::filesystem::path Pasta() const { return pasta_.Caminho(); }
    std::filesystem::path Estado() const { return pasta_.Caminho() / "ZubSim-estado.txt"; }
    std::string Bobina() const { return LeArquivo(pasta_.Caminho() / "ZubSim-bobina.txt"); }

    std::string resposta_;
    std::string arquivo_;

private:
    static std::string Digitos4(int n) {
        std::string texto = std::to_string(n);
        return std::string(texto.size() < 4 ? 4 - texto.size() : 0, '0') + texto;
    }
    tavorin::teste::DiretorioTemporario pasta_;
};

}  // namespace zubsim::teste
