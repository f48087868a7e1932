// The printer maker's driver library, Zub_Dll3, as it exports its three
// functions: undecorated names, __stdcall on 32-bit Windows, 16-bit signed
// integers and a NUL-terminated 8-bit command. Both the program (through
// the loader) and the simulated printer (which exports them) use these
// declarations, so the two cannot drift apart.
#pragma once

#include <cstdint>

#if defined(_WIN32)
#define ZUB_CHAMADA __stdcall
#else
#define ZUB_CHAMADA
#endif

extern "C" {
// Opens the port. Negative: the port was not opened.
typedef int16_t(ZUB_CHAMADA* ZubAbre)(int16_t porta);
// Closes the port.
typedef int16_t(ZUB_CHAMADA* ZubFecha)(int16_t porta);
// Sends one command and waits up to `espera` for the answer, which the
// library writes as the first line of RespZub.txt in the working directory.
typedef int16_t(ZUB_CHAMADA* ZubTXRX)(int16_t porta, int16_t espera, const char* comando);
}

namespace tavorin {

// File name of the library on this platform.
#if defined(_WIN32)
inline constexpr const char* kBibliotecaDriver = "Zub_Dll3.dll";
#else
inline constexpr const char* kBibliotecaDriver = "libZub_Dll3.so";
#endif

// The file in the working directory where the driver leaves each answer.
inline constexpr const char* kArquivoResposta = "RespZub.txt";

}  // namespace tavorin
