// A scratch folder for a fuzz target's files (the answer file, the
// printer's state), on tmpfs where there is one, as the working directory.
#pragma once

#include <filesystem>
#include <random>
#include <string>

namespace tavorin::fuzz {

inline std::filesystem::path PastaDeTrabalho(const char* nome) {
    namespace fs = std::filesystem;
    const fs::path base = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    std::random_device aleatorio;
    fs::path pasta;
    do pasta = base / (std::string("tavorin-fuzz-") + nome + "-" + std::to_string(aleatorio()));
    while (!fs::create_directory(pasta));
    fs::current_path(pasta);
    return pasta;
}

}  // namespace tavorin::fuzz
