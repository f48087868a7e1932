#include "driver.h"

#include "arquivo_resposta.h"
#include "driver_library.h"
#include "link.h"
#include "registro.h"
#include "zub_dll3.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <optional>
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

ContaDaTroca conta;
bool presaAntes = false;
std::optional<std::string> respostaPendente;
std::chrono::milliseconds limiteDaTrava(30000);
std::map<int16_t, bool> portasEmUso;

}  // namespace

Driver* InstalaDriver(Driver* driver) {
    Driver* anterior = instalado;
    instalado = driver;
    abertas.clear();
    portasEmUso.clear();
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

std::vector<Tentativa> TentativasDoDriver() {
    if (auto* biblioteca = dynamic_cast<DriverLibrary*>(&Atual())) return biblioteca->Tentativas();
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
    portasEmUso[porta16] = resultado == kPortaEmUso;
    // A new operation: what the last exchange met belongs to the one before.
    conta = ContaDaTroca{};
    if (resultado == kPortaEmUso) conta.portaEmUso = porta;
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
    respostaPendente.reset();
    conta = ContaDaTroca{};
    if (PortaEmUso(porta)) conta.portaEmUso = porta;
    {
        TravaDePasta trava(kArquivoTrava, limiteDaTrava);
        if (!trava.Obtida()) {
            conta.enviado = false;
            troca.resultado = kNaoEnviado;
            troca.nota = "nada enviado: outro programa do Tavorin nesta pasta não liberou " + std::string(kArquivoTrava);
        } else {
            // A driver that writes no answer must not leave the previous
            // command's answer to be read as this one's. A file that cannot
            // be removed (a driver that keeps it open, a protected file) is
            // emptied where it stands; failing that, what stood there is
            // remembered, and only a change counts as an answer.
            conta.respostaPresa = !RemoveArquivo(kArquivoResposta);
            const bool comparar = conta.respostaPresa && !EsvaziaArquivo(kArquivoResposta);
            const Retrato antes = comparar ? Retrata(kArquivoResposta) : Retrato{};
            troca.resultado = Atual().TXRX(Para16(porta), Para16(espera), comando.c_str());
            std::string bytes;
            if (comparar) {
                const Retrato depois = Retrata(kArquivoResposta);
                conta.semRespostaNova = !depois.regular || depois == antes;
                if (!conta.semRespostaNova) bytes = depois.inicio;
                // Written after what was there (a file that only takes
                // appends): the answer is what was added.
                if (!conta.semRespostaNova && antes.regular && !antes.inicio.empty() &&
                    bytes.compare(0, antes.inicio.size(), antes.inicio) == 0)
                    bytes.erase(0, antes.inicio.size());
            } else {
                LeInicio(kArquivoResposta, bytes);
            }
            troca.resposta = PrimeiraLinha(bytes);
            respostaPendente = troca.resposta;
            conta.avisa = conta.respostaPresa && !presaAntes;
            presaAntes = conta.respostaPresa;
            if (conta.avisa) troca.nota = "arquivo de resposta preso por outro programa";
            // No library, so nothing reached a printer: the log says why.
            if (const FalhaDriver falha = FalhaDoDriver(); falha.Houve())
                troca.nota += (troca.nota.empty() ? "" : "; ") + DescreveFalha(falha);
        }
    }
    troca.duracao = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - inicio);
    RegistraTroca(troca);
    return troca.resultado;
}

const ContaDaTroca& UltimaTroca() { return conta; }

bool RespostaPresa() { return conta.respostaPresa; }

bool TomaResposta(std::string& linha) {
    if (!respostaPendente) return false;
    linha = std::move(*respostaPendente);
    respostaPendente.reset();
    return true;
}

std::chrono::milliseconds LimiteDaTrava() { return limiteDaTrava; }

void PoeLimiteDaTrava(std::chrono::milliseconds limite) { limiteDaTrava = limite; }

bool PortaEmUso(int32_t porta) {
    const auto achada = portasEmUso.find(Para16(porta));
    return achada != portasEmUso.end() && achada->second;
}

int32_t PortaAberta() { return abertas.empty() ? -1 : abertas.back(); }

void FechaPortasAbertas() {
    // Fecha takes each port off the list.
    while (!abertas.empty()) Fecha(abertas.back());
}

}  // namespace tavorin
