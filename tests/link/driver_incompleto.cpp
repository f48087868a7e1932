// A driver library that lacks TXRX, for the loader's test of a library
// that is found but cannot be used.
#include "zub_dll3.h"

#if defined(_WIN32)
#define EXPORTA extern "C" __declspec(dllexport)
#else
#define EXPORTA extern "C" __attribute__((visibility("default")))
#endif

EXPORTA int16_t ZUB_CHAMADA Abre(int16_t) { return 0; }
EXPORTA int16_t ZUB_CHAMADA Fecha(int16_t) { return 0; }
