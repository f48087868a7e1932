// A driver for tests, benchmarks and fuzz targets, in place of the library
// while it exists: records every call with its port, wait limit and
// command, and answers from a script. It writes each answer into the
// answer file as a real driver does, so the link's own reading is
// exercised too.
#pragma once

#include "driver.h"
#include "zub_dll3.h"

#include <condition_variable>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace tavorin::teste {

struct Chamada {
    enum class Funcao { Abre, Fecha, TXRX };
    Funcao funcao;
    int16_t porta = 0;
    int16_t espera = 0;   // TXRX only
    std::string comando;  // TXRX only

    bool operator==(const Chamada& o) const {
        return funcao == o.funcao && porta == o.porta && espera == o.espera && comando == o.comando;
    }
};

inline Chamada ChAbre(int16_t porta) { return {Chamada::Funcao::Abre, porta, 0, {}}; }
inline Chamada ChFecha(int16_t porta) { return {Chamada::Funcao::Fecha, porta, 0, {}}; }
inline Chamada ChTXRX(int16_t porta, int16_t espera, std::string comando) {
    return {Chamada::Funcao::TXRX, porta, espera, std::move(comando)};
}

// The calls one per line, for a failure message.
inline std::string Descreve(const std::vector<Chamada>& chamadas) {
    std::string texto;
    for (const auto& c : chamadas) {
        const bool txrx = c.funcao == Chamada::Funcao::TXRX;
        texto += (txrx ? "TXRX(" : c.funcao == Chamada::Funcao::Abre ? "Abre(" : "Fecha(") + std::to_string(c.porta);
        texto += txrx ? ", " + std::to_string(c.espera) + ", \"" + c.comando + "\")\n" : ")\n";
    }
    return texto;
}

// What the fake does for one TXRX.
struct Atendimento {
    std::optional<std::string> linha;  // nullopt: writes no answer file at all
    int16_t resultado = 0;
    bool semFimDeLinha = false;  // the line's bytes alone, no CR LF after them
};

// The fake driver's latch: the next TXRX of `comando`, once recorded,
// waits inside the driver until Solta(). The windows call the driver on the
// link's thread while the test looks on from the window thread. A waiter
// on another thread (AoChegar) shares it, and may outlive the driver.
class TrincoDoFake {
public:
    void Segura(const std::string& comando) {
        std::lock_guard<std::mutex> guarda(trava_);
        segura_ = comando;
        chegou_ = false;
    }
    void Solta() {
        std::lock_guard<std::mutex> guarda(trava_);
        segura_.reset();
        mudou_.notify_all();
    }
    // Until the command arrives, or is let go without arriving: whether it
    // arrived.
    bool EsperaChegar() {
        std::unique_lock<std::mutex> guarda(trava_);
        mudou_.wait(guarda, [&] { return chegou_ || !segura_; });
        return chegou_;
    }
    // In TXRX.
    void Passa(const std::string& comando) {
        std::unique_lock<std::mutex> guarda(trava_);
        if (segura_ != comando) return;
        chegou_ = true;
        mudou_.notify_all();
        mudou_.wait(guarda, [&] { return segura_ != comando; });
    }

private:
    std::mutex trava_;
    std::condition_variable mudou_;
    std::optional<std::string> segura_;
    bool chegou_ = false;
};

class FakeDriver : public Driver {
public:
    FakeDriver() : anterior_(InstalaDriver(this)) {}
    ~FakeDriver() override {
        Solta();
        InstalaDriver(anterior_);
    }

    int16_t Abre(int16_t porta) override {
        chamadas.push_back(ChAbre(porta));
        return abrePadrao;
    }
    int16_t Fecha(int16_t porta) override {
        chamadas.push_back(ChFecha(porta));
        return 0;
    }
    int16_t TXRX(int16_t porta, int16_t espera, const char* comando) override {
        chamadas.push_back(ChTXRX(porta, espera, comando));
        trinco_->Passa(comando);
        if (durante) durante(chamadas.back());
        std::optional<Atendimento> atendimento;
        if (auto& fila = filas_[comando]; !fila.empty()) {
            atendimento = fila.front();
            fila.pop_front();
        } else if (porComando) {
            atendimento = porComando(porta, comando);
        }
        const Atendimento escolhido = atendimento.value_or(respostaPadrao);
        if (escolhido.linha) {
            const std::string bytes = *escolhido.linha + (escolhido.semFimDeLinha ? "" : "\r\n");
            if (grava)
                grava(bytes);
            else
                std::ofstream(pastaDaResposta / kArquivoResposta, std::ios::binary) << bytes;
        }
        return escolhido.resultado;
    }

    int16_t abrePadrao = 0;  // Abre's result on every port
    // Where the answer file is written: the working folder, or elsewhere,
    // as a driver that keeps its own folder would.
    std::filesystem::path pastaDaResposta;
    // Writes the answer in place of the above, as a driver that keeps the
    // file open between commands does.
    std::function<void(const std::string& bytes)> grava;

    // Answers queued per command text; a command with an empty queue gets
    // `porComando` (if set and it answers), then `respostaPadrao`.
    void Enfileira(const std::string& comando, Atendimento atendimento) { filas_[comando].push_back(atendimento); }
    void Enfileira(const std::string& comando, const std::string& linha) { Enfileira(comando, Atendimento{linha, 0}); }
    std::function<std::optional<Atendimento>(int16_t porta, const std::string& comando)> porComando;
    Atendimento respostaPadrao{std::string(), 0};

    // Runs inside TXRX, after the call is recorded and before the answer is
    // written: lets a test look at the window while the command "blocks".
    std::function<void(const Chamada&)> durante;

    std::vector<Chamada> chamadas;
    void Limpa() { chamadas.clear(); }

    // A latch, for a test that acts while a command runs (TrincoDoFake).
    void Segura(const std::string& comando) { trinco_->Segura(comando); }
    void Solta() { trinco_->Solta(); }
    std::shared_ptr<TrincoDoFake> Partilha() const { return trinco_; }

private:
    Driver* anterior_;
    std::shared_ptr<TrincoDoFake> trinco_ = std::make_shared<TrincoDoFake>();
    std::map<std::string, std::deque<Atendimento>> filas_;
};

}  // namespace tavorin::teste
