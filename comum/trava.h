// An exclusive lock on a file that every process honours: an operating
// system lock (flock on POSIX, LockFileEx on Windows), so a process that
// dies lets go of it. The one lock of the program: the link's turn in a
// folder, the simulated printer's state and ports, a temporary file being
// written.
#pragma once

#include "entrada_saida.h"

#include <chrono>
#include <filesystem>
#include <functional>

namespace comum {

class Trava {
public:
    enum class Estado {
        Obtida,
        Ocupada,       // another holder kept it (past the limit, when waited for)
        Inacessivel,   // the file could not be opened (Erro())
        Interrompida,  // `interromper` said so while waiting
    };
    // How the file is opened to be locked.
    enum class Abertura {
        // Made when missing; made here it is readable by every user
        // whatever the umask, so that each can open it to lock it, and one
        // that this user may only read locks as well.
        Compartilhada,
        // Only an existing file, never through a symbolic link.
        Existente,
        // Made now, to be written by its holder (TomaArquivo); fails when
        // the name is taken.
        Nova,
    };
    // How it is held on Windows; on POSIX it is flock either way. Every
    // holder of one file must use the same form.
    enum class Forma {
        // LockFileEx on its first byte, which can be waited for.
        Byte,
        // The file kept open with no sharing at all, which no other
        // process can open meanwhile: only ever tried, never waited for.
        // Under wine a byte-range lock held for long made later file opens
        // fail ("too many open files"): a lock held for as long as a port
        // stays open is held this way.
        SemPartilha,
    };
    // Waited for without bound.
    static constexpr std::chrono::milliseconds kSempre = std::chrono::milliseconds::max();

    // Tried at once; when another holder has it, waited for up to `limite`
    // (0: not at all), and `interromper`, when given, asked a few times a
    // second while waiting: true gives up at once. A wait given up goes on
    // out of sight and lets go of the lock the moment it gets it.
    Trava(const std::filesystem::path& arquivo, std::chrono::milliseconds limite,
          const std::function<bool()>& interromper = {}, Abertura abertura = Abertura::Compartilhada,
          Forma forma = Forma::Byte);
    // Lets go of it.
    ~Trava();
    Trava(const Trava&) = delete;
    Trava& operator=(const Trava&) = delete;

    Estado Situacao() const { return estado_; }
    bool Obtida() const { return estado_ == Estado::Obtida; }
    // Why the file could not be opened, when Inacessivel: errno, or
    // GetLastError() on Windows.
    int Erro() const { return erro_; }
    // The file locked, for its holder to write: the lock now lasts as long
    // as it stays open.
    Arquivo TomaArquivo();

private:
    Arquivo arquivo_;
    Estado estado_ = Estado::Inacessivel;
    [[maybe_unused]] Forma forma_;  // Windows
    int erro_ = 0;
};

}  // namespace comum
