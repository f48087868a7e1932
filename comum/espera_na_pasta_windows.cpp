#if defined(_WIN32)

#include "espera_na_pasta.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace comum {

bool EsperaNaPasta(const std::filesystem::path& pasta, const std::function<bool()>& pronto) {
    // Watched before the first question, so that no change after it is missed.
    const HANDLE aviso = FindFirstChangeNotificationW(pasta.c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME);
    if (aviso == INVALID_HANDLE_VALUE) return pronto();
    // Watched again before each question: a change while it is asked
    // signals the next wait.
    bool feito = pronto();
    while (!feito && WaitForSingleObject(aviso, INFINITE) == WAIT_OBJECT_0 && FindNextChangeNotification(aviso))
        feito = pronto();
    FindCloseChangeNotification(aviso);
    return feito;
}

}  // namespace comum

#endif
