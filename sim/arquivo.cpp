#include "arquivo.h"

#include "arquivo_atomico.h"

#include <system_error>

namespace zubsim {

namespace fs = std::filesystem;

Leitura LeArquivo(const fs::path& caminho, std::string& bytes) {
    std::error_code erro;
    const fs::file_type tipo = fs::status(caminho, erro).type();
    if (tipo == fs::file_type::not_found) return Leitura::Ausente;
    // A directory, a pipe or a device in its place is not opened at all.
    if (tipo != fs::file_type::regular) return Leitura::Falhou;
    comum::Arquivo arquivo(caminho, comum::Abertura::Le);
    return arquivo.Regular() && arquivo.Le(bytes) ? Leitura::Lido : Leitura::Falhou;
}

bool AcrescentaDuravel(const fs::path& caminho, uint64_t tamanho, const std::string& bytes) {
    comum::Arquivo arquivo(caminho, comum::Abertura::Altera);
    uint64_t atual = 0;
    const bool ok = arquivo.Regular() && arquivo.Tamanho(atual) && atual >= tamanho && arquivo.Corta(tamanho) &&
                    arquivo.Escreve(bytes) && arquivo.Sincroniza();
    if (!arquivo.Fecha() || !ok) return false;
    // A new entry must reach the disk too, or a crash could lose it.
    comum::SincronizaPasta(caminho);
    return true;
}

bool GravaSimples(const fs::path& caminho, const std::string& bytes) {
    comum::Arquivo arquivo(caminho, comum::Abertura::Cria);
    return arquivo.Escreve(bytes) && arquivo.Fecha();
}

bool Acrescenta(const fs::path& caminho, const std::string& bytes) {
    comum::Arquivo arquivo(caminho, comum::Abertura::Acrescenta);
    return arquivo.Escreve(bytes) && arquivo.Fecha();
}

bool SobrescreveNoLugar(const fs::path& caminho, const std::string& bytes) {
    comum::Arquivo arquivo(caminho, comum::Abertura::Altera);
    uint64_t tamanho = 0;
    // A file of another size (damaged) would keep a tail: cut to length.
    return arquivo.Tamanho(tamanho) && arquivo.Escreve(bytes) &&
           (tamanho == bytes.size() || arquivo.Corta(bytes.size())) && arquivo.Fecha();
}

Trava::Trava(const fs::path& caminho, bool espera)
    : comum::Trava(caminho, espera ? kSempre : std::chrono::milliseconds(0), {}, Abertura::Compartilhada,
                   espera ? Forma::Byte : Forma::SemPartilha) {}

// Overwritten and cut to length rather than opened empty: ext4 flushes a
// file cut to nothing and written again when it is closed, a cost on every
// command for a file nobody needs after a crash.
ArquivoDeResposta::ArquivoDeResposta(const fs::path& caminho)
    : arquivo_(caminho, comum::Abertura::Altera),
      pronto_(arquivo_.Escreve(std::string(kReserva, ' ')) && arquivo_.Corta(kReserva)) {}

bool ArquivoDeResposta::Escreve(const std::string& bytes) {
    return pronto_ && bytes.size() <= kReserva && arquivo_.Posiciona(0) && arquivo_.Escreve(bytes) &&
           arquivo_.Corta(bytes.size());
}

}  // namespace zubsim
