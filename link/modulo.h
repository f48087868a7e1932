// How a library is loaded, asked for a function and let go, on each
// system, and where the system keeps its own: the part of finding the
// driver that talks to the system.
#pragma once

#include <cstring>
#include <filesystem>
#include <string>

#if defined(_WIN32)
#include "texto_windows.h"
#endif

namespace tavorin::modulo {

// Function pointers and object pointers are converted through memcpy so
// that no compiler warns about the cast that dlsym and GetProcAddress need.
template <typename F>
F ComoFuncao(void* simbolo) {
    F funcao = nullptr;
    static_assert(sizeof funcao == sizeof simbolo, "function and object pointers differ in size");
    std::memcpy(&funcao, &simbolo, sizeof funcao);
    return funcao;
}

// Paths are UTF-8 in the program; this is the system's form of one.
std::filesystem::path Caminho(const std::string& caminho);

// The library at `caminho` loaded, or null with the system's reason in
// `motivo` (`nome` stands for the file in it).
void* AbreModulo(const std::string& caminho, const std::string& nome, std::string& motivo);
void* Funcao(void* modulo, const char* nome);
void FechaModulo(void* modulo);
// Where the loaded module is, `pedido` if the system cannot say.
std::string CaminhoDoModulo(void* modulo, const std::string& pedido);

#if defined(_WIN32)
// A folder the system gives, with a trailing separator; empty if none.
std::string PastaDoSistema(UINT(WINAPI* consulta)(LPWSTR, UINT));
#else
// The system's search found nothing by the name: dlerror ends with the
// text of ENOENT ("cannot open shared object file: No such file or
// directory"), in the same language as the rest of its message.
bool NadaNaBusca(const std::string& motivo);
#endif

}  // namespace tavorin::modulo
