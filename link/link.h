// The printer link: one state for the whole run, shared by every window,
// and the operations that send a command and read its answer back.
//
// Everything here is 8-bit text as the printer and the driver use it;
// the windows convert for display.
#pragma once

#include <cstdint>
#include <string>

namespace tavorin {

// Port on which the printer answered; 0 until a probe succeeds.
extern int32_t Porta;
// First line of the last answer, without its line end.
extern std::string Resposta;
// Second character of Resposta, or empty when the line is shorter.
extern std::string Status;

// Characters `tamanho` characters long from position `posicao` (counted
// from 1); empty past the end, cut short where the text ends.
std::string Mid(const std::string& texto, std::size_t posicao, std::size_t tamanho);

// First line of RespZub.txt, without its line end, as the last TXRX read
// it (at most kMaxResposta bytes of a regular file); empty when the file
// is missing, unreadable or not a regular file, and when it was held and
// did not change. Called again without a TXRX between, it reads the file.
std::string LeResposta();

// Sends one command and reads its answer into Resposta and Status.
// Returns the driver's result.
int16_t EnviaComando(int32_t porta, int32_t espera, const std::string& comando);

// Opens `porta` and probes it with ".28". 0 when the printer answered "+"
// (Porta becomes `porta` and the port stays open), -1 otherwise.
int32_t AbreImpressora(int32_t porta);

// The printer's clock from the last ".28" answer, as shown to the operator.
std::string TextoRelogio();

}  // namespace tavorin
