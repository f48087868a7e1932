// File access for the state, the fiscal memory, the paper roll and the
// answer file, and the lock that makes one printer of many processes,
// all through comum's files and lock. The state file is replaced through
// comum::GravaAtomico.
#pragma once

#include "entrada_saida.h"
#include "trava.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace zubsim {

enum class Leitura { Lido, Ausente, Falhou };

// Whole file as bytes. Anything at the path that is not a regular file
// (a directory, a pipe, a device) fails rather than being read.
Leitura LeArquivo(const std::filesystem::path& caminho, std::string& bytes);

// Cuts the file to its first `tamanho` bytes, appends `bytes` and flushes
// it (and its directory) to the disk. Creates it when `tamanho` is 0; false
// when it is shorter than `tamanho`.
bool AcrescentaDuravel(const std::filesystem::path& caminho, uint64_t tamanho, const std::string& bytes);

// Writes the file anew, no flush to the disk.
bool GravaSimples(const std::filesystem::path& caminho, const std::string& bytes);

// Writes `bytes` over the start of the file, creating it if needed, without
// cutting it first: a file of one fixed size rewritten in place this way
// costs no flush to the disk. A file of another size is written anew.
bool SobrescreveNoLugar(const std::filesystem::path& caminho, const std::string& bytes);

// Appends to the end of the file, creating it if needed.
bool Acrescenta(const std::filesystem::path& caminho, const std::string& bytes);

// An exclusive lock on `caminho` (made if missing) that every process
// honours, held from construction until destruction; waits for it, or
// with `espera` false gives up at once when another holder has it. A lock
// that is never waited for (a port's) is held on Windows as the file kept
// open without sharing (comum::Trava::Forma::SemPartilha).
class Trava : public comum::Trava {
public:
    explicit Trava(const std::filesystem::path& caminho, bool espera = true);
    // Another holder has it (only without waiting).
    bool Ocupada() const { return Situacao() == Estado::Ocupada; }
};

// The answer file, made ready before the printer does anything: created
// and filled with blanks as long as the longest answer, so writing the
// answer later needs no new space on the disk.
class ArquivoDeResposta {
public:
    explicit ArquivoDeResposta(const std::filesystem::path& caminho);
    ArquivoDeResposta(const ArquivoDeResposta&) = delete;
    ArquivoDeResposta& operator=(const ArquivoDeResposta&) = delete;
    bool Pronto() const { return pronto_; }
    // Replaces the content with `bytes` (at most the reserved length).
    bool Escreve(const std::string& bytes);

    static constexpr std::size_t kReserva = 256;

private:
    comum::Arquivo arquivo_;
    bool pronto_ = false;
};

}  // namespace zubsim
