// The seam between the program and whichever driver it talks to. The
// windows and the link call Abre and Fecha below, and the link's exchange
// (link.h) TXRX, and never learn whether the printer maker's library, the
// simulated printer or a test's fake driver answers.
#pragma once

#include "troca.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tavorin {

class Driver {
public:
    virtual ~Driver() = default;
    virtual int16_t Abre(int16_t porta) = 0;
    virtual int16_t Fecha(int16_t porta) = 0;
    virtual int16_t TXRX(int16_t porta, int16_t espera, const char* comando) = 0;
};

// One place the loader looked for the driver library, in the order it
// looked, and what it met there.
struct Tentativa {
    enum class Achado {
        Ausente,      // nothing by that name
        NaoRegular,   // something that is not a regular file (detalhe: what)
        NaoCarregou,  // a file the system did not load (detalhe: the system's reason)
        SemFuncao,    // loaded, but an export is missing (detalhe: which)
        Carregada,    // loaded and in use (detalhe: its full path)
    };
    // The full path tried (UTF-8), or the system's own search.
    std::string lugar;
    Achado achado = Achado::Ausente;
    std::string detalhe;
    bool operator==(const Tentativa& outra) const {
        return lugar == outra.lugar && achado == outra.achado && detalhe == outra.detalhe;
    }
};

// What the library's functions did to the stack. On 32-bit Windows the
// printer maker's callers (Visual Basic 6 programs) expect __stdcall: each
// function removes its own arguments, 4, 4 and 12 bytes for Abre, Fecha
// and TXRX; a cdecl one removes none. The loader measures every call there
// and puts the stack right whatever it finds, so such a driver still works.
struct Convencao {
    bool seMede = false;  // a 32-bit Windows build that measures
    // Bytes each function removed at its calls (Abre, Fecha, TXRX): the
    // first count that differs from __stdcall's stays; none when not called.
    std::array<std::optional<int32_t>, 3> retirados;
    static constexpr std::array<int32_t, 3> kArgumentos{4, 4, 12};
    static constexpr std::array<const char*, 3> kFuncoes{"Abre", "Fecha", "TXRX"};

    enum class Tipo {
        NaoSeAplica,  // no __stdcall here, or this build does not measure
        NaoMedida,    // no function called yet
        Stdcall,      // every function measured removed its arguments
        Cdecl,        // none removed anything
        Outra,        // some other count, or a mix
    };
    Tipo Qual() const;
};

// "__stdcall (Abre retirou 4 bytes da pilha, TXRX 12)", "cdecl, não
// __stdcall: …", "não se aplica: …". UTF-8.
std::string DescreveConvencao(const Convencao& convencao);

// The operator's sentence for a failure: "Biblioteca do driver não
// encontrada: Zub_Dll3.dll", "… sem a função TXRX: …", or that it was
// found and not loaded, where and why. UTF-8; empty when there was none.
std::string DescreveFalha(const FalhaDriver& falha);

// One place looked at, as one line: where, and what was there. UTF-8.
std::string DescreveTentativa(const Tentativa& tentativa);

// Puts `driver` in place of the library for every later call; nullptr goes
// back to the library. Returns the driver that was in place (nullptr for
// the library). The caller keeps ownership.
Driver* InstalaDriver(Driver* driver);

// A driver in place for a scope: however the scope ends (an exception
// included), the ports opened through it are closed through it, and the
// driver that was in place comes back.
class DriverNoLugar {
public:
    explicit DriverNoLugar(Driver* driver) : anterior_(InstalaDriver(driver)) {}
    ~DriverNoLugar();
    DriverNoLugar(const DriverNoLugar&) = delete;
    DriverNoLugar& operator=(const DriverNoLugar&) = delete;

private:
    Driver* anterior_;
};

// The load failure of the driver in place, when it is a library that
// could not be loaded at its last call.
FalhaDriver FalhaDoDriver();

// Full path of the library the driver in place loaded; empty while it has
// loaded none, or when the driver in place is not a library.
std::string BibliotecaDoDriver();

// Every place the driver in place looked for its library at its last
// load, in order; empty when it is not a library or has not looked yet.
// Safe from any thread.
std::vector<Tentativa> TentativasDoDriver();

// What the library in place measured of its calls (above); not measured
// when the driver in place is not a library. Safe from any thread.
Convencao ConvencaoDoDriver();
// Once per library, when a call was not __stdcall: a note for the
// exchange log (UTF-8); empty otherwise.
std::string AvisoDeConvencao();

// Narrows a port number or wait limit to the driver's 16-bit integer,
// keeping the low 16 bits as a 16-bit signed integer argument does.
int16_t Para16(int32_t valor);

// The driver's three functions as every window calls them, with the link's
// 32-bit port number narrowed on the way.
int16_t Abre(int32_t porta);
int16_t Fecha(int32_t porta);

// The driver in place: the one installed, or the library.
Driver& DriverAtual();

// The driver's result when the last Abre of `porta` failed; nothing when it
// opened, or was never opened.
std::optional<int16_t> AbreRecusado(int32_t porta);

// `porta` was opened and not closed since.
bool PortaEstaAberta(int32_t porta);

// The last port opened and not closed since, or -1 when every port opened
// has been closed again.
int32_t PortaAberta();
// Closes, once each, every port opened and not closed since, so a port
// that a window left open is closed when the program ends.
void FechaPortasAbertas();

}  // namespace tavorin
