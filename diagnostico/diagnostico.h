// The technician's diagnostic: everything the program can see of the
// system, the driver library and the printer's ports, in one text report
// to send back when a printer does not answer or a driver behaves as
// nobody expected. On each port it sends only ".28" and ".23", status
// queries: nothing is printed, nothing changes in the printer or its
// fiscal memory.
#pragma once

#include "operacoes.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tavorin {

struct Diagnostico {
    // As the printer test ends: found on a port, none, or no library.
    enum class Desfecho { Encontrada, Nenhuma, SemBiblioteca };
    Desfecho desfecho = Desfecho::Nenhuma;
    int32_t porta = 0;      // where the printer answered
    std::string resumo;     // the outcome in a few words, UTF-8
    std::string relatorio;  // UTF-8, "Nome: valor" lines under "== Seção ==" headings, each ending LF
};

// Runs the diagnostic on the driver in place: the driver library loaded
// first, then each port in turn, with the folder's lock held for each
// port's whole sequence (Abre, ".28", ".23", Fecha), until one answers the
// ".28" with "+". Without a library no port is tried. A port a window of
// the program holds open is neither opened nor closed.
Diagnostico Diagnostica(const std::vector<int32_t>& portas = kPortasProcuradas);

}  // namespace tavorin
