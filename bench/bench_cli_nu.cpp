// The least a program can do to ask the printer for its status: load the
// driver library from beside itself, open port 1, send ".28" once, close.
// The yardstick for bench_cli.
#include "zub_dll3.h"

#include <dlfcn.h>

#include <cstdio>
#include <string>

int main(int, char* argv[]) {
    std::string pasta = argv[0];
    pasta = pasta.substr(0, pasta.find_last_of('/') + 1);
    void* biblioteca = dlopen((pasta + tavorin::kBibliotecaDriver).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!biblioteca) return 3;
    auto abre = reinterpret_cast<ZubAbre>(dlsym(biblioteca, "Abre"));
    auto fecha = reinterpret_cast<ZubFecha>(dlsym(biblioteca, "Fecha"));
    auto txrx = reinterpret_cast<ZubTXRX>(dlsym(biblioteca, "TXRX"));
    if (!abre || !fecha || !txrx) return 3;
    abre(1);
    const int resultado = txrx(1, 3, ".28");
    fecha(1);
    return resultado < 0 ? 2 : 0;
}
