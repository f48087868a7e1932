#if defined(_WIN32)

#include "arquivo_atomico.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace comum {

namespace fs = std::filesystem;

namespace {

constexpr const char* kProtegido = "arquivo somente para leitura";

// What another program holding the file open (an editor, an antivirus
// scan) gives for a moment; worth waiting out briefly.
bool Passageiro(DWORD codigo) {
    return codigo == ERROR_SHARING_VIOLATION || codigo == ERROR_LOCK_VIOLATION || codigo == ERROR_ACCESS_DENIED;
}

constexpr int kTentativas = 20;  // 50 ms apart: about a second

// The final path of an open file, links followed ("\\?\C:\..."), or none.
fs::path CaminhoFinal(HANDLE arquivo) {
    std::wstring nome(GetFinalPathNameByHandleW(arquivo, nullptr, 0, VOLUME_NAME_DOS), L'\0');
    if (nome.empty()) return {};
    nome.resize(GetFinalPathNameByHandleW(arquivo, nome.data(), static_cast<DWORD>(nome.size()), VOLUME_NAME_DOS));
    return nome;
}

// Through a reparse point (a symbolic link), the file it leads to; the
// system's error when it leads nowhere.
fs::path SegueLigacao(const fs::path& caminho, DWORD& erro) {
    erro = ERROR_SUCCESS;
    const DWORD atributos = GetFileAttributesW(caminho.c_str());
    if (atributos == INVALID_FILE_ATTRIBUTES || !(atributos & FILE_ATTRIBUTE_REPARSE_POINT)) return caminho;
    // Opened without FILE_FLAG_OPEN_REPARSE_POINT: the file it leads to.
    HANDLE arquivo = CreateFileW(caminho.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (arquivo == INVALID_HANDLE_VALUE) {
        erro = GetLastError();
        return caminho;
    }
    const fs::path nome = CaminhoFinal(arquivo);
    erro = nome.empty() ? GetLastError() : ERROR_SUCCESS;
    CloseHandle(arquivo);
    return nome.empty() ? caminho : nome;
}

bool SomenteLeitura(const fs::path& caminho) {
    const DWORD atributos = GetFileAttributesW(caminho.c_str());
    return atributos != INVALID_FILE_ATTRIBUTES && (atributos & FILE_ATTRIBUTE_READONLY);
}

}  // namespace

void SincronizaPasta(const fs::path&) {}

// The system's message in the ANSI code page, as every text of Erro().
void ArquivoAtomico::Falhou(int codigo) {
    char* texto = nullptr;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, static_cast<DWORD>(codigo), 0, reinterpret_cast<char*>(&texto), 0, nullptr);
    erro_ = texto ? texto : "erro " + std::to_string(codigo);
    LocalFree(texto);
    while (!erro_.empty() && (erro_.back() == '\n' || erro_.back() == '\r' || erro_.back() == '.')) erro_.pop_back();
}

// Its own device names (NUL, CON, COM1, in any folder, on older versions
// with any extension too) and the \\.\ names (pipes, ports, disks), all of
// which the system spells \\.\ in full.
bool NomeDeDispositivo(const fs::path& caminho) {
    std::wstring completo(GetFullPathNameW(caminho.c_str(), 0, nullptr, nullptr), L'\0');
    if (completo.empty()) return false;
    completo.resize(GetFullPathNameW(caminho.c_str(), static_cast<DWORD>(completo.size()), completo.data(), nullptr));
    return completo.compare(0, 4, L"\\\\.\\") == 0;
}

fs::path Alvo(const fs::path& caminho) {
    DWORD erro;
    return SegueLigacao(caminho, erro);
}

bool ArquivoAtomico::AbreNoLugar(int) {
    arquivo_ = Arquivo(caminho_, Abertura::Existente);
    if (!arquivo_.Aberto()) {
        Falhou(arquivo_.Erro());
        return false;
    }
    const DWORD tipo = GetFileType(arquivo_.Nativa());
    if (tipo != FILE_TYPE_CHAR && tipo != FILE_TYPE_PIPE) {
        arquivo_.Fecha();
        // In the ANSI code page, as the system's own messages.
        const wchar_t* const disco = L"é um disco, não um arquivo";
        char texto[64] = {};
        WideCharToMultiByte(CP_ACP, 0, disco, -1, texto, sizeof texto - 1, nullptr, nullptr);
        erro_ = texto;
        return false;
    }
    noLugar_ = true;
    destino_ = caminho_;
    return true;
}

bool ArquivoAtomico::Abre() {
    Descarta();
    if (NomeDeDispositivo(caminho_)) return AbreNoLugar(-1);
    // Through a symbolic link the file it leads to is replaced, not the
    // link; a link that leads nowhere is not replaced either.
    DWORD erroLigacao;
    destino_ = SegueLigacao(caminho_, erroLigacao);
    if (erroLigacao != ERROR_SUCCESS) {
        Falhou(static_cast<int>(erroLigacao));
        return false;
    }
    const DWORD atributos = GetFileAttributesW(destino_.c_str());
    if (atributos != INVALID_FILE_ATTRIBUTES && (atributos & FILE_ATTRIBUTE_DIRECTORY)) {
        Falhou(ERROR_DIRECTORY);
        return false;
    }
    // A read-only file is one its owner asked to keep.
    if (SomenteLeitura(destino_)) {
        erro_ = kProtegido;
        return false;
    }
    return CriaTemporario();
}

bool ArquivoAtomico::Conclui() {
    if (const std::optional<bool> feito = AntesDeTrocar()) return *feito;
    arquivo_.Fecha();
    const std::wstring de = temporario_.wstring(), para = destino_.wstring();
    // A read-only file stays: Windows itself refuses to replace it, and
    // moving it aside would leave it where its owner did not put it.
    if (SomenteLeitura(destino_)) {
        erro_ = kProtegido;
        Descarta();
        return false;
    }
    const DWORD atraves = duravel_ ? MOVEFILE_WRITE_THROUGH : 0;
    // A file that another program holds open cannot be replaced in one
    // step even when it shares deletion: it is then moved aside under a
    // temporary name, the new one put in its place and the old one deleted
    // (it goes when that program lets go of it). Without delete sharing
    // even that fails; it is tried again for about a second, then reported.
    for (int tentativa = 0;; ++tentativa) {
        if (MoveFileExW(de.c_str(), para.c_str(), MOVEFILE_REPLACE_EXISTING | atraves)) {
            temporario_.clear();
            return true;
        }
        DWORD codigo = GetLastError();
        const std::wstring lado = NomeTemporario(destino_).wstring();
        if (Passageiro(codigo) && MoveFileExW(para.c_str(), lado.c_str(), atraves)) {
            bool novo = MoveFileExW(de.c_str(), para.c_str(), atraves) != 0;
            codigo = GetLastError();
            // The final name is never left empty: the old file goes back,
            // or, should that keep failing, the new one takes the name.
            for (int volta = 1; !novo && !MoveFileExW(lado.c_str(), para.c_str(), atraves); ++volta) {
                if (volta % kTentativas == 0) novo = MoveFileExW(de.c_str(), para.c_str(), atraves) != 0;
                if (volta == 10 * kTentativas) break;
                if (!novo) Sleep(50);
            }
            if (novo) {
                DeleteFileW(lado.c_str());
                temporario_.clear();
                return true;
            }
        }
        if (!Passageiro(codigo) || tentativa == kTentativas) {
            Falhou(static_cast<int>(codigo));
            break;
        }
        if (antesDeRepetir_) antesDeRepetir_();
        Sleep(50);
    }
    Descarta();
    return false;
}

}  // namespace comum

#endif
