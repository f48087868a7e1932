// Where a reading of the fiscal memory to a file may go: the rule every
// front end applies before anything is sent.
#pragma once

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

}  // namespace tavorin
