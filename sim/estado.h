// The printer's memory: counters, the day's totals, the open coupon, a
// reading in progress and the fiscal memory (one record per Redução Z).
// It lives in a small key=value text file and is read again before every
// command, so restarts and other processes see one printer.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zubsim {

inline constexpr int kFormatoEstado = 1;
inline constexpr const char* kArquivoEstado = "ZubSim-estado.txt";
inline constexpr const char* kArquivoBobina = "ZubSim-bobina.txt";

// The tax codes an item may carry, in the order of the day's totals.
inline constexpr std::size_t kTributos = 7;
inline constexpr const char* kCodigosTributo[kTributos] = {"T01", "T02", "T03", "T04",
                                                            "F01", "I01", "N01"};

// One record of the fiscal memory.
struct Reducao {
    int crz = 0;                // reduction number
    int64_t coo = 0;            // COO of the Redução Z document
    int movimento = 0;          // day whose movement it closed, yyyymmdd
    int64_t emissao = 0;        // printer clock when it was issued
    int64_t vendaBruta = 0;     // the day's gross sales, centavos
    int64_t grandeTotal = 0;    // grand total after it, centavos
};

// A fiscal memory reading sent to the file, between its command and its
// last ".++".
struct LeituraEmCurso {
    int tipo = 0;        // 0 none, 15 by reduction, 16 by date
    int inicio = 0;      // reduction number, or date yyyymmdd
    int fim = 0;
    int proximo = 0;     // index of the next block to send
    int64_t emissao = 0; // printer clock at the reading command
};

struct Cupom {
    bool aberto = false;
    int itens = 0;
    int64_t total = 0;   // centavos
    int64_t pago = 0;    // centavos
};

struct Estado {
    int64_t coo = 0;
    int64_t ccf = 0;
    int crz = 0;
    int64_t grandeTotal = 0;
    int64_t desvioRelogio = 0;  // printer clock minus host clock, seconds
    bool horarioVerao = false;
    int diaMovimento = 0;       // first day of the movement not yet reduced, or 0
    int diaUltimaZ = 0;         // movement day closed by the last Redução Z, or 0
    int diaPrimeiraLX = 0;      // day of the last day's first Leitura X, or 0
    std::array<int64_t, kTributos> totaisDia{};
    Cupom cupom;
    LeituraEmCurso leitura;
    std::vector<Reducao> reducoes;
};

std::string Serializa(const Estado& estado);
// False when the text is not a complete state of this format.
bool Interpreta(const std::string& texto, Estado& estado);

enum class Carga { Nova, Lida, Ilegivel };
// A missing file is a new printer.
Carga CarregaEstado(const std::filesystem::path& arquivo, Estado& estado);
bool SalvaEstado(const std::filesystem::path& arquivo, const Estado& estado);

}  // namespace zubsim
