// Reads a Windows shortcut (.lnk) the way the Start menu does and prints
// what it starts: the program, its arguments and its working folder, one a
// line, UTF-8. The setup's checks compare them with what was installed.
//   atalho.exe <file.lnk>
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>
#include <string>

namespace {

std::string Utf8(const wchar_t* texto) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, texto, -1, nullptr, 0, nullptr, nullptr);
    std::string saida(static_cast<std::size_t>(n > 0 ? n - 1 : 0), '\0');
    if (n > 1) WideCharToMultiByte(CP_UTF8, 0, texto, -1, saida.data(), n, nullptr, nullptr);
    return saida;
}

}  // namespace

int wmain(int argc, wchar_t* argv[]) {
    if (argc != 2) {
        std::fputs("uso: atalho <arquivo.lnk>\n", stderr);
        return 64;
    }
    if (FAILED(CoInitialize(nullptr))) return 1;
    IShellLinkW* atalho = nullptr;
    IPersistFile* arquivo = nullptr;
    int saida = 1;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&atalho))) &&
        SUCCEEDED(atalho->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&arquivo))) &&
        SUCCEEDED(arquivo->Load(argv[1], STGM_READ))) {
        wchar_t programa[MAX_PATH * 4] = L"", argumentos[MAX_PATH * 4] = L"", pasta[MAX_PATH * 4] = L"";
        if (SUCCEEDED(atalho->GetPath(programa, MAX_PATH * 4, nullptr, SLGP_RAWPATH)) &&
            SUCCEEDED(atalho->GetArguments(argumentos, MAX_PATH * 4)) &&
            SUCCEEDED(atalho->GetWorkingDirectory(pasta, MAX_PATH * 4))) {
            std::printf("%s\n%s\n%s\n", Utf8(programa).c_str(), Utf8(argumentos).c_str(), Utf8(pasta).c_str());
            saida = 0;
        }
    }
    if (arquivo) arquivo->Release();
    if (atalho) atalho->Release();
    CoUninitialize();
    return saida;
}
