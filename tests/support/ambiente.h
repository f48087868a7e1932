// Test helpers shared by every Qt-free test: a scratch working directory
// per test (the driver's answer file and LeitM.txt live in the working
// directory) and portable environment changes for the simulated printer.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace tavorin::teste {

// Sets (or, with nullptr, removes) an environment variable.
inline void PoeAmbiente(const char* nome, const char* valor) {
#if defined(_WIN32)
    _putenv_s(nome, valor ? valor : "");
#else
    if (valor)
        setenv(nome, valor, 1);
    else
        unsetenv(nome);
#endif
}

// Clears every setting of the simulated printer (port 1, ready, no wire
// delay) and keeps its state and paper roll in `pasta`.
inline void AmbienteDoSimulador(const std::filesystem::path& pasta) {
    for (const char* nome : {"ZUBSIM_PORTA", "ZUBSIM_SEM_PAPEL", "ZUBSIM_FORA_DE_LINHA", "ZUBSIM_MUDA", "ZUBSIM_BAUD"})
        PoeAmbiente(nome, nullptr);
    PoeAmbiente("ZUBSIM_DIR", pasta.string().c_str());
}

// Creates a fresh empty directory, makes it the working directory, and on
// destruction goes back and removes it.
class DiretorioTemporario {
public:
    DiretorioTemporario() : anterior_(std::filesystem::current_path()) {
        std::random_device rd;
        std::mt19937_64 gerador(rd());
        auto base = std::filesystem::temp_directory_path();
        for (;;) {
            caminho_ = base / ("tavorin-teste-" + std::to_string(gerador() % 1000000000ULL));
            std::error_code erro;
            if (std::filesystem::create_directory(caminho_, erro)) break;
        }
        std::filesystem::current_path(caminho_);
    }
    ~DiretorioTemporario() {
        std::error_code erro;
        std::filesystem::current_path(anterior_, erro);
        std::filesystem::remove_all(caminho_, erro);
    }
    DiretorioTemporario(const DiretorioTemporario&) = delete;
    DiretorioTemporario& operator=(const DiretorioTemporario&) = delete;

    const std::filesystem::path& Caminho() const { return caminho_; }

private:
    std::filesystem::path anterior_;
    std::filesystem::path caminho_;
};

// Whole file as bytes; empty when it does not exist.
inline std::string LeArquivo(const std::filesystem::path& caminho) {
    std::ifstream entrada(caminho, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(entrada), std::istreambuf_iterator<char>());
}

inline void GravaArquivo(const std::filesystem::path& caminho, const std::string& bytes) {
    std::ofstream saida(caminho, std::ios::binary | std::ios::trunc);
    saida << bytes;
}

}  // namespace tavorin::teste
