// The three functions the simulated printer exports under the driver
// library's name. The calling convention comes from ZUBSIM_CHAMADA alone:
// the driver's own (__stdcall on 32-bit Windows), or plain cdecl when the
// library is built with ZUBSIM_CDECL, so a deliberately wrong build can
// prove that the ABI check catches it.
#pragma once

#include <cstdint>

#include "zub_dll3.h"

#if defined(ZUBSIM_CDECL)
#define ZUBSIM_CHAMADA
#else
#define ZUBSIM_CHAMADA ZUB_CHAMADA
#endif

// Only the library's own build exports; everyone else just calls.
#if !defined(ZUBSIM_CONSTRUINDO)
#define ZUBSIM_EXPORTA
#elif defined(_WIN32) && defined(ZUBSIM_COM_DEF)
// Zub_Dll3.def names the exports: a dllexport here would add the decorated
// names (Abre@4, ...) beside the plain ones.
#define ZUBSIM_EXPORTA
#elif defined(_WIN32)
#define ZUBSIM_EXPORTA __declspec(dllexport)
#else
#define ZUBSIM_EXPORTA __attribute__((visibility("default")))
#endif

extern "C" {
ZUBSIM_EXPORTA int16_t ZUBSIM_CHAMADA Abre(int16_t porta);
ZUBSIM_EXPORTA int16_t ZUBSIM_CHAMADA Fecha(int16_t porta);
ZUBSIM_EXPORTA int16_t ZUBSIM_CHAMADA TXRX(int16_t porta, int16_t espera, const char* comando);
}

namespace zubsim {

// Results of the three functions.
inline constexpr int16_t kOk = 0;
inline constexpr int16_t kPortaFechada = -1;     // port closed or nonexistent
inline constexpr int16_t kSemResposta = -2;      // nothing answered within the wait limit
inline constexpr int16_t kFalhaResposta = -3;    // the answer file could not be written
inline constexpr int16_t kPortaOcupada = -4;     // Abre: another process holds the port open

}  // namespace zubsim
