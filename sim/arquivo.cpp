#include "arquivo.h"

#include "arquivo_atomico.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <system_error>

#if defined(_WIN32)
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace zubsim {

namespace fs = std::filesystem;

Leitura LeArquivo(const fs::path& caminho, std::string& bytes) {
    std::error_code erro;
    const fs::file_status estado = fs::status(caminho, erro);
    if (estado.type() == fs::file_type::not_found) return Leitura::Ausente;
    // A directory or a pipe in its place would fail to read or block.
    if (estado.type() != fs::file_type::regular) return Leitura::Falhou;
    std::ifstream entrada(caminho, std::ios::binary);
    if (!entrada) return Leitura::Falhou;
    bytes.assign(std::istreambuf_iterator<char>(entrada), std::istreambuf_iterator<char>());
    return entrada.bad() ? Leitura::Falhou : Leitura::Lido;
}

#if defined(_WIN32)

namespace {

bool GravaTudo(HANDLE arquivo, const std::string& bytes) {
    std::size_t feito = 0;
    while (feito < bytes.size()) {
        DWORD escrito = 0;
        DWORD parte = static_cast<DWORD>(bytes.size() - feito > 1u << 20 ? 1u << 20 : bytes.size() - feito);
        if (!WriteFile(arquivo, bytes.data() + feito, parte, &escrito, nullptr) || escrito != parte) return false;
        feito += escrito;
    }
    return true;
}

}  // namespace

bool AcrescentaDuravel(const fs::path& caminho, uint64_t tamanho, const std::string& bytes) {
    HANDLE arquivo = CreateFileW(caminho.wstring().c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                 OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (arquivo == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER atual{}, posicao{};
    posicao.QuadPart = static_cast<LONGLONG>(tamanho);
    bool ok = GetFileSizeEx(arquivo, &atual) && static_cast<uint64_t>(atual.QuadPart) >= tamanho &&
              SetFilePointerEx(arquivo, posicao, nullptr, FILE_BEGIN) && SetEndOfFile(arquivo) &&
              GravaTudo(arquivo, bytes) && FlushFileBuffers(arquivo);
    return CloseHandle(arquivo) && ok;
}

Trava::Trava(const fs::path& caminho, bool espera) {
    if (!espera) {
        // Held without waiting: the file opened with no sharing at all,
        // which no other process can open meanwhile (and which a process
        // that ends lets go of). Not a byte-range lock: under wine one held
        // for long made later file opens fail with "too many open files".
        HANDLE alca = CreateFileW(caminho.wstring().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (alca == INVALID_HANDLE_VALUE) {
            ocupada_ = GetLastError() == ERROR_SHARING_VIOLATION;
            return;
        }
        alca_ = alca;
        obtida_ = true;
        exclusivo_ = true;
        return;
    }
    HANDLE alca = CreateFileW(caminho.wstring().c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (alca == INVALID_HANDLE_VALUE) return;
    OVERLAPPED inicio{};
    if (!LockFileEx(alca, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &inicio)) {
        CloseHandle(alca);
        return;
    }
    alca_ = alca;
    obtida_ = true;
}

Trava::~Trava() {
    if (!alca_) return;
    OVERLAPPED inicio{};
    if (!exclusivo_) UnlockFileEx(static_cast<HANDLE>(alca_), 0, 1, 0, &inicio);
    CloseHandle(static_cast<HANDLE>(alca_));
}

ArquivoDeResposta::ArquivoDeResposta(const fs::path& caminho) {
    HANDLE alca = CreateFileW(caminho.wstring().c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (alca == INVALID_HANDLE_VALUE) return;
    alca_ = alca;
    pronto_ = GravaTudo(alca, std::string(kReserva, ' '));
}

ArquivoDeResposta::~ArquivoDeResposta() {
    if (alca_) CloseHandle(static_cast<HANDLE>(alca_));
}

bool ArquivoDeResposta::Escreve(const std::string& bytes) {
    HANDLE alca = static_cast<HANDLE>(alca_);
    LARGE_INTEGER zero{};
    return pronto_ && bytes.size() <= kReserva && SetFilePointerEx(alca, zero, nullptr, FILE_BEGIN) &&
           GravaTudo(alca, bytes) && SetEndOfFile(alca);
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

bool AcrescentaDuravel(const fs::path& caminho, uint64_t tamanho, const std::string& bytes) {
    int descritor = ::open(caminho.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (descritor < 0) return false;
    struct stat dados {};
    bool ok = ::fstat(descritor, &dados) == 0 && S_ISREG(dados.st_mode) &&
              static_cast<uint64_t>(dados.st_size) >= tamanho &&
              ::ftruncate(descritor, static_cast<off_t>(tamanho)) == 0 &&
              ::lseek(descritor, static_cast<off_t>(tamanho), SEEK_SET) >= 0 && GravaTudo(descritor, bytes) &&
              ::fsync(descritor) == 0;
    ok = ::close(descritor) == 0 && ok;
    // A new entry must reach the disk too, or a crash could lose it.
    if (ok) comum::SincronizaPasta(caminho);
    return ok;
}

Trava::Trava(const fs::path& caminho, bool espera) {
    descritor_ = ::open(caminho.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    // A lock file someone else made and we may only read still locks.
    if (descritor_ < 0) descritor_ = ::open(caminho.c_str(), O_RDONLY | O_CLOEXEC);
    if (descritor_ < 0) return;
    // flock belongs to this open file, not to the process: two copies of
    // the library in one process exclude each other as well.
    int resultado;
    while ((resultado = ::flock(descritor_, LOCK_EX | (espera ? 0 : LOCK_NB))) != 0 && errno == EINTR) {
    }
    obtida_ = resultado == 0;
    ocupada_ = !obtida_ && errno == EWOULDBLOCK;
}

Trava::~Trava() {
    if (descritor_ >= 0) ::close(descritor_);
}

ArquivoDeResposta::ArquivoDeResposta(const fs::path& caminho) {
    // Overwritten and cut to length rather than opened empty: ext4 flushes
    // a file cut to nothing and written again when it is closed, a cost on
    // every command for a file nobody needs after a crash.
    descritor_ = ::open(caminho.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    pronto_ = descritor_ >= 0 && GravaTudo(descritor_, std::string(kReserva, ' ')) &&
              ::ftruncate(descritor_, static_cast<off_t>(kReserva)) == 0;
}

ArquivoDeResposta::~ArquivoDeResposta() {
    if (descritor_ >= 0) ::close(descritor_);
}

bool ArquivoDeResposta::Escreve(const std::string& bytes) {
    return pronto_ && bytes.size() <= kReserva && ::lseek(descritor_, 0, SEEK_SET) == 0 &&
           GravaTudo(descritor_, bytes) && ::ftruncate(descritor_, static_cast<off_t>(bytes.size())) == 0;
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

bool SobrescreveNoLugar(const fs::path& caminho, const std::string& bytes) {
#if defined(_WIN32)
    std::FILE* arquivo = _wfopen(caminho.c_str(), L"r+b");
#else
    std::FILE* arquivo = std::fopen(caminho.c_str(), "r+b");
#endif
    if (!arquivo) return Grava(caminho, bytes, std::ios::trunc);
    // A file of another size (damaged) would keep a tail: written anew.
    const bool outroTamanho = std::fseek(arquivo, 0, SEEK_END) != 0 ||
                              std::ftell(arquivo) != static_cast<long>(bytes.size()) ||
                              std::fseek(arquivo, 0, SEEK_SET) != 0;
    if (outroTamanho) {
        std::fclose(arquivo);
        return Grava(caminho, bytes, std::ios::trunc);
    }
    const bool escrito = std::fwrite(bytes.data(), 1, bytes.size(), arquivo) == bytes.size();
    return std::fclose(arquivo) == 0 && escrito;
}

}  // namespace zubsim
