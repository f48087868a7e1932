// The driver as the printer maker ships it: a library found by file name
// at the first call, in the program's own folder first and then where the
// system keeps its libraries, never in the working folder.
#pragma once

#include "driver.h"
#include "zub_dll3.h"

#include <initializer_list>
#include <mutex>
#include <string>
#include <vector>

namespace tavorin {

class DriverLibrary : public Driver {
public:
    // `arquivo` is a file name, looked for as above; a path (with a folder
    // in it) is the one place looked at.
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
    // The first file found by the name is the driver: when it cannot be
    // used, no later place is tried (the simulated printer's broken copy
    // beside the program must not hand the commands to a real printer's
    // driver installed on the system).
    bool Carrega();
    // These are safe from any thread: the "Comunicação" window asks while
    // the link's own thread may be loading the library.
    FalhaDriver Falha() const;
    // Full path of the file that was loaded (UTF-8 on Windows); empty before.
    std::string Carregado() const;
    // Where the last load looked, in order, and what it met at each place.
    std::vector<Tentativa> Tentativas() const;
    // What its functions did to the stack so far (driver.h).
    Convencao ConvencaoMedida() const;
    // The exchange log's note, the first time a call was not __stdcall.
    std::string AvisoDeConvencao();

    static constexpr int16_t kSemDriver = -1;

private:
    std::string arquivo_;
    mutable std::mutex trava_;
    std::string caminho_;
    FalhaDriver falha_;
    std::vector<Tentativa> tentativas_;
    void* modulo_ = nullptr;
    ZubAbre abre_ = nullptr;
    ZubFecha fecha_ = nullptr;
    ZubTXRX txrx_ = nullptr;
    Convencao convencao_;
    bool avisou_ = false;
    // Calls function `qual` (0 Abre, 1 Fecha, 2 TXRX) through the stack
    // measuring shim where there is one, and keeps what it measured.
    int16_t Chama(std::size_t qual, void* funcao, std::initializer_list<uint32_t> argumentos);
};

// Folder of the running program, with a trailing separator; empty if
// unknown. UTF-8 on Windows, whatever the ANSI code page.
std::string PastaDoPrograma();

// Takes the working folder (and, where the system allows, PATH) out of the
// system's search for every library the process loads by name from now
// on. Called first thing in each program's main; nothing elsewhere.
void ProtegeBuscaDeBibliotecas();

}  // namespace tavorin
