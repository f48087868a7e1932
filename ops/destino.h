// Where a reading of the fiscal memory to a file may go, and how much it
// may take: the rules every front end applies, before anything is sent
// and while the blocks come.
#pragma once

#include <cstdint>
#include <string>

namespace tavorin {

// The driver's answer file or its lock, or one of the simulated printer's
// files (in the working folder or in its own, ZUBSIM_DIR), that writing
// `arquivo` (8-bit, as typed) would replace: its name, whichever way
// `arquivo` leads to it (its own name in any case, a symbolic link,
// another path, another hard link); empty when it leads to none. A
// reading written over one of them would be lost at the next command, or
// would destroy the simulated printer's fiscal memory.
std::string ArquivoProtegido(const std::string& arquivo);

// The most a reading to a file may take before it ends. A fiscal memory
// holds one record per Redução Z, a few thousand over the years of a
// printer's life, and a range names at most 10,000 of them (four digits);
// the simulated printer's full memory (9,999) reads as 30,003 blocks of
// at most 48 characters, 1.5 MB. These leave room for 30 blocks a
// reduction and lines several times as long; a driver that never ends a
// reading is stopped here instead of filling the disk.
constexpr int kMaximoBlocos = 300000;
constexpr std::uint64_t kMaximoBytes = std::uint64_t{64} << 20;

struct LimiteLeitura {
    int blocos = kMaximoBlocos;
    std::uint64_t bytes = kMaximoBytes;
};

// Empty while `blocos` blocks of `bytes` bytes in all are within
// `limite`; otherwise why the reading stops there (UTF-8).
std::string ForaDoLimite(const LimiteLeitura& limite, int blocos, std::uint64_t bytes);

}  // namespace tavorin
