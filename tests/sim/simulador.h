// Drives the simulated printer through its three exported functions, as
// the program does, in a fresh working directory per test with every
// ZUBSIM_* setting cleared.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "ambiente.h"
#include "respostas.h"
#include "zubsim.h"

namespace zubsim::teste {

using namespace tavorin::teste;

class Simulador : public ::testing::Test {
protected:
    void SetUp() override {
        AmbienteDoSimulador(pasta_.Caminho());
        // Ports left open by an earlier test in this process.
        for (int16_t porta = 1; porta <= 8; ++porta) Fecha(porta);
    }

    // Abre, then TXRX, as the program sends every command.
    int16_t Envia(const std::string& comando, int16_t porta = 1, int16_t espera = 10) {
        Abre(porta);
        return Troca(porta, espera, comando.c_str());
    }
    // TXRX alone; keeps the answer file's content and its first line.
    int16_t Troca(int16_t porta, int16_t espera, const char* comando) {
        std::filesystem::remove(tavorin::kArquivoResposta);
        const int16_t resultado = TXRX(porta, espera, comando);
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
    // Sends each command in turn; its answer must hold what follows it:
    // "+" (accepted) or "-" and the error code, then "position=value" fields.
    void Roteiro(const std::vector<std::pair<std::string, std::string>>& passos) {
        for (const auto& [comando, esperado] : passos) {
            std::istringstream partes(esperado);
            std::string parte;
            partes >> parte;
            EXPECT_EQ(Envia(comando), 0) << comando;
            EXPECT_EQ(Campo(resposta_, 2, 1) + (parte[0] == '-' ? Campo(resposta_, 21, 2) : ""), parte)
                << comando << " -> " << resposta_;
            while (partes >> parte) {
                const std::size_t igual = parte.find('='), posicao = std::stoul(parte.substr(0, igual));
                EXPECT_EQ(Campo(resposta_, posicao, parte.size() - igual - 1), parte.substr(igual + 1))
                    << comando << " at " << posicao << ": " << resposta_;
            }
        }
    }
    // Sends a command that must be refused; returns its error code.
    std::string Recusado(const std::string& comando) {
        EXPECT_EQ(Envia(comando), 0) << comando;
        EXPECT_EQ(Campo(resposta_, 2, 1), "-") << comando << " -> " << resposta_;
        return Campo(resposta_, 21, 2);
    }

    void Relogio(const std::string& hhmmss, const std::string& ddmmyy) { Aceito(".35" + hhmmss + ddmmyy); }
    void CupomCompleto() { Aceitos({".17", kItem, kPaga100, ".12"}); }
    std::string Coo() { return Campo(Aceito(".5609"), 5, 4); }

    // A reading sent to the file: the data of every block up to "]", each
    // block numbered and closed by its only "}".
    std::vector<std::string> LeParaArquivo(const std::string& comando) {
        std::vector<std::string> blocos;
        for (std::string atual = comando;; atual = ".++") {
            EXPECT_EQ(Envia(atual, 1, 100), 0);
            if (atual == ".++" && Campo(resposta_, 2, 1) == "]") return blocos;
            const std::string numero = std::to_string(blocos.size() + 1);
            EXPECT_EQ(Campo(resposta_, 1, 6), "@+" + std::string(4 - numero.size(), '0') + numero) << resposta_;
            const std::size_t fecho = resposta_.find('}', 6);
            if (fecho != resposta_.size() - 1 || blocos.size() > 1000) {
                ADD_FAILURE() << "not a block: " << resposta_;
                return blocos;
            }
            blocos.push_back(resposta_.substr(6, fecho - 6));
        }
    }
    static bool Tem(const std::string& texto, const std::string& trecho) {
        return texto.find(trecho) != std::string::npos;
    }

    std::filesystem::path Pasta() const { return pasta_.Caminho(); }
    std::filesystem::path Estado() const { return pasta_.Caminho() / "ZubSim-estado.txt"; }
    std::string Bobina() const { return LeArquivo(pasta_.Caminho() / "ZubSim-bobina.txt"); }

    std::string resposta_;
    std::string arquivo_;

private:
    DiretorioTemporario pasta_;
};

}  // namespace zubsim::teste
