// The tester's settings, read from the ZUBSIM_* environment variables
// (variaveis.h) at every Abre, so a test can change the printer between
// two runs of the same process. The program itself reads none of them.
#pragma once

#include <filesystem>
#include <string>

namespace zubsim {

struct Ambiente {
    int portaImpressora = 1;        // 1-8; 0: no printer on any port
    bool semPapel = false;
    bool foraDeLinha = false;
    bool muda = false;              // the printer never answers
    std::filesystem::path diretorio;  // state and paper roll
    long baud = 0;                  // 0: no wire timing
    double linhasPorSegundo = 0;    // printing speed; 0: prints at once
    std::string segura;             // a command a test holds (ZUBSIM_SEGURA); empty: none
    // A printer with either timing waits its wait limit in seconds.
    bool Cronometrada() const { return baud > 0 || linhasPorSegundo > 0; }
};

Ambiente LeAmbiente();

// Reads one variable (empty when unset).
std::string VariavelDeAmbiente(const char* nome);

}  // namespace zubsim
