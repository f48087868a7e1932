#if !defined(_WIN32)

#include "espera_na_pasta.h"
#include "entrada_saida.h"

#include <cerrno>
#include <cstdint>
#include <sys/inotify.h>
#include <unistd.h>

namespace comum {

bool EsperaNaPasta(const std::filesystem::path& pasta, const std::function<bool()>& pronto) {
    Arquivo fila(::inotify_init1(IN_CLOEXEC));
    // Watched before the first question, so that no change after it is missed.
    constexpr uint32_t kNomes = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF;
    if (!fila.Aberto() || ::inotify_add_watch(fila.Nativa(), pasta.c_str(), kNomes | IN_ONLYDIR) < 0) return pronto();
    alignas(inotify_event) char eventos[4096];
    while (!pronto()) {
        // What changed does not matter: the condition says whether it is met.
        while (::read(fila.Nativa(), eventos, sizeof eventos) < 0)
            if (errno != EINTR) return pronto();
    }
    return true;
}

}  // namespace comum

#endif
