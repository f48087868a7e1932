// The seam between the program and whichever driver it talks to. The
// windows and the link call Abre, Fecha and TXRX below and never learn
// whether the printer maker's library, the simulated printer or a test's
// fake driver answers.
#pragma once

#include <chrono>
#include <cstdint>
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

// Why the driver library could not be used; all empty when it loaded (or
// has not been asked for yet). `arquivo` is the file name looked for.
// When a file was found by that name, `caminho` is where, and either
// `funcao` names an export it lacks or `motivo` says why it was not loaded
// (the system's reason, or what stands there instead of a file).
struct FalhaDriver {
    std::string arquivo;
    std::string funcao;
    std::string caminho;
    std::string motivo;
    bool Houve() const { return !arquivo.empty(); }
    bool Encontrada() const { return !caminho.empty(); }
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

// Narrows a port number or wait limit to the driver's 16-bit integer,
// keeping the low 16 bits as a 16-bit signed integer argument does.
int16_t Para16(int32_t valor);

// The driver's three functions as every window calls them, with the link's
// 32-bit port number narrowed on the way.
int16_t Abre(int32_t porta);
int16_t Fecha(int32_t porta);
// One exchange, exclusive among every Tavorin process using this working
// directory (the lock beside the answer file, waited for up to
// LimiteDaTrava()): removes the previous answer file, calls the driver and
// reads the answer back, so another program's command can neither take
// this answer nor leave its own to be read as this one's. When the
// previous answer file cannot be removed it is emptied where it stands;
// when even that fails the command is sent anyway and the answer is taken
// only if the file changed. Every call is recorded in the exchange log
// (registro.h).
int16_t TXRX(int32_t porta, int32_t espera, const std::string& comando);

// Result of TXRX when the command was not sent. A driver may return the
// same number: UltimaTroca() tells the two apart.
constexpr int16_t kNaoEnviado = -100;

// What the link knows of its last TXRX beyond the driver's result.
struct ContaDaTroca {
    // False: the driver was not called, because another Tavorin program
    // kept the answer file's lock past LimiteDaTrava().
    bool enviado = true;
    // The previous answer file could not be removed (another program
    // holds it, or it is protected).
    bool respostaPresa = false;
    // With respostaPresa: nothing the driver wrote could be told apart
    // from what was there, so no answer was taken.
    bool semRespostaNova = false;
    // The first exchange, after one that found the file free, to find it
    // held: the moment to tell the operator, once.
    bool avisa = false;
    // The port, when Abre found that another program holds it open; 0
    // otherwise.
    int32_t portaEmUso = 0;
};
const ContaDaTroca& UltimaTroca();
// UltimaTroca().respostaPresa.
bool RespostaPresa();
// The answer line the last TXRX read under its lock, handed out once
// (LeResposta takes it); false when it has been taken or there was none.
bool TomaResposta(std::string& linha);

// How long TXRX waits for another Tavorin program's exchange in the same
// folder to end (30 s: longer than any command but a reading printed on
// paper); tests shorten it.
std::chrono::milliseconds LimiteDaTrava();
void PoeLimiteDaTrava(std::chrono::milliseconds limite);

// Result of Abre when another program holds the port open, as the
// simulated printer gives it (a serial port is never shared).
constexpr int16_t kPortaEmUso = -4;
// True when the last Abre of `porta` gave kPortaEmUso.
bool PortaEmUso(int32_t porta);

// The last port opened and not closed since, or -1 when every port opened
// has been closed again.
int32_t PortaAberta();
// Closes, once each, every port opened and not closed since, so a port
// that a window left open is closed when the program ends.
void FechaPortasAbertas();

}  // namespace tavorin
