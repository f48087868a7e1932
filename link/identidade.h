// Which driver library is in use: support's first question. The file's
// full path, its version where it carries one (a Windows version
// resource), its size and SHA-256, for the command line's --version, the
// "Comunicação" window and the head of a saved exchange log.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tavorin {

// Tavorin's own version, "1.0".
const char* VersaoTavorin();

// 1234567 -> "1.234.567", as the windows write numbers.
std::string ComMilhares(uint64_t n);

// SHA-256, fed in pieces.
class Sha256 {
public:
    Sha256();
    void Acrescenta(const void* dados, std::size_t tamanho);
    // The digest as 64 lower-case hex digits; the object is spent after it.
    std::string Hex();

private:
    void Bloco(const unsigned char* bloco);
    std::array<uint32_t, 8> h_;
    std::array<unsigned char, 64> pendente_{};
    std::size_t usados_ = 0;
    uint64_t total_ = 0;
};

struct IdentidadeArquivo {
    std::string caminho;                  // full path, UTF-8
    std::optional<uint64_t> tamanho;      // none when the file cannot be read
    std::string sha256;                   // empty when the file cannot be read
    std::optional<std::string> versao;    // Windows only: "a.b.c.d", or empty when the file has none
};

// Reads the file whole to hash it. `caminho` is UTF-8 on Windows too.
IdentidadeArquivo IdentificaArquivo(const std::string& caminho);

// The lines shown to a technician: the library's path, version (Windows),
// size and SHA-256; or that no library was found under `arquivo`.
std::vector<std::string> DescreveBiblioteca(const std::optional<IdentidadeArquivo>& identidade,
                                            const std::string& arquivo);

// "Tavorin 1.0", then the lines above for the library at `carregada` (a
// full path; empty: none was found under the driver's file name).
std::vector<std::string> DescreveVersao(const std::string& carregada);

}  // namespace tavorin
