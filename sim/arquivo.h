// File access for the state, the paper roll and the answer file.
#pragma once

#include <filesystem>
#include <string>

namespace zubsim {

enum class Leitura { Lido, Ausente, Falhou };

// Whole file as bytes.
Leitura LeArquivo(const std::filesystem::path& caminho, std::string& bytes);

// Replaces `caminho` so that a crash at any moment leaves either the old
// or the new content: a temporary file beside it, flushed to the disk,
// then renamed over it (and, on POSIX, the directory flushed too).
bool GravaAtomico(const std::filesystem::path& caminho, const std::string& bytes);

// Writes the file anew, no flush to the disk: for the answer file, which
// the program reads right away and nobody needs after a crash.
bool GravaSimples(const std::filesystem::path& caminho, const std::string& bytes);

// Appends to the end of the file, creating it if needed.
bool Acrescenta(const std::filesystem::path& caminho, const std::string& bytes);

// Name of the temporary file that GravaAtomico uses for `caminho` in this
// process (the process id keeps two processes from sharing one).
std::filesystem::path ArquivoTemporario(const std::filesystem::path& caminho);

}  // namespace zubsim
