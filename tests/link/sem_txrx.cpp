// A library that has two of the driver's functions and lacks TXRX: found
// and loaded, and still no driver.
#include <cstdint>

#if defined(_WIN32)
#define EXPORTADA __declspec(dllexport)
#else
#define EXPORTADA __attribute__((visibility("default")))
#endif

extern "C" {
EXPORTADA int16_t Abre(int16_t) { return 0; }
EXPORTADA int16_t Fecha(int16_t) { return 0; }
}
