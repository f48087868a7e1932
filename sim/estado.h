// The printer's memory: counters, the day's totals, the open coupon, a
// reading in progress and the fiscal memory (one record per Redução Z).
// The state file holds all but the fiscal memory, closed by a CRC-32 of
// its content; the fiscal memory is a file of its own that only ever
// grows, bound to the state by its length and CRC-32, so a save costs the
// same however many reductions there are.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zubsim {

// Format 1 (no checksum, the fiscal memory inside the state file) is still
// read; every save writes format 2.
inline constexpr int kFormatoEstado = 2;
inline constexpr const char* kArquivoEstado = "ZubSim-estado.txt";
inline constexpr const char* kArquivoMemoria = "ZubSim-memoria.txt";
inline constexpr const char* kArquivoBobina = "ZubSim-bobina.txt";
inline constexpr const char* kArquivoLeitura = "ZubSim-leitura.txt";

// Limits of what the printer can count: the answers show six digits of
// COO and CCF, twelve of a coupon's amounts, and the fiscal memory holds
// 9999 reductions. Totals stay far below the 64-bit limit even summed over
// the whole fiscal memory; clock values stay within the calendar's range.
inline constexpr int64_t kLimiteContador = 999999;
inline constexpr int kLimiteReducoes = 9999;
inline constexpr int64_t kLimiteCupom = 999999999999;      // centavos
inline constexpr int64_t kLimiteTotal = 99999999999999;    // centavos
inline constexpr int64_t kLimiteDesvio = 5000000000;       // seconds, about 158 years
inline constexpr int64_t kLimiteSegundos = 100000000000;   // about the year 5100

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

// True when every value is within its range and the parts agree: what
// the state file reader accepts, and what a command may leave behind.
// The records from `desde` on are checked (those before it were checked
// when they were read or made).
bool Valido(const Estado& estado, std::size_t desde = 0);

// The fiscal memory file as it stands behind a state file: its first
// `bytes` bytes hold `registros` records and have this CRC-32.
struct Memoria {
    std::size_t registros = 0;
    uint64_t bytes = 0;
    uint32_t crc = 0;
};

// One fiscal memory record as a line of the fiscal memory file.
std::string LinhaDeReducao(const Reducao& reducao);
// The state file's content (format 2) over the fiscal memory `memoria`.
std::string Serializa(const Estado& estado, const Memoria& memoria);

// Reads a state file's content. Format 2 leaves the records out of
// `estado` and says in `memoria` what the fiscal memory file must hold;
// format 1 brings its records along (`memoria` all zero). False when the
// text is not a complete, valid state, or its checksum does not match.
bool Interpreta(const std::string& texto, Estado& estado, Memoria& memoria);
// Reads the records from the fiscal memory file's content into `estado`:
// false unless its first `memoria.bytes` bytes match and hold exactly
// `memoria.registros` valid records. Bytes beyond them are what an
// interrupted Redução Z left, and are ignored. With `memoria` all zero
// (no records yet, or format 1) it leaves `estado` as it is.
bool InterpretaMemoria(const std::string& texto, const Memoria& memoria, Estado& estado);

// The state of one printer folder as this process last read or wrote it,
// so a command need not read the fiscal memory again while no other
// process has changed the state.
struct Gravado {
    std::string texto;   // the state file's bytes
    Estado estado;
    Memoria memoria;
    uint64_t tamanhoMemoria = 0;   // the fiscal memory file's size then
};

// The position of a reading to the file, kept beside the state and
// rewritten in place at every block: replacing the state file block by
// block would cost a flush of the disk each time. It counts only for the
// reading the state names (kind, range and time of issue alike).
// The position kept for `leitura`, or -1 when none is kept for it.
int PosicaoGuardada(const std::filesystem::path& pasta, const LeituraEmCurso& leitura);
bool GuardaPosicao(const std::filesystem::path& pasta, const LeituraEmCurso& leitura);

enum class Carga { Nova, Lida, Ilegivel };
// Loads the state of `pasta`, reusing `gravado` while the state file still
// holds its bytes. A missing state file is a new printer, unless a fiscal
// memory with records is there (or the state is a link to nothing): that
// is unreadable, as a state path that is not a regular file is.
Carga CarregaEstado(const std::filesystem::path& pasta, Gravado& gravado);
// Saves `gravado.estado`, a state changed since `gravado` was loaded or
// saved: the new fiscal memory records appended and flushed, then the
// state file replaced (flushed too when `duravel`). On success the rest of
// `gravado` describes the new files; on failure it is unchanged.
bool SalvaEstado(const std::filesystem::path& pasta, bool duravel, Gravado& gravado);

}  // namespace zubsim
