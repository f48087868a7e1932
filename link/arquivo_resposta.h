// The answer file as the link handles it around each exchange: a lock
// beside it that every Tavorin process using the folder takes, and careful
// reads of whatever the driver left (a regular file only, never more than
// an answer line can be).
#pragma once

#include "trava.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace tavorin {

// The most the link reads of the answer file. An answer line is a few
// hundred bytes at most; a longer first line is cut here, and a file that
// never ends (a link to a device) costs no more than this.
constexpr std::size_t kMaxResposta = 4096;

// The lock beside the answer file, in the working directory.
inline constexpr const char* kArquivoTrava = "RespZub.txt.trava";

// The lock of a folder's exchanges (comum::Trava) as the link takes it:
// waited for up to `limite` (0: tried once). Made here, the file is
// readable by every user whatever the umask, so that each can open it to
// lock it; in a folder that takes no new file nobody can lock it, nor
// answer in it.
class TravaDePasta {
public:
    enum class Estado {
        Obtida,
        Dispensada,    // the folder takes no new file (read-only, full): nobody can lock it, nor answer in it
        Ocupada,       // another holder kept it past the limit
        Inacessivel,   // the file cannot be opened in a folder that can be written (Motivo())
        Interrompida,  // `interromper` said so while waiting
    };
    // `interromper`, when given, is asked while waiting; true gives up at once.
    TravaDePasta(const char* arquivo, std::chrono::milliseconds limite,
                 const std::function<bool()>& interromper = {});
    TravaDePasta(const TravaDePasta&) = delete;
    TravaDePasta& operator=(const TravaDePasta&) = delete;
    Estado Situacao() const { return estado_; }
    // Obtained, or needless in a folder nobody can write.
    bool Obtida() const { return estado_ == Estado::Obtida || estado_ == Estado::Dispensada; }
    // The system's reason, UTF-8, when Inacessivel.
    const std::string& Motivo() const { return motivo_; }

private:
    comum::Trava trava_;
    Estado estado_ = Estado::Obtida;
    std::string motivo_;
};

// What stood at the answer file's name, to tell whether the driver
// changed it.
struct Retrato {
    bool regular = false;      // a regular file that could be read
    uint64_t tamanho = 0;
    int64_t modificado = 0;    // last write, in the system's finest unit
    std::string inicio;        // its first kMaxResposta bytes

    bool operator==(const Retrato& o) const {
        return regular == o.regular && tamanho == o.tamanho && modificado == o.modificado && inicio == o.inicio;
    }
    bool operator!=(const Retrato& o) const { return !(*this == o); }
};
Retrato Retrata(const char* arquivo);

// The first kMaxResposta bytes of a regular file; false for anything else
// (missing, a folder, a pipe, a device) or when it cannot be read.
bool LeInicio(const char* arquivo, std::string& bytes);

// The first line of `bytes`, without its line end (CR or LF).
std::string PrimeiraLinha(const std::string& bytes);

// Removes the answer file; false when something is still at its name, with
// the system's reason (UTF-8) in `motivo`.
bool RemoveArquivo(const char* arquivo, std::string& motivo);
// Cuts an existing regular file to nothing where it stands; false when it
// cannot be (not there, not a regular file, no write access, not shared).
bool EsvaziaArquivo(const char* arquivo);

// Whether a new file can be written in the working folder now: empty when
// it can, otherwise why not (UTF-8), as the system says.
std::string PastaNaoGrava();

// The system's message for an error number (errno, or GetLastError on
// Windows), UTF-8.
std::string MensagemDoSistema(int codigo);
}  // namespace tavorin
