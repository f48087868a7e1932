// The driver as the printer maker ships it: a library found by file name
// at the first call, in the program's own folder first and then on the
// platform's search path, as Windows looks for a DLL.
#pragma once

#include "driver.h"
#include "zub_dll3.h"

#include <mutex>
#include <string>

namespace tavorin {

class DriverLibrary : public Driver {
public:
    explicit DriverLibrary(std::string arquivo = kBibliotecaDriver);
    ~DriverLibrary() override;
    DriverLibrary(const DriverLibrary&) = delete;
    DriverLibrary& operator=(const DriverLibrary&) = delete;

    // A library that cannot be loaded makes every call fail as a driver
    // would: Abre, Fecha and TXRX return negative and no answer is written.
    int16_t Abre(int16_t porta) override;
    int16_t Fecha(int16_t porta) override;
    int16_t TXRX(int16_t porta, int16_t espera, const char* comando) override;

    // Loads the library if it is not loaded yet; false when it cannot be.
    bool Carrega();
    const FalhaDriver& Falha() const { return falha_; }
    // Full path of the file that was loaded (UTF-8 on Windows); empty before.
    // Safe from any thread: the "Comunicação" window asks while the link's
    // own thread may be loading the library.
    std::string Carregado() const {
        std::lock_guard<std::mutex> trava(caminhoTrava_);
        return caminho_;
    }

    static constexpr int16_t kSemDriver = -1;

private:
    std::string arquivo_;
    mutable std::mutex caminhoTrava_;
    std::string caminho_;
    void* modulo_ = nullptr;
    ZubAbre abre_ = nullptr;
    ZubFecha fecha_ = nullptr;
    ZubTXRX txrx_ = nullptr;
    FalhaDriver falha_;
};

// Folder of the running program, with a trailing separator; empty if
// unknown. UTF-8 on Windows, whatever the ANSI code page.
std::string PastaDoPrograma();

}  // namespace tavorin
