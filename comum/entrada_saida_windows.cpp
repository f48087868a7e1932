#if defined(_WIN32)

#include "entrada_saida.h"

#include <algorithm>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace comum {

namespace {

constexpr DWORD kTodos = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE Abre(const std::filesystem::path& caminho, Abertura abertura) {
    DWORD acesso = GENERIC_WRITE, partilha = FILE_SHARE_READ, disposicao = OPEN_ALWAYS;
    switch (abertura) {
        case Abertura::Le:
            acesso = GENERIC_READ, partilha = kTodos, disposicao = OPEN_EXISTING;
            break;
        case Abertura::Existente:
            partilha = kTodos, disposicao = OPEN_EXISTING;
            break;
        case Abertura::Nova:
            disposicao = CREATE_NEW;
            break;
        case Abertura::Cria:
            disposicao = CREATE_ALWAYS;
            break;
        case Abertura::Acrescenta:
            break;
        case Abertura::Altera:
            acesso |= GENERIC_READ;
            break;
    }
    return CreateFileW(caminho.c_str(), acesso, partilha, nullptr, disposicao, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

Arquivo::Arquivo(Alca alca)
    : alca_(alca == INVALID_HANDLE_VALUE ? kFechada : alca),
      erro_(alca == INVALID_HANDLE_VALUE ? static_cast<int>(GetLastError()) : 0) {}

Arquivo::Arquivo(const std::filesystem::path& caminho, Abertura abertura) : Arquivo(Abre(caminho, abertura)) {
    LARGE_INTEGER zero{};
    if (abertura == Abertura::Acrescenta && Aberto() && !SetFilePointerEx(alca_, zero, nullptr, FILE_END)) {
        Falhou();
        CloseHandle(Solta());
    }
}

bool Arquivo::Falhou() {
    erro_ = static_cast<int>(GetLastError());
    return false;
}

bool Arquivo::Fecha() {
    if (!Aberto()) return true;
    return CloseHandle(Solta()) || Falhou();
}

bool Arquivo::Regular() const { return Aberto() && GetFileType(alca_) == FILE_TYPE_DISK; }

bool Arquivo::Tamanho(uint64_t& tamanho) {
    LARGE_INTEGER atual{};
    if (!GetFileSizeEx(alca_, &atual)) return Falhou();
    tamanho = static_cast<uint64_t>(atual.QuadPart);
    return true;
}

bool Arquivo::Posiciona(uint64_t posicao) {
    LARGE_INTEGER onde{};
    onde.QuadPart = static_cast<LONGLONG>(posicao);
    return SetFilePointerEx(alca_, onde, nullptr, FILE_BEGIN) || Falhou();
}

bool Arquivo::Corta(uint64_t tamanho) { return Posiciona(tamanho) && (SetEndOfFile(alca_) || Falhou()); }

bool Arquivo::Escreve(const char* bytes, std::size_t tamanho) {
    for (std::size_t feito = 0; feito < tamanho;) {
        // In parts: a console or a pipe may refuse one too large.
        const DWORD parte = static_cast<DWORD>(std::min<std::size_t>(tamanho - feito, 1u << 20));
        DWORD escrito = 0;
        if (!WriteFile(alca_, bytes + feito, parte, &escrito, nullptr)) return Falhou();
        if (escrito == 0) {
            // Nothing taken and no error: no room.
            SetLastError(ERROR_DISK_FULL);
            return Falhou();
        }
        feito += escrito;
    }
    return true;
}

bool Arquivo::Le(std::string& bytes, std::size_t maximo) {
    bytes.clear();
    while (bytes.size() < maximo) {
        const std::size_t lidos = bytes.size(), parte = std::min<std::size_t>(maximo - lidos, 64 * 1024);
        bytes.resize(lidos + parte);
        DWORD n = 0;
        const bool leu = ReadFile(alca_, &bytes[lidos], static_cast<DWORD>(parte), &n, nullptr);
        bytes.resize(lidos + n);
        if (!leu) return Falhou();
        if (n == 0) break;
    }
    return true;
}

bool Arquivo::Sincroniza() { return FlushFileBuffers(alca_) || Falhou(); }

}  // namespace comum

#endif
