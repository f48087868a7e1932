// Does the TAVORIN window keep answering while the printer works? Windows
// calls a window hung when it handles no message for a while; this asks it
// the way Windows does (WM_NULL through SendMessageTimeout with
// SMTO_ABORTIFHUNG and 1000 ms) every 250 ms while a Leitura X prints
// (held in the simulated printer until this ends). It clicks "Leitura X"
// itself (the window's client point given, in pixels) and asks for as long
// as given, and on until the caption has said that the window waits for
// the printer (a minute more at most); every question must be answered.
//
//   responde_test X Y MILLISECONDS
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>

namespace {

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

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: responde_test X Y MILLISECONDS\n");
        return 2;
    }
    const int x = std::atoi(argv[1]), y = std::atoi(argv[2]), duracao = std::atoi(argv[3]);
    for (int i = 0; i < 600 && !principal; ++i) {
        EnumWindows(Procura, 0);
        if (!principal) Sleep(100);
    }
    if (!principal) {
        std::fprintf(stderr, "responde_test: no TAVORIN window\n");
        return 1;
    }
    const LPARAM ponto = MAKELPARAM(x, y);
    PostMessageW(principal, WM_MOUSEMOVE, 0, ponto);
    PostMessageW(principal, WM_LBUTTONDOWN, MK_LBUTTON, ponto);
    PostMessageW(principal, WM_LBUTTONUP, 0, ponto);

    int perguntas = 0, respostas = 0, esperando = 0;
    DWORD pior = 0;
    const DWORD inicio = GetTickCount();
    for (DWORD passado; (passado = GetTickCount() - inicio) < static_cast<DWORD>(duracao) ||
                        (esperando == 0 && passado < static_cast<DWORD>(duracao) + 60000);) {
        const DWORD antes = GetTickCount();
        DWORD_PTR resultado = 0;
        ++perguntas;
        if (SendMessageTimeoutW(principal, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &resultado)) ++respostas;
        const DWORD demora = GetTickCount() - antes;
        if (demora > pior) pior = demora;
        wchar_t titulo[128] = {};
        GetWindowTextW(principal, titulo, 128);
        if (std::wcsstr(titulo, L"Aguardando a impressora")) ++esperando;
        Sleep(250);
    }
    std::printf("responde_test: %d of %d WM_NULL answered within 1 s (slowest %lu ms); %d while the caption said "
                "it waits for the printer\n",
                respostas, perguntas, static_cast<unsigned long>(pior), esperando);
    return respostas == perguntas && esperando > 0 ? 0 : 1;
}
