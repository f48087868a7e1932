// The printer link: one state for the whole run, shared by every window,
// and the operations that send a command and read its answer back.
//
// Everything here is 8-bit text as the printer and the driver use it;
// the windows convert for display.
#pragma once

#include "troca.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace tavorin {

class TravaDePasta;

// Port on which the printer answered; 0 until a probe succeeds.
extern int32_t Porta;
// First line of the last answer, without its line end.
extern std::string Resposta;
// Second character of Resposta, or empty when the line is shorter.
extern std::string Status;

// Characters `tamanho` characters long from position `posicao` (counted
// from 1); empty past the end, cut short where the text ends.
std::string Mid(const std::string& texto, std::size_t posicao, std::size_t tamanho);

// One exchange, exclusive among every Tavorin process using this working
// directory (the lock beside the answer file, waited for up to
// LimiteDaTrava()): removes the previous answer file, calls the driver's
// TXRX and reads the answer back, so another program's command can
// neither take this answer nor leave its own to be read as this one's.
// When the previous answer file cannot be removed it is emptied where it
// stands; when even that fails the command is sent anyway and the answer
// is taken only if the file changed. When the lock cannot be had, nothing
// is sent and no file is read. Every exchange is recorded in the exchange
// log (registro.h).
Troca FazTroca(int32_t porta, int32_t espera, const std::string& comando);

// The answer line of the last exchange, as it read the first line of
// RespZub.txt (at most kMaxResposta bytes of a regular file); empty when
// it sent nothing or found no answer.
std::string LeResposta();

// Sends one command: its exchange's answer becomes Resposta and Status.
// EnviaComando returns the driver's result; EnviaTroca the whole exchange.
Troca EnviaTroca(int32_t porta, int32_t espera, const std::string& comando);
int16_t EnviaComando(int32_t porta, int32_t espera, const std::string& comando);

// Opens `porta` and probes it with ".28": found when the probe was sent
// and answered "+" (Porta becomes `porta` and the port stays open). Sonda
// tells the probe's exchange; when Abre failed nothing is sent and the
// exchange says so (PortaFechada, with Abre's result).
Troca Sonda(int32_t porta);
// 0 when found, -1 otherwise.
int32_t AbreImpressora(int32_t porta);
// The probe's answer was "+".
bool Respondeu(const Troca& sonda);

// The printer's clock from the last ".28" answer, as shown to the operator.
std::string TextoRelogio();

// How long an exchange waits for another Tavorin program's exchange in the
// same folder to end (30 s: longer than any command but a reading printed
// on paper); tests shorten it.
std::chrono::milliseconds LimiteDaTrava();
void PoeLimiteDaTrava(std::chrono::milliseconds limite);
// Asked as an exchange starts and while it waits for the folder's lock:
// true sends nothing (a program told to stop, a window closing). The
// exchange under way when it turns true is finished.
void PoeInterrupcao(std::function<bool()> interromper);

// The folder's lock held by this thread for a whole sequence: its
// exchanges meanwhile take it without waiting. Tried for `limite` (0:
// once), so a sequence that must not wait (a clock tick) is skipped instead.
class VezDaPasta {
public:
    explicit VezDaPasta(std::chrono::milliseconds limite);
    ~VezDaPasta();
    VezDaPasta(const VezDaPasta&) = delete;
    VezDaPasta& operator=(const VezDaPasta&) = delete;
    bool Obtida() const;
    // Not obtained because the program was told to stop while it waited.
    bool Interrompida() const;

private:
    std::unique_ptr<TravaDePasta> trava_;  // none when an outer one holds it
};

}  // namespace tavorin
