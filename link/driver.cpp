#include "driver.h"

#include "driver_library.h"
#include "link.h"
#include "registro.h"
#include "zub_dll3.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
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

std::atomic<bool> respostaPresa{false};

// False when the previous answer file is still there after trying to
// remove it (read-only or immutable file, another owner's file in a shared
// folder, a directory in its place).
bool RemoveResposta() {
    if (std::remove(kArquivoResposta) == 0 || errno == ENOENT) return true;
    std::error_code erro;
    const bool existe = std::filesystem::exists(std::filesystem::symlink_status(kArquivoResposta, erro));
    // A folder that cannot even be looked into cannot be trusted either.
    return !erro && !existe;
}

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

std::string BibliotecaDoDriver() {
    if (auto* biblioteca = dynamic_cast<DriverLibrary*>(&Atual())) return biblioteca->Carregado();
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
    Troca troca;
    troca.quando = std::chrono::system_clock::now();
    troca.porta = porta;
    troca.espera = espera;
    troca.comando = comando;
    const auto inicio = std::chrono::steady_clock::now();
    // A driver that does not write an answer must not leave the previous
    // command's answer to be read as this one's; when that answer cannot be
    // removed, the command is not sent at all, so nothing is done that the
    // operator would see answered by an old line.
    respostaPresa = !RemoveResposta();
    if (respostaPresa) {
        troca.resultado = kRespostaPresa;
    } else {
        troca.resultado = Atual().TXRX(Para16(porta), Para16(espera), comando.c_str());
        troca.resposta = LeResposta();
    }
    troca.duracao = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - inicio);
    RegistraTroca(troca);
    return troca.resultado;
}

bool RespostaPresa() { return respostaPresa; }

int32_t PortaAberta() { return abertas.empty() ? -1 : abertas.back(); }

void FechaPortasAbertas() {
    // Fecha takes each port off the list.
    while (!abertas.empty()) Fecha(abertas.back());
}

}  // namespace tavorin
