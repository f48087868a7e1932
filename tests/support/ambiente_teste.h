// Scratch working directories for tests (the driver's answer file and
// LeitM.txt live in the working directory) and the simulated printer's
// settings, which it reads from the environment.
#pragma once

#include "espera_na_pasta.h"
#include "variaveis.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <thread>

namespace tavorin::teste {

// Sets (or, with nullptr, removes) an environment variable.
inline void PoeAmbiente(const char* nome, const char* valor) {
#if defined(_WIN32)
    _putenv_s(nome, valor ? valor : "");
#else
    valor ? setenv(nome, valor, 1) : unsetenv(nome);
#endif
}

// Every setting of the simulated printer cleared (port 1, ready, no wire
// or printing time), its state and paper roll kept in `pasta`.
inline void AmbienteDoSimulador(const std::filesystem::path& pasta) {
    for (const char* nome : zubsim::kAjustes) PoeAmbiente(nome, nullptr);
    PoeAmbiente(zubsim::kVariavelPasta, pasta.string().c_str());
}

// A fresh empty directory as the working directory while it exists, for
// the tests, the benchmarks and the fuzz targets; `naMemoria` puts it on
// tmpfs where there is one, for a target that writes files by the million.
class DiretorioTemporario {
public:
    explicit DiretorioTemporario(const std::string& nome = "teste", bool naMemoria = false) {
        namespace fs = std::filesystem;
        const fs::path base = naMemoria && fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
        std::random_device aleatorio;
        do caminho_ = base / ("tavorin-" + nome + "-" + std::to_string(aleatorio()));
        while (!fs::create_directory(caminho_));
        std::filesystem::current_path(caminho_);
    }
    ~DiretorioTemporario() {
        std::error_code erro;
        std::filesystem::current_path(anterior_, erro);
        std::filesystem::remove_all(caminho_, erro);
    }
    const std::filesystem::path& Caminho() const { return caminho_; }

private:
    std::filesystem::path anterior_ = std::filesystem::current_path(), caminho_;
};

// The whole file as bytes; empty when it does not exist.
inline std::string LeArquivo(const std::filesystem::path& caminho) {
    std::ifstream entrada(caminho, std::ios::binary);
    return {std::istreambuf_iterator<char>(entrada), std::istreambuf_iterator<char>()};
}

inline void GravaArquivo(const std::filesystem::path& caminho, const std::string& bytes) {
    std::ofstream(caminho, std::ios::binary) << bytes;
}

// The simulated printer's latch as its two files: what a waiter on another
// thread keeps (AoChegar), which may outlive the latch.
struct PausaNoSimulador {
    std::filesystem::path pausa, chegou;
    bool Chegou() const {
        std::error_code erro;
        return std::filesystem::exists(chegou, erro);
    }
    void Solta() const {
        std::error_code erro;
        std::filesystem::remove(pausa, erro);
    }
    // Until the command arrives, or is let go without arriving: whether it
    // arrived.
    bool EsperaChegar() const {
        std::error_code erro;
        const auto pronto = [&] { return Chegou() || !std::filesystem::exists(pausa, erro); };
        return comum::EsperaNaPasta(pausa.parent_path(), pronto) && Chegou();
    }
};

// The simulated printer's latch, in this process or another one started
// after it: the next `comando` it gets (on a port opened from now on) waits
// inside TXRX until Solta() or the end of this object.
class SeguraNoSimulador : public PausaNoSimulador {
public:
    SeguraNoSimulador(const std::filesystem::path& pasta, const char* comando)
        : PausaNoSimulador{pasta / zubsim::kArquivoPausa, pasta / zubsim::kArquivoChegou} {
        std::error_code erro;
        std::filesystem::create_directories(pasta, erro);
        std::filesystem::remove(chegou, erro);
        GravaArquivo(pausa, "");
        PoeAmbiente(zubsim::kVariavelSegura, comando);
    }
    SeguraNoSimulador(const SeguraNoSimulador&) = delete;
    SeguraNoSimulador& operator=(const SeguraNoSimulador&) = delete;
    ~SeguraNoSimulador() {
        Solta();
        PoeAmbiente(zubsim::kVariavelSegura, nullptr);
    }
    std::shared_ptr<const PausaNoSimulador> Partilha() const { return std::make_shared<const PausaNoSimulador>(*this); }
};

}  // namespace tavorin::teste
