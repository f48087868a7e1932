#include "arquivo.h"

#include <fstream>
#include <iterator>
#include <system_error>

#if defined(_WIN32)
#define WIN32_LEAN_AND_MEAN
#include <process.h>
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace zubsim {

namespace fs = std::filesystem;

Leitura LeArquivo(const fs::path& caminho, std::string& bytes) {
    std::error_code erro;
    if (!fs::exists(caminho, erro)) return erro ? Leitura::Falhou : Leitura::Ausente;
    std::ifstream entrada(caminho, std::ios::binary);
    if (!entrada) return Leitura::Falhou;
    bytes.assign(std::istreambuf_iterator<char>(entrada), std::istreambuf_iterator<char>());
    return entrada.bad() ? Leitura::Falhou : Leitura::Lido;
}

fs::path ArquivoTemporario(const fs::path& caminho) {
#if defined(_WIN32)
    unsigned long processo = static_cast<unsigned long>(_getpid());
#else
    unsigned long processo = static_cast<unsigned long>(getpid());
#endif
    fs::path temporario = caminho;
    temporario += "." + std::to_string(processo) + ".tmp";
    return temporario;
}

#if defined(_WIN32)

bool GravaAtomico(const fs::path& caminho, const std::string& bytes) {
    fs::path temporario = ArquivoTemporario(caminho);
    HANDLE arquivo = CreateFileW(temporario.wstring().c_str(), GENERIC_WRITE, 0, nullptr,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (arquivo == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    std::size_t feito = 0;
    while (ok && feito < bytes.size()) {
        DWORD escrito = 0;
        DWORD parte = static_cast<DWORD>(bytes.size() - feito > 1u << 20 ? 1u << 20 : bytes.size() - feito);
        ok = WriteFile(arquivo, bytes.data() + feito, parte, &escrito, nullptr) && escrito == parte;
        feito += escrito;
    }
    ok = ok && FlushFileBuffers(arquivo);
    ok = CloseHandle(arquivo) && ok;
    if (ok)
        ok = MoveFileExW(temporario.wstring().c_str(), caminho.wstring().c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (!ok) DeleteFileW(temporario.wstring().c_str());
    return ok;
}

#else

namespace {

bool GravaTudo(int descritor, const std::string& bytes) {
    std::size_t feito = 0;
    while (feito < bytes.size()) {
        ssize_t escrito = ::write(descritor, bytes.data() + feito, bytes.size() - feito);
        if (escrito < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        feito += static_cast<std::size_t>(escrito);
    }
    return true;
}

}  // namespace

bool GravaAtomico(const fs::path& caminho, const std::string& bytes) {
    fs::path temporario = ArquivoTemporario(caminho);
    int descritor = ::open(temporario.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (descritor < 0) return false;
    bool ok = GravaTudo(descritor, bytes) && ::fsync(descritor) == 0;
    ok = ::close(descritor) == 0 && ok;
    if (ok) ok = ::rename(temporario.c_str(), caminho.c_str()) == 0;
    if (!ok) {
        ::unlink(temporario.c_str());
        return false;
    }
    // The rename itself must reach the disk, or a crash could bring back
    // the old state after the program was told the new one was kept.
    fs::path pasta = caminho.parent_path();
    if (pasta.empty()) pasta = ".";
    int diretorio = ::open(pasta.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (diretorio >= 0) {
        ::fsync(diretorio);
        ::close(diretorio);
    }
    return true;
}

#endif

namespace {

bool Grava(const fs::path& caminho, const std::string& bytes, std::ios::openmode modo) {
    std::ofstream saida(caminho, std::ios::binary | modo);
    if (!saida) return false;
    saida.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    saida.close();
    return !saida.fail();
}

}  // namespace

bool GravaSimples(const fs::path& caminho, const std::string& bytes) { return Grava(caminho, bytes, std::ios::trunc); }

bool Acrescenta(const fs::path& caminho, const std::string& bytes) { return Grava(caminho, bytes, std::ios::app); }

}  // namespace zubsim
