// An open file and the few things done with it, each one way for the
// whole program: opened without waiting, the whole of a buffer written
// however many calls the system takes, at most so many bytes read, cut to
// a length, flushed to the disk. A descriptor on POSIX, a HANDLE on
// Windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <string>

#if !defined(_WIN32)
#include <csignal>
#endif

namespace comum {

#if defined(_WIN32)
using Alca = void*;  // a HANDLE
inline constexpr Alca kFechada = nullptr;
#else
using Alca = int;  // a descriptor
inline constexpr Alca kFechada = -1;
#endif

enum class Abertura {
    Le,          // an existing file, to read
    Existente,   // an existing file (a device, a pipe), to write where it stands
    Nova,        // made now, to write; fails when the name is taken
    Cria,        // made, or emptied, to write
    Acrescenta,  // made when missing, to write at its end
    Altera,      // made when missing, to read and write as it stands
};

class Arquivo {
public:
    static constexpr std::size_t kTudo = std::numeric_limits<std::size_t>::max();

    Arquivo() = default;
    // On POSIX the open itself never waits (a pipe nobody reads fails at
    // once, ENXIO), never makes a terminal the controlling one and the
    // file is closed on exec; what follows waits as usual. A new file gets
    // the umask's permissions. On Windows a file opened to read or where
    // it stands is shared every way, so a driver that keeps it open is not
    // disturbed; one opened otherwise is shared for reading only.
    Arquivo(const std::filesystem::path& caminho, Abertura abertura);
    // Takes `alca` over (closed with this object); on Windows
    // INVALID_HANDLE_VALUE reads as a failed open, with its GetLastError().
    explicit Arquivo(Alca alca);
    ~Arquivo() { Fecha(); }
    Arquivo(Arquivo&& outro) noexcept : alca_(outro.Solta()), erro_(outro.erro_) {}
    Arquivo& operator=(Arquivo&& outro) noexcept {
        if (this != &outro) {
            Fecha();
            erro_ = outro.erro_;
            alca_ = outro.Solta();
        }
        return *this;
    }
    Arquivo(const Arquivo&) = delete;
    Arquivo& operator=(const Arquivo&) = delete;

    bool Aberto() const { return alca_ != kFechada; }
    Alca Nativa() const { return alca_; }
    // Hands the file over to the caller, who closes it.
    Alca Solta() {
        const Alca alca = alca_;
        alca_ = kFechada;
        return alca;
    }
    // False when the system reports an error closing it.
    bool Fecha();
    // The system's error number of the last step that failed (errno, or
    // GetLastError() on Windows).
    int Erro() const { return erro_; }

    // A regular file: not a folder, a pipe or a device.
    bool Regular() const;
    bool Tamanho(uint64_t& tamanho);
    bool Posiciona(uint64_t posicao);
    // Cut (or made longer) to `tamanho` bytes, the position at its end.
    bool Corta(uint64_t tamanho);
    // All of `bytes`, at the position.
    bool Escreve(const std::string& bytes) { return Escreve(bytes.data(), bytes.size()); }
    bool Escreve(const char* bytes, std::size_t tamanho);
    // At most `maximo` bytes from the position: fewer only at the end.
    bool Le(std::string& bytes, std::size_t maximo = kTudo);
    // What was written reaches the disk.
    bool Sincroniza();

private:
    bool Falhou();

    Alca alca_ = kFechada;
    int erro_ = 0;
};

#if !defined(_WIN32)
// open(2) as Arquivo opens, with the O_ flags in `modo`.
Arquivo AbreSemEsperar(const char* caminho, int modo, unsigned permissoes = 0666);

// While it lives, a write on this thread to a pipe whose reader has gone
// fails (EPIPE) instead of ending the program: SIGPIPE is held back, and
// one it raised is taken away before it is let through again.
class SemSigpipe {
public:
    SemSigpipe();
    ~SemSigpipe();
    SemSigpipe(const SemSigpipe&) = delete;
    SemSigpipe& operator=(const SemSigpipe&) = delete;

private:
    sigset_t sinal_, antes_;
    bool jaPendente_ = false;
};
#endif

}  // namespace comum
