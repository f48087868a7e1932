#include "driver.h"

#include "driver_library.h"
#include "zub_dll3.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace tavorin {

namespace {

DriverLibrary& Biblioteca() {
    static DriverLibrary biblioteca;
    return biblioteca;
}

Driver* instalado = nullptr;
// Ports opened and not closed since, in the order they were opened.
std::vector<int16_t> abertas;

Driver& Atual() { return instalado ? *instalado : Biblioteca(); }

}  // namespace

Driver* InstalaDriver(Driver* driver) {
    Driver* anterior = instalado;
    instalado = driver;
    abertas.clear();
    return anterior;
}

FalhaDriver FalhaDoDriver() {
    if (auto* biblioteca = dynamic_cast<DriverLibrary*>(&Atual())) return biblioteca->Falha();
    return {};
}

int16_t Para16(int32_t valor) {
    // Two's complement wrap, spelled out: converting an out-of-range value
    // to a signed type is implementation-defined before C++20.
    uint16_t baixo = static_cast<uint16_t>(static_cast<uint32_t>(valor) & 0xFFFFu);
    return baixo < 0x8000u ? static_cast<int16_t>(baixo) : static_cast<int16_t>(static_cast<int32_t>(baixo) - 0x10000);
}

int16_t Abre(int32_t porta) {
    const int16_t porta16 = Para16(porta);
    const int16_t resultado = Atual().Abre(porta16);
    if (resultado >= 0 && std::find(abertas.begin(), abertas.end(), porta16) == abertas.end())
        abertas.push_back(porta16);
    return resultado;
}

int16_t Fecha(int32_t porta) {
    const int16_t porta16 = Para16(porta);
    abertas.erase(std::remove(abertas.begin(), abertas.end(), porta16), abertas.end());
    return Atual().Fecha(porta16);
}

int16_t TXRX(int32_t porta, int32_t espera, const std::string& comando) {
    // A driver that does not write an answer must not leave the previous
    // command's answer to be read as this one's.
    std::remove(kArquivoResposta);
    return Atual().TXRX(Para16(porta), Para16(espera), comando.c_str());
}

int32_t PortaAberta() { return abertas.empty() ? -1 : abertas.back(); }

void FechaPortasAbertas() {
    // Fecha takes each port off the list.
    while (!abertas.empty()) Fecha(abertas.back());
}

}  // namespace tavorin
