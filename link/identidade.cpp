#include "identidade.h"

#include "zub_dll3.h"

#if defined(_WIN32)
#include "texto_windows.h"
#endif

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

namespace tavorin {

namespace {

constexpr uint32_t kK[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

constexpr uint32_t Gira(uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

#if defined(_WIN32)
// The fixed file version of the file's version resource, "a.b.c.d"; empty
// when it has none.
std::string VersaoDoArquivo(const std::wstring& caminho) {
    DWORD ignorado = 0;
    const DWORD tamanho = GetFileVersionInfoSizeW(caminho.c_str(), &ignorado);
    if (tamanho == 0) return {};
    std::vector<unsigned char> dados(tamanho);
    if (!GetFileVersionInfoW(caminho.c_str(), 0, tamanho, dados.data())) return {};
    VS_FIXEDFILEINFO* fixo = nullptr;
    UINT n = 0;
    if (!VerQueryValueW(dados.data(), L"\\", reinterpret_cast<void**>(&fixo), &n) || !fixo || n < sizeof *fixo)
        return {};
    return std::to_string(HIWORD(fixo->dwFileVersionMS)) + "." + std::to_string(LOWORD(fixo->dwFileVersionMS)) + "." +
           std::to_string(HIWORD(fixo->dwFileVersionLS)) + "." + std::to_string(LOWORD(fixo->dwFileVersionLS));
}
#endif

}  // namespace

const char* VersaoTavorin() { return TAVORIN_VERSAO; }

std::string ComMilhares(uint64_t n) {
    std::string digitos = std::to_string(n);
    for (int i = static_cast<int>(digitos.size()) - 3; i > 0; i -= 3) digitos.insert(static_cast<std::size_t>(i), 1, '.');
    return digitos;
}

Sha256::Sha256()
    : h_{0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19} {}

void Sha256::Bloco(const unsigned char* p) {
    uint32_t w[64];
    for (int i = 0; i < 16; ++i)
        w[i] = uint32_t(p[4 * i]) << 24 | uint32_t(p[4 * i + 1]) << 16 | uint32_t(p[4 * i + 2]) << 8 | p[4 * i + 3];
    for (int i = 16; i < 64; ++i) {
        const uint32_t s0 = Gira(w[i - 15], 7) ^ Gira(w[i - 15], 18) ^ (w[i - 15] >> 3);
        const uint32_t s1 = Gira(w[i - 2], 17) ^ Gira(w[i - 2], 19) ^ (w[i - 2] >> 10);
        w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    uint32_t a = h_[0], b = h_[1], c = h_[2], d = h_[3], e = h_[4], f = h_[5], g = h_[6], h = h_[7];
    for (int i = 0; i < 64; ++i) {
        const uint32_t t1 = h + (Gira(e, 6) ^ Gira(e, 11) ^ Gira(e, 25)) + ((e & f) ^ (~e & g)) + kK[i] + w[i];
        const uint32_t t2 = (Gira(a, 2) ^ Gira(a, 13) ^ Gira(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
        h = g;
        g = f;
        f = e;
        e = d + t1;
        d = c;
        c = b;
        b = a;
        a = t1 + t2;
    }
    h_[0] += a, h_[1] += b, h_[2] += c, h_[3] += d, h_[4] += e, h_[5] += f, h_[6] += g, h_[7] += h;
}

void Sha256::Acrescenta(const void* dados, std::size_t tamanho) {
    const auto* p = static_cast<const unsigned char*>(dados);
    total_ += tamanho;
    while (tamanho > 0) {
        if (usados_ == 0 && tamanho >= 64) {
            Bloco(p);
            p += 64;
            tamanho -= 64;
            continue;
        }
        const std::size_t n = std::min(tamanho, 64 - usados_);
        std::copy(p, p + n, pendente_.begin() + static_cast<std::ptrdiff_t>(usados_));
        usados_ += n;
        p += n;
        tamanho -= n;
        if (usados_ == 64) {
            Bloco(pendente_.data());
            usados_ = 0;
        }
    }
}

std::string Sha256::Hex() {
    const uint64_t bits = total_ * 8;
    const unsigned char um = 0x80;
    Acrescenta(&um, 1);
    const unsigned char zero = 0;
    while (usados_ != 56) Acrescenta(&zero, 1);
    unsigned char comprimento[8];
    for (int i = 0; i < 8; ++i) comprimento[i] = static_cast<unsigned char>(bits >> (56 - 8 * i));
    Acrescenta(comprimento, 8);
    static const char kHex[] = "0123456789abcdef";
    std::string hex;
    for (uint32_t palavra : h_)
        for (int i = 28; i >= 0; i -= 4) hex += kHex[(palavra >> i) & 0xF];
    return hex;
}

IdentidadeArquivo IdentificaArquivo(const std::string& caminho) {
    IdentidadeArquivo identidade;
    identidade.caminho = caminho;
#if defined(_WIN32)
    const std::wstring largo = Largo(caminho, CP_UTF8);
    identidade.versao = VersaoDoArquivo(largo);
    std::ifstream arquivo(std::filesystem::path(largo), std::ios::binary);
#else
    std::ifstream arquivo(caminho, std::ios::binary);
#endif
    if (!arquivo) return identidade;
    Sha256 sha;
    uint64_t tamanho = 0;
    char bloco[65536];
    while (arquivo.read(bloco, sizeof bloco) || arquivo.gcount() > 0) {
        sha.Acrescenta(bloco, static_cast<std::size_t>(arquivo.gcount()));
        tamanho += static_cast<uint64_t>(arquivo.gcount());
    }
    if (arquivo.bad()) return identidade;
    identidade.tamanho = tamanho;
    identidade.sha256 = sha.Hex();
    return identidade;
}

std::vector<std::string> DescreveBiblioteca(const std::optional<IdentidadeArquivo>& identidade,
                                            const std::string& arquivo) {
    if (!identidade) return {"Biblioteca do driver não encontrada: " + arquivo};
    std::vector<std::string> linhas{"Biblioteca do driver: " + identidade->caminho};
    if (identidade->versao)
        linhas.push_back("Versão do arquivo: " + (identidade->versao->empty() ? std::string("nenhuma") : *identidade->versao));
    if (!identidade->tamanho) {
        linhas.push_back("Arquivo ilegível: tamanho e SHA-256 desconhecidos");
        return linhas;
    }
    linhas.push_back("Tamanho: " + ComMilhares(*identidade->tamanho) + " bytes");
    linhas.push_back("SHA-256: " + identidade->sha256);
    return linhas;
}

std::vector<std::string> DescreveVersao(const std::string& carregada) {
    std::vector<std::string> linhas{std::string("Tavorin ") + VersaoTavorin()};
    const auto biblioteca = DescreveBiblioteca(
        carregada.empty() ? std::nullopt : std::optional<IdentidadeArquivo>(IdentificaArquivo(carregada)), kBibliotecaDriver);
    linhas.insert(linhas.end(), biblioteca.begin(), biblioteca.end());
    return linhas;
}

}  // namespace tavorin
