// Does the TAVORIN window keep answering while the printer works? A window
// that called the driver on its own thread would answer nothing while the
// printer held the command; here the simulated printer holds a Leitura X
// until this program ends. It clicks "Leitura X" itself (the window's client
// point given, in pixels), waits for the caption to say that the window
// waits for the printer and then to change CHANGES times more (its count of
// seconds: the window's own thread at work while the command is held), and
// asks the window the way Windows asks whether a window hangs (WM_NULL) at
// every look. Each question must be answered within 30 s, and each step
// come within 2 minutes: bounds that only catch a window that never
// answers, far beyond what an emulator's slowness stretches a second to.
// The slowest answer is printed.
//
//   responde_test X Y CHANGES
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

namespace {

constexpr DWORD kLimiteResposta = 30000;  // one WM_NULL
constexpr DWORD kLimitePasso = 120000;    // the window, the waiting caption, each change of it
constexpr DWORD kIntervalo = 250;         // between looks: the caption changes once a second
const wchar_t* const kAguarda = L"Aguardando a impressora";

HWND principal = nullptr;

BOOL CALLBACK Procura(HWND janela, LPARAM) {
    wchar_t titulo[128] = {};
    GetWindowTextW(janela, titulo, 128);
    if (IsWindowVisible(janela) && std::wcsncmp(titulo, L"TAVORIN", 7) == 0) {
        principal = janela;
        return FALSE;
    }
    return TRUE;
}

// Another program's caption is read from the system, never asked of it.
std::wstring Titulo(HWND janela) {
    wchar_t titulo[256] = {};
    GetWindowTextW(janela, titulo, 256);
    return titulo;
}

// Looks every kIntervalo until `pronto`, for kLimitePasso at most. (Wine
// delivers no other process's window events to SetWinEventHook.)
template <typename F>
bool Espera(F pronto) {
    for (const DWORD inicio = GetTickCount();; Sleep(kIntervalo)) {
        if (pronto()) return true;
        if (GetTickCount() - inicio >= kLimitePasso) return false;
    }
}

int perguntas = 0, respostas = 0;
DWORD pior = 0;

// Without SMTO_ABORTIFHUNG: the system's own verdict is a clock (no
// message read for 5 s), which an emulator can outrun.
bool Responde(HWND janela) {
    const DWORD antes = GetTickCount();
    DWORD_PTR resultado = 0;
    ++perguntas;
    const bool respondeu = SendMessageTimeoutW(janela, WM_NULL, 0, 0, SMTO_NORMAL, kLimiteResposta, &resultado) != 0;
    respostas += respondeu;
    pior = std::max(pior, GetTickCount() - antes);
    return respondeu;
}

}  // namespace

int main(int argc, char* argv[]) {
    const int mudancas = argc == 4 ? std::atoi(argv[3]) : 0;
    if (mudancas < 1) {
        std::fprintf(stderr, "usage: responde_test X Y CHANGES\n");
        return 2;
    }
    if (!Espera([] {
            EnumWindows(Procura, 0);
            return principal != nullptr;
        })) {
        std::fprintf(stderr, "responde_test: no TAVORIN window\n");
        return 1;
    }
    const LPARAM ponto = MAKELPARAM(std::atoi(argv[1]), std::atoi(argv[2]));
    PostMessageW(principal, WM_MOUSEMOVE, 0, ponto);
    PostMessageW(principal, WM_LBUTTONDOWN, MK_LBUTTON, ponto);
    PostMessageW(principal, WM_LBUTTONUP, 0, ponto);

    // Each look asks the window first; one unanswered (or a window gone)
    // ends the waiting.
    bool perdida = false;
    std::wstring titulo;
    const auto ate = [&](auto pronto) {
        return Espera([&] {
            perdida = !IsWindow(principal) || !Responde(principal);
            return perdida || pronto(Titulo(principal));
        }) && !perdida;
    };
    const bool aguardou = ate([&](const std::wstring& agora) {
        titulo = agora;
        return agora.find(kAguarda) != std::wstring::npos;
    });
    int mudou = 0;
    const auto outro = [&](const std::wstring& agora) {
        if (agora == titulo) return false;
        titulo = agora;
        return true;
    };
    while (aguardou && mudou < mudancas && ate(outro)) {
        // A caption that no longer waits: the command ended while held.
        if (titulo.find(kAguarda) == std::wstring::npos) break;
        ++mudou;
    }
    std::printf("responde_test: %d of %d WM_NULL answered within %lu s (slowest %lu ms); the caption said it waits "
                "for the printer: %s, and changed %d of %d times since while the command was held (last \"%ls\")\n",
                respostas, perguntas, kLimiteResposta / 1000, static_cast<unsigned long>(pior), aguardou ? "yes" : "no",
                mudou, mudancas, titulo.c_str());
    return !perdida && respostas == perguntas && aguardou && mudou == mudancas ? 0 : 1;
}
