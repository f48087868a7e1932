// The driver library's three functions over the simulated printer: the
// ports, the wire timing and the answer file.
#include <array>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "ambiente.h"
#include "arquivo.h"
#include "arquivo_atomico.h"
#include "calendario.h"
#include "espera_na_pasta.h"
#include "impressora.h"
#include "variaveis.h"
#include "zubsim.h"

namespace {

using namespace zubsim;

// Ports 1 to 8 exist, as COM1-COM8 would.
constexpr int kPortas = 8;

// Bytes the wire adds to each message, each way: a start byte, an end
// byte and a two-byte check.
constexpr std::size_t kMoldura = 4;

// One port exchanges one message at a time: calls from several threads
// queue here as they would on the line.
std::mutex trava;
std::array<bool, kPortas + 1> abertas{};
// A port held open by this process, as a lock in the printer's folder that
// other processes see (and that dies with this one): a serial port has
// one user at a time.
std::array<std::unique_ptr<Trava>, kPortas + 1> donas;
Ambiente ambiente;

bool Existe(int16_t porta) { return porta >= 1 && porta <= kPortas; }

// Ten bits a character on the wire: start, eight data bits, stop.
std::chrono::microseconds TempoNaLinha(std::size_t caracteres, long baud) {
    return std::chrono::microseconds(static_cast<long long>(caracteres) * 10 * 1000000LL / baud);
}

// The time a printer needs to print `linhas` lines at its speed.
std::chrono::microseconds TempoDeImpressao(std::size_t linhas, double linhasPorSegundo) {
    if (linhasPorSegundo <= 0) return std::chrono::microseconds(0);
    return std::chrono::microseconds(static_cast<long long>(static_cast<double>(linhas) * 1e6 / linhasPorSegundo));
}

int16_t SemResposta(int16_t espera) {
    if (ambiente.Cronometrada() && espera > 0) std::this_thread::sleep_for(std::chrono::seconds(espera));
    // The driver still leaves an answer file, holding an empty line.
    return GravaSimples(tavorin::kArquivoResposta, "\r\n") ? kSemResposta : kFalhaResposta;
}

// A test's latch, so that it acts while a command runs without guessing
// how long that takes: the command named by ZUBSIM_SEGURA, arriving while
// the pause file is in the printer's folder, says so in the arrival file
// and waits, however long, until the pause file is gone. Then it is
// carried out as ever.
void SeguraSePedido(const std::string& comando) {
    if (ambiente.segura.empty() || comando != ambiente.segura) return;
    std::error_code erro;
    const std::filesystem::path pausa = ambiente.diretorio / kArquivoPausa;
    if (!std::filesystem::exists(pausa, erro)) return;
    comum::GravaAtomico(ambiente.diretorio / kArquivoChegou, comando + "\n", false);
    comum::EsperaNaPasta(ambiente.diretorio, [&] { return !std::filesystem::exists(pausa, erro); });
}

}  // namespace

extern "C" ZUBSIM_EXPORTA int16_t ZUBSIM_CHAMADA Abre(int16_t porta) {
    try {
        std::lock_guard<std::mutex> guarda(trava);
        ambiente = LeAmbiente();
        if (!Existe(porta)) return kPortaFechada;
        // Opening an open port is fine: the clock window does it every second.
        if (!donas[porta]) {
            std::error_code erro;
            std::filesystem::create_directories(ambiente.diretorio, erro);
            auto dona = std::make_unique<Trava>(
                ambiente.diretorio / ("ZubSim-porta" + std::to_string(porta) + ".trava"), false);
            if (dona->Ocupada()) return kPortaOcupada;
            donas[porta] = std::move(dona);
        }
        abertas[porta] = true;
        return kOk;
    } catch (...) {
        return kPortaFechada;
    }
}

extern "C" ZUBSIM_EXPORTA int16_t ZUBSIM_CHAMADA Fecha(int16_t porta) {
    try {
        std::lock_guard<std::mutex> guarda(trava);
        if (!Existe(porta)) return kPortaFechada;
        abertas[porta] = false;
        donas[porta].reset();
        return kOk;
    } catch (...) {
        return kPortaFechada;
    }
}

extern "C" ZUBSIM_EXPORTA int16_t ZUBSIM_CHAMADA TXRX(int16_t porta, int16_t espera,
                                                      const char* comando) {
    try {
        std::lock_guard<std::mutex> guarda(trava);
        if (!Existe(porta) || !abertas[porta]) return kPortaFechada;
        std::string texto = comando ? comando : "";
        SeguraSePedido(texto);
        if (ambiente.portaImpressora != porta || ambiente.muda) return SemResposta(espera);

        // The answer file is made ready before the printer does anything:
        // a command whose answer could not be delivered is not carried out.
        ArquivoDeResposta arquivo(tavorin::kArquivoResposta);
        if (!arquivo.Pronto()) return kFalhaResposta;
        std::chrono::microseconds tempo{0};
        bool perdida = false;
        std::size_t linhas = 0;
        auto entrega = [&](const std::string& resposta) {
            // The printer answers once it has printed what the command
            // puts on the paper roll.
            if (ambiente.baud > 0) tempo = TempoNaLinha(texto.size() + resposta.size() + 2 * kMoldura, ambiente.baud);
            tempo += TempoDeImpressao(linhas, ambiente.linhasPorSegundo);
            // An answer that would come after the wait limit is lost,
            // though the printer has carried the command out.
            perdida = ambiente.Cronometrada() && espera > 0 && tempo > std::chrono::seconds(espera);
            return arquivo.Escreve(perdida ? "\r\n" : resposta + "\r\n");
        };
        if (!Executa(texto, ambiente, AgoraNoHost(), entrega, &linhas)) {
            arquivo.Escreve("");
            return kFalhaResposta;
        }
        if (perdida) {
            std::this_thread::sleep_for(std::chrono::seconds(espera));
            return kSemResposta;
        }
        std::this_thread::sleep_for(tempo);
        return kOk;
    } catch (...) {
        return kFalhaResposta;
    }
}
