// What the diagnostic asks of the system: its version, the folders a
// driver might write to, a file's size and time. Paths are UTF-8, on
// Windows too.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tavorin::diagnostico {

// "Nome: valor" lines: the Windows version (and wine's, under wine), or
// the Linux distribution and kernel.
std::vector<std::string> DescreveSistema();

// The working folder, without a trailing separator.
std::string PastaDeTrabalho();
// `arquivo` in `pasta`, whether or not the folder ends with a separator.
std::string NaPasta(const std::string& pasta, const std::string& arquivo);
// The folder part of a file's path, without a trailing separator.
std::string PastaDe(const std::string& caminho);

// What stands at a path, looked at without opening it; nothing when
// nothing does.
struct Visto {
    bool regular = false;
    uint64_t tamanho = 0;
    std::time_t modificado = 0;
};
std::optional<Visto> Ve(const std::string& caminho);

// Free space for this user in `pasta`; nothing, and why, when unknown.
std::optional<uint64_t> EspacoLivre(const std::string& pasta, std::string& motivo);

// Folders where a driver may leave its answer file instead of the working
// folder, each with what it is ("pasta temporária", …): the program's, the
// driver's (`pastaDoDriver`, when known), the system's, the temporary one,
// the user's home, the root; each once, the working folder left out.
std::vector<std::pair<std::string, std::string>> OutrasPastas(const std::string& pastaDoDriver);

}  // namespace tavorin::diagnostico
