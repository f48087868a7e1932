#include "driver.h"

#include "driver_library.h"

#include <algorithm>
#include <map>
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
// The result of each port's last Abre.
std::map<int16_t, int16_t> ultimoAbre;

}  // namespace

Driver& DriverAtual() { return instalado ? *instalado : Biblioteca(); }

Driver* InstalaDriver(Driver* driver) {
    Driver* anterior = instalado;
    instalado = driver;
    abertas.clear();
    ultimoAbre.clear();
    return anterior;
}

DriverNoLugar::~DriverNoLugar() {
    FechaPortasAbertas();
    InstalaDriver(anterior_);
}

FalhaDriver FalhaDoDriver() {
    if (auto* biblioteca = dynamic_cast<DriverLibrary*>(&DriverAtual())) return biblioteca->Falha();
    return {};
}

std::string BibliotecaDoDriver() {
    if (auto* biblioteca = dynamic_cast<DriverLibrary*>(&DriverAtual())) return biblioteca->Carregado();
    return {};
}

std::vector<Tentativa> TentativasDoDriver() {
    if (auto* biblioteca = dynamic_cast<DriverLibrary*>(&DriverAtual())) return biblioteca->Tentativas();
    return {};
}

Convencao ConvencaoDoDriver() {
    if (auto* biblioteca = dynamic_cast<DriverLibrary*>(&DriverAtual())) return biblioteca->ConvencaoMedida();
    return {};
}

std::string AvisoDeConvencao() {
    if (auto* biblioteca = dynamic_cast<DriverLibrary*>(&DriverAtual())) return biblioteca->AvisoDeConvencao();
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
    const int16_t resultado = DriverAtual().Abre(porta16);
    ultimoAbre[porta16] = resultado;
    if (resultado >= 0 && std::find(abertas.begin(), abertas.end(), porta16) == abertas.end())
        abertas.push_back(porta16);
    return resultado;
}

int16_t Fecha(int32_t porta) {
    const int16_t porta16 = Para16(porta);
    abertas.erase(std::remove(abertas.begin(), abertas.end(), porta16), abertas.end());
    return DriverAtual().Fecha(porta16);
}

std::optional<int16_t> AbreRecusado(int32_t porta) {
    const auto achado = ultimoAbre.find(Para16(porta));
    if (achado == ultimoAbre.end() || achado->second >= 0) return std::nullopt;
    return achado->second;
}

bool PortaEstaAberta(int32_t porta) {
    return std::find(abertas.begin(), abertas.end(), Para16(porta)) != abertas.end();
}

int32_t PortaAberta() { return abertas.empty() ? -1 : abertas.back(); }

void FechaPortasAbertas() {
    // Fecha takes each port off the list.
    while (!abertas.empty()) Fecha(abertas.back());
}

}  // namespace tavorin
