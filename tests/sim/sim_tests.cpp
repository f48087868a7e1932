// The simulated printer driven through its three exported functions, as
// the program drives it, in a fresh working directory per test with every
// ZUBSIM_* setting cleared.
#include "ambiente_teste.h"
#include "calendario.h"
#include "impressora.h"
#include "link.h"
#include "respostas.h"
#include "trava.h"
#include "zubsim.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <thread>

#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace zubsim {
namespace {

using namespace tavorin::teste;
using tavorin::Mid;
namespace fs = std::filesystem;

// Run as a child of OnePrinterManyProcesses (ZUBSIM_TESTE_FILHO set to a
// count): sends that many Leituras X from a working folder of its own, each
// with the port opened for it, and adds what each answer said, the COO or
// "-" and the error code, to one list in the printer's folder; then ends
// the process before any test runs.
const int kFilho = [] {
    const char* vezes = std::getenv("ZUBSIM_TESTE_FILHO");
    if (!vezes) return 0;
    {
        DiretorioTemporario trabalho;
        for (int i = std::atoi(vezes); i > 0; --i) {
            // Each command in its turn, waited for on a lock of the two
            // processes: the other one's changes are seen at the next, and
            // the list is in the order the commands were carried out.
            const comum::Trava vez(fs::path(std::getenv("ZUBSIM_DIR")) / "vez.trava", comum::Trava::kSempre);
            Abre(1);
            const int16_t resultado = TXRX(1, 10, ".13");
            Fecha(1);
            const std::string linha = LeArquivo(tavorin::kArquivoResposta);
            std::ofstream(fs::path(std::getenv("ZUBSIM_DIR")) / "coos.txt", std::ios::app | std::ios::binary)
                << (resultado != 0 ? "sem-resposta" : Mid(linha, 2, 1) == "+" ? Mid(linha, 5, 4) : "-" + Mid(linha, 21, 2)) << "\n";
        }
    }
    std::exit(0);
}();

// This test program's own file, to start it again as a child.
std::string EstePrograma() {
#if defined(_WIN32)
    char nome[MAX_PATH];
    return std::string(nome, GetModuleFileNameA(nullptr, nome, MAX_PATH));
#else
    return "\"" + fs::read_symlink("/proc/self/exe").string() + "\"";
#endif
}

// The state file's content with its CRC-32 line made anew, as a save
// would write it.
std::string Sela(std::string texto) {
    texto.resize(texto.rfind("crc32="));
    char crc[16];
    std::snprintf(crc, sizeof crc, "%08lx", crc32(0, reinterpret_cast<const Bytef*>(texto.data()), static_cast<uInt>(texto.size())));
    return texto + "crc32=" + crc + "\n";
}

class Simulador : public ::testing::Test {
protected:
    // A state folder that does not exist yet: the printer creates it.
    void SetUp() override { AmbienteDoSimulador(pasta_.Caminho() / "estado"); }

    // Abre, then TXRX, as the program sends every command.
    int16_t Envia(const std::string& comando, int16_t porta = 1) {
        Abre(porta);
        std::filesystem::remove(tavorin::kArquivoResposta);
        const int16_t resultado = TXRX(porta, 10, comando.c_str());
        arquivo_ = LeArquivo(tavorin::kArquivoResposta);
        resposta_ = arquivo_.substr(0, arquivo_.find("\r\n"));
        return resultado;
    }

    // The data of each block up to "]", one a line: the blocks numbered in
    // turn, each closed by its only "}", where the program stops reading.
    std::string LeBlocos() {
        std::string dados;
        for (int numero = 1; Mid(resposta_, 2, 1) == "+" && numero < 1000; ++numero) {
            EXPECT_EQ(Mid(resposta_, 1, 6), "@+" + std::to_string(10000 + numero).substr(1));
            EXPECT_EQ(resposta_.find('}', 6), resposta_.size() - 1) << resposta_;
            dados += resposta_.substr(6, resposta_.size() - 7) + "\n";
            Envia(".++");
        }
        return dados;
    }

    // Steps of a session: a command and what must follow it. The answer's
    // status ("+", "]", or "-" and the error code; nothing: no answer, TXRX
    // -2), then "position=text" fields; after each "|" a text the step must
    // have printed ("!" in front: must not). A reading to the file expecting
    // "]" is read to its end, and the texts are looked for in its blocks.
    // "ZUBSIM_X=v" sets a setting of the printer, "ZUBSIM_X=" clears it.
    using Passos = std::vector<std::pair<std::string, std::string>>;
    void Roteiro(const Passos& passos) {
        for (const auto& [comando, esperado] : passos) {
            SCOPED_TRACE(comando + " -> " + esperado);
            const std::size_t igual = comando.find('=');
            if (comando.rfind("ZUBSIM_", 0) == 0) {
                const std::string valor = comando.substr(igual + 1);
                PoeAmbiente(comando.substr(0, igual).c_str(), valor.empty() ? nullptr : valor.c_str());
                continue;
            }
            std::istringstream campos(esperado.substr(0, esperado.find('|')));
            std::string status, campo;
            campos >> status;
            const std::string antes = Bobina();
            EXPECT_EQ(Envia(comando), status.empty() ? -2 : 0);
            const std::string bobina = Bobina();
            std::string texto = bobina.compare(0, antes.size(), antes) ? "(rewritten)" : bobina.substr(antes.size());
            if (status == "]" && comando.back() == '#') texto = LeBlocos();
            const std::string visto = Mid(resposta_, 2, 1);
            EXPECT_EQ(visto + (visto == "-" ? Mid(resposta_, 21, 2) : ""), status) << resposta_;
            while (campos >> campo) {
                const std::size_t posicao = std::stoul(campo), tamanho = campo.size() - campo.find('=') - 1;
                EXPECT_EQ(Mid(resposta_, posicao, tamanho), campo.substr(campo.size() - tamanho)) << resposta_;
            }
            for (std::size_t fim, i = esperado.find('|'); i != std::string::npos; i = fim) {
                fim = esperado.find('|', i + 1);
                const std::string trecho = esperado.substr(i + 1, fim - i - 1);
                const bool nao = trecho[0] == '!';
                EXPECT_EQ(texto.find(trecho.substr(nao)) != std::string::npos, !nao) << trecho << " in\n" << texto;
            }
        }
    }

    std::filesystem::path Estado() const { return pasta_.Caminho() / "estado" / "ZubSim-estado.txt"; }
    std::filesystem::path Memoria() const { return Estado().parent_path() / "ZubSim-memoria.txt"; }
    std::string Bobina() const { return LeArquivo(pasta_.Caminho() / "estado" / "ZubSim-bobina.txt"); }

    std::string resposta_, arquivo_;
    DiretorioTemporario pasta_;
};

std::string Item(Campos trocas) { return ComCampos(kItem, trocas); }

// Days of a shop. ".28": COO at 5, the coupon's state at 15, the day's
// Redução Z state at 18, the clock ddmmyyhhmm at 44, summer time at 54,
// the day's first Leitura X at 124. ".5609": COO at 5 and 23; ".271": CCF
// at 23 and 115. A sale: its items at 23, total at 27, what is paid at 40,
// what is left (at the close, the change) at 53.
TEST_F(Simulador, ShopDays) {
    Roteiro({
        // The paper roll says at its head, once, that it is no fiscal
        // document. Off line only the status queries are answered; out of paper
        // whatever prints is refused. Only "1" switches either on.
        {"ZUBSIM_SEM_PAPEL=0", ""}, {"ZUBSIM_FORA_DE_LINHA=0", ""}, {".23", "+ 6=0"}, {"ZUBSIM_FORA_DE_LINHA=1", ""},
        {".23", "+ 6=1"}, {".28", "+"}, {".5609", "+"}, {".271", "+"}, {".21", "-04"}, {".13", "-04"},
        {".1500011000#", "-04"}, {".35100000010324", "-04"}, {".36S", "-04"}, {"ZUBSIM_SEM_PAPEL=1", ""},
        {".23", "+ 6=5"}, {"ZUBSIM_FORA_DE_LINHA=", ""}, {".23", "+ 6=5"}, {".13", "-05"}, {".14", "-05"},
        {".17", "-05"}, {kItem, "-05"}, {kPaga100, "-05"}, {".12", "-05"}, {".1500011000", "-05"}, {".21", "+"},
        {".1500011000#", "]"}, {".36S", "+"}, {".36N", "+"}, {"ZUBSIM_SEM_PAPEL=", ""}, {".5609", "+ 5=0000"},
        // Commands it does not know, or not in this form.
        {".99", "-01"}, {"x28", "-02"}, {".28 ", "-02"}, {".13#", "-02"}, {".36X", "-03"}, {".5608", "-24"},
        {".35100000010324", "+"}, {".28", "+ 5=0000 15=0 18=N 44=0103241000 54=N 124=N"}, {".21", "+|!COO"},
        {".13", "+ 5=0001|* IMPRESSORA SIMULADA — NÃO É DOCUMENTO FISCAL *\n=====|LEITURA X|01/03/2024 10:00|COO:000001"}, {".28", "+ 18=N 124=S"},
        // A coupon, each step also tried out of its order.
        {kItem, "-15"}, {kPaga100, "-15"}, {".12", "-15"}, {".17", "+ 5=0002 115=0001|CUPOM FISCAL|CCF:000001|!SIMULADA —"},
        {".28", "+ 15=1"}, {".17", "-14"}, {kPaga100, "-16"}, {".12", "-16"}, {".13", "-14"}, {".14", "-14"},
        {".35110000010324", "-14"}, {".36S", "-14"},
        {kItem, "+ 23=001 27=000000000100|001 1234567890123 PRODUTO DE QUALIDADE|1,000 UN x 1,00  T01"},
        {Item({{4, "12345678901X3"}}), "-18"}, {Item({{69, "T09"}}), "-18"},
        // 2,500 kg at R$3,99 is R$9,975, rounded to R$9,98; the description
        // in the printer's code page.
        {Item({{17, "0002500000000399"}, {45, "CAF\xC9 COM A\xC7\xDA" "CAR     "}, {65, "KG  "}, {69, "F01"}}),
         "+ 23=002 27=000000001098|CAFÉ COM AÇÚCAR|2,500 KG x 3,99  F01"},
        {".28", "+ 15=2"}, {".12", "-17"}, {".1006000000001000", "-19"},
        {".1003000000000500", "+ 40=000000000500 53=000000000598|TOTAL R$|CARTÃO DE CRÉDITO"},
        {".28", "+ 15=3"}, {kItem, "-20"}, {".12", "-17"},
        {".1001000000000600", "+ 40=000000001100 53=000000000000|DINHEIRO"}, {kPaga100, "-21"},
        {".12", "+ 27=000000001098 53=000000000002|TROCO R$"}, {".12", "-15"}, {".28", "+ 15=0"},
        {".5609", "+ 5=0002 23=000002"}, {".271", "+ 23=000001 115=0001"},
        // The next day: yesterday's movement waits for its Redução Z; a
        // Leitura X is still allowed. The Z closes 01/03.
        {".35090000020324", "+"}, {".28", "+ 18=F 124=N"}, {".17", "-12"}, {".13", "+ 5=0003"},
        {".28", "+ 18=F 124=S"}, {".14", "+ 5=0004 10=0001|REDUÇÃO Z|01/03/2024|VENDA BRUTA DIÁRIA"},
        {".28", "+ 18=N"}, {".17", "+ 5=0005 115=0002"}, {kItem, "+"}, {kItem, "+"}, {kPaga100, "+"}, {".12", "+"},
        {".14", "+ 5=0006 10=0002"}, {".28", "+ 18=S"}, {".17", "-13"}, {".14", "-13"}, {".13", "+ 5=0007"},
        // A day without movement has its Redução Z too, once.
        {".35100000050324", "+"}, {".28", "+ 18=N 124=N"}, {".14", "+ 5=0008 10=0003"}, {".14", "-13"},
        // Readings of the fiscal memory to the file print nothing; the
        // status queries leave one going, anything else ends it.
        {".1500011000#", "]|LEITURA DA MEM\xD3RIA FISCAL|REDU\xC7\xC3O 0001  MOVIMENTO 01/03/24|FIM DA LEITURA|"
                         "REDU\xC7\xC3O 0002  MOVIMENTO 02/03/24|REDU\xC7\xC3O 0003  MOVIMENTO 05/03/24"},
        {".16020324040324#", "]|REDU\xC7\xC3O 0002|!REDU\xC7\xC3O 0001|!REDU\xC7\xC3O 0003"},
        {".16010100311223#", "]|NENHUMA REDU\xC7\xC3O NO INTERVALO"}, {".16290224290224#", "]"}, {".5609", "+ 5=0008"},
        {".++", "-23"}, {".1500011000#", "+ 3=0001"}, {".++", "+ 3=0002"}, {".28", "+"}, {".23", "+"},
        {".++", "+ 3=0003"}, {".21", "+"}, {".++", "-23"},
        // A new reading in place of one going on, most likely within its
        // second: the next block is the new one's.
        {".1500011000#", "+ 3=0001"}, {".1500020003#", "+ 3=0001"}, {".++", "+ 3=0002 20=0002 27=0003"},
        {".1500040001", "-22"}, {".15000A0003#", "-22"}, {".16310224010324", "-22"}, {".16020324010324#", "-22"},
        {".1500020003", "+ 5=0009|MEMÓRIA FISCAL|POR REDUÇÃO: 0002 A 0003|REDUÇÃO 0002|REDUÇÃO 0003|!REDUÇÃO 0001"},
        // ".35" takes hhmmssddmmyy; ".36S" and ".36N" move the clock an
        // hour. Neither may take it back before the last reduction's day.
        {".35240000150524", "-08"}, {".35126000150524", "-08"}, {".35120060150524", "-08"},
        {".35120000000524", "-08"}, {".35120000151324", "-08"}, {".35120000290223", "-08"},
        {".3512:000150524", "-08"}, {".3512000015052", "-02"}, {".35000000290228", "+"},
        {".35233000311224", "+"}, {".28", "+ 44=3112242330 54=N"}, {".36S", "+"}, {".28", "+ 44=0101250030 54=S"},
        {".36S", "-10"}, {".36N", "+"}, {".28", "+ 44=3112242330 54=N"}, {".36N", "-11"}, {".36S", "+"},
        {".35120000150125", "+"}, {".28", "+ 44=1501251200 54=S"}, {".35001000160125", "+"}, {".14", "+"},
        {".36N", "-09"}, {".35235959150125", "-09"},
    });
}

// Ports 1 to 8 exist. Only the printer's port answers: elsewhere, or from
// a mute printer, the answer file holds an empty line and nothing is done;
// a closed port sends nothing. With a baud rate an exchange takes at least
// its characters' time on the line: (3 + 128 + 8 frame bytes) x 10 bits.
TEST_F(Simulador, PortsSilenceAndWireTime) {
    for (int16_t porta : {0, -1, 9})
        EXPECT_EQ(std::vector<int>({Abre(porta), Fecha(porta), TXRX(porta, 10, ".28")}), std::vector<int>(3, -1));
    const std::pair<const char*, int16_t> casos[] = {{nullptr, 1}, {"8", 8}, {"nenhuma", 0}, {"9", 0}};
    for (const auto& [ajuste, responde] : casos) {
        PoeAmbiente("ZUBSIM_PORTA", ajuste);
        for (int16_t porta = 1; porta <= 8; ++porta) {
            EXPECT_EQ(Envia(".13", porta), porta == responde ? 0 : -2) << porta;
            EXPECT_EQ(arquivo_, (porta == responde ? resposta_ : "") + "\r\n");
        }
    }
    Roteiro({{"ZUBSIM_PORTA=", ""}, {"ZUBSIM_MUDA=1", ""}, {".13", ""}, {"ZUBSIM_MUDA=", ""}, {".5609", "+ 5=0002"}});
    Fecha(1);
    EXPECT_EQ(TXRX(1, 10, ".13"), -1);
    EXPECT_EQ(LeArquivo(tavorin::kArquivoResposta), arquivo_);
    Abre(1);
    EXPECT_EQ(TXRX(1, 10, nullptr), 0);
    PoeAmbiente("ZUBSIM_BAUD", "9600");
    const auto inicio = std::chrono::steady_clock::now();
    Roteiro({{".5609", "+ 5=0002"}});
    EXPECT_GE(std::chrono::steady_clock::now() - inicio, std::chrono::microseconds(139 * 10 * 1000000LL / 9600));
}

// A test's latch: the command ZUBSIM_SEGURA names waits, before it is
// carried out, while the pause file exists; never another command, never
// with the variable unset.
TEST_F(Simulador, HeldCommand) {
    {
        SeguraNoSimulador segura(Estado().parent_path(), ".13");
        Roteiro({{".23", "+"}});
        std::thread envia([this] { Envia(".13"); });
        EXPECT_TRUE(segura.EsperaChegar());
        EXPECT_EQ(Bobina().find("LEITURA X"), std::string::npos);
        segura.Solta();
        envia.join();
        EXPECT_EQ(Mid(resposta_, 1, 4), "@+13");
    }
    GravaArquivo(Estado().parent_path() / "ZubSim-segura", "");
    Roteiro({{".13", "+"}});
}

// With a printing speed a command answers once its lines are printed;
// one that prints nothing is not slowed. An answer later than the wait
// limit is lost after the limit, the command carried out all the same.
// A speed that cannot be read prints at once.
TEST_F(Simulador, PrintingTime) {
    Roteiro({{".13", "+"}});
    const std::string antes = Bobina();
    Roteiro({{".13", "+"}});
    const std::string impresso = Bobina().substr(antes.size());
    const auto linhas = std::count(impresso.begin(), impresso.end(), '\n');
    ASSERT_GT(linhas, 5);
    const auto Cronometra = [this](const char* velocidade, int16_t espera, const char* comando, int16_t resultado) {
        PoeAmbiente("ZUBSIM_LINHAS_POR_SEGUNDO", velocidade);
        Abre(1);
        const auto inicio = std::chrono::steady_clock::now();
        EXPECT_EQ(TXRX(1, espera, comando), resultado) << velocidade << " " << comando;
        return std::chrono::steady_clock::now() - inicio;
    };
    // A quarter of a second, then two seconds.
    EXPECT_GE(Cronometra(std::to_string(linhas * 4).c_str(), 10, ".13", 0), std::chrono::milliseconds(250));
    EXPECT_GE(Cronometra((std::to_string(linhas / 2) + ",0").c_str(), 1, ".13", -2), std::chrono::seconds(1));
    EXPECT_EQ(LeArquivo(tavorin::kArquivoResposta), "\r\n");
    for (const char* ilegivel : {"0", "1.2.3", "-4", "8x"}) Cronometra(ilegivel, 1, ".13", 0);
    Roteiro({{"ZUBSIM_LINHAS_POR_SEGUNDO=0,5", ""}, {".5609", "+ 5=0008"}});
}

// The state file is sealed by a CRC-32 and read again only when another
// process changed it. A change of any byte, a cut, a value out of range or
// a path that is not a file makes every command "06" and the files are kept
// as they are; a valid change (resealed) is seen at the next command.
TEST_F(Simulador, StateFile) {
    Roteiro({{".35100000010324", "+"}, {".13", "+"}, {".14", "+ 10=0001"}, {".36S", "+"}});
    const std::string bom = LeArquivo(Estado()), registros = LeArquivo(Memoria());
    ASSERT_NE(bom.find("\ncrc32="), std::string::npos);
    ASSERT_EQ(registros.rfind("reducao=1 2 20240301 ", 0), 0u) << registros;
    const auto muda = [&bom](const std::string& de, const std::string& para) {
        return Sela(std::string(bom).replace(bom.find(de), de.size(), para));
    };
    GravaArquivo(Estado(), muda("\ncoo=2\n", "\ncoo=41\n"));
    Roteiro({{".28", "+ 5=0041 10=0001 44=0103241100 54=S 124=S"}});
    // (Each bad state below differs from the one last read, so the
    // process reads it, and the fiscal memory behind it, again.)

    const std::string legado =
        "formato=1\ncoo=7\nccf=0\ncrz=1\ngrande_total=500\ndesvio_relogio=0\nhorario_verao=0\ndia_movimento=0\n"
        "dia_ultima_z=20240301\ndia_primeira_lx=0\ntotais_dia=0 0 0 0 0 0 0\ncupom=0 0 0 0\nleitura=0 0 0 0 0\n"
        "reducao=1 6 20240301 1709287200 500 500\nfim=1\n";
    std::vector<std::pair<std::string, std::string>> ruins = {
        {bom.substr(0, bom.size() / 2), registros}, {bom, registros.substr(0, registros.size() - 1)},
        {muda("\ncoo=2\n", "\ncoo=1000000\n"), registros},
        {muda("\ndesvio_relogio=", "\ndesvio_relogio=100000000000000"), registros},
        {muda("\ngrande_total=0\n", "\ngrande_total=9223372036854775807\n"), registros},
        {muda("\ntotais_dia=0 ", "\ntotais_dia=1 "), registros}, {muda("\ncrz=1\n", "\ncrz=2\n"), registros},
        {std::string(legado).replace(10, 1, "9223372036854775807"), ""}};
    for (std::size_t i = 0; i < bom.size(); ++i) ruins.push_back({std::string(bom).replace(i, 1, 1, bom[i] ^ 1), registros});
    for (std::size_t i = 0; i < registros.size(); ++i)
        ruins.push_back({bom, std::string(registros).replace(i, 1, 1, registros[i] ^ 4)});
    for (const auto& [estado, memoria2] : ruins) {
        GravaArquivo(Estado(), estado);
        GravaArquivo(Memoria(), memoria2);
        Envia(".13");
        ASSERT_EQ(Mid(resposta_, 1, 2) + Mid(resposta_, 21, 2), "@-06") << estado << memoria2;
        EXPECT_EQ(LeArquivo(Estado()), estado);
        EXPECT_EQ(LeArquivo(Memoria()), memoria2);
    }
    // A state missing, a link to nothing or a folder in its place, beside
    // a fiscal memory with records, is damage, not a new printer: nothing
    // is written.
    GravaArquivo(Memoria(), registros);
    for (const fs::file_type tipo : {fs::file_type::not_found, fs::file_type::symlink, fs::file_type::directory}) {
        fs::remove(Estado());
#if defined(_WIN32)
        if (tipo == fs::file_type::symlink) continue;  // links need a privilege on Windows
#endif
        if (tipo == fs::file_type::symlink) fs::create_symlink(Estado().string() + ".sumido", Estado());
        if (tipo == fs::file_type::directory) fs::create_directory(Estado());
        Roteiro({{".28", "-06"}, {".14", "-06"}});
        EXPECT_EQ(LeArquivo(Memoria()), registros);
        EXPECT_EQ(fs::symlink_status(Estado()).type(), tipo);
    }
    fs::remove(Estado());

    // The earlier form, without checksum and with the records inside, is
    // read, and written in this form at the next save; temporary files
    // of the simulator's naming that a killed process left are removed.
    GravaArquivo(Estado(), legado);
    const fs::path velho = Estado().string() + ".999999.tmp";
    GravaArquivo(velho, "x");
    Roteiro({{".5609", "+ 5=0007"}, {".13", "+ 5=0008"}, {".1500010001#", "]|REDU\xC7\xC3O 0001  MOVIMENTO 01/03/24  COO 000006"}});
    EXPECT_EQ(LeArquivo(Estado()).rfind("formato=2\ncoo=8\n", 0), 0u);
    EXPECT_EQ(LeArquivo(Memoria()), "reducao=1 6 20240301 1709287200 500 500\n");
    EXPECT_FALSE(fs::exists(velho));

    // No lock to be had: the state is read but not saved.
    const fs::path trava = Estado().string() + ".trava";
    fs::remove(trava);
#if defined(_WIN32)
    fs::create_directory(trava);
#else
    fs::create_symlink("nenhuma/pasta", trava);
#endif
    Roteiro({{".13", "-07"}, {".5609", "+ 5=0008"}});
}

// Counters and totals stop at their limits with an error instead of
// overflowing or leaving a state that could not be read back.
TEST_F(Simulador, Limits) {
    Roteiro({{".13", "+"}});
    const std::string bom = LeArquivo(Estado());
    // Each row: a value of the state put at its limit, then what follows.
    const std::tuple<std::string, std::string, Passos> casos[] = {
        {"\ncoo=1\n", "\ncoo=999999\n", {{".13", "-25"}, {".17", "-25"}, {".1500019999", "-25"}, {".14", "-25"}, {".5609", "+ 23=999999"}}},
        {"\nccf=0\n", "\nccf=999999\n", {{".17", "-25"}, {".271", "+ 23=999999"}}},
        {"\ncupom=0 0 0 0\n", "\ncupom=1 1 999999999999 0\n", {{kItem, "-18"}, {".1001999999999999", "+"}, {".12", "+ 27=999999999999"}}},
        {"\ngrande_total=0\n", "\ngrande_total=99999999999899\n", {{".17", "+"}, {kItem, "+"}, {kItem, "-18"}}},
        {"\ncupom=0 0 0 0\n", "\ncupom=1 1 200000000000 1\n", {{".1001999999999999", "-19"}}},
        {"\ndesvio_relogio=0\n", "\ndesvio_relogio=4999999000\n", {{".36S", "-08"}, {".28", "+ 54=N"}}},
    };
    for (const auto& [de, para, passos] : casos) {
        GravaArquivo(Estado(), Sela(std::string(bom).replace(bom.find(de), de.size(), para)));
        Roteiro(passos);
    }
}

// An answer that cannot be delivered leaves the printer exactly as it
// was, whether the answer file cannot be made (a driver error) or the
// printer behind the exports cannot hand its answer over: the state file,
// the fiscal memory and the paper roll untouched, and the printer carries
// on from there.
TEST_F(Simulador, UndeliveredAnswerNothingDone) {
    Roteiro({{".35100000010324", "+"}, {".13", "+"}});
    const Ambiente ambiente = LeAmbiente();
    fs::remove(tavorin::kArquivoResposta);
    fs::create_directory(tavorin::kArquivoResposta);
    for (bool exportada : {true, false})
        for (const char* comando : {".14", ".13", ".17", ".35120000020324", ".1500019999", ".1500011000#"}) {
            const std::string estado = LeArquivo(Estado()), registros = LeArquivo(Memoria()), bobina = Bobina();
            EXPECT_FALSE(exportada ? TXRX(1, 10, comando) != kFalhaResposta
                                   : Executa(comando, ambiente, AgoraNoHost(), [](const std::string&) { return false; }))
                << comando;
            EXPECT_EQ(LeArquivo(Estado()), estado) << comando;
            // Behind the exports the undone records may stay past their end.
            EXPECT_EQ(LeArquivo(Memoria()).substr(0, exportada ? std::string::npos : registros.size()), registros) << comando;
            EXPECT_EQ(Bobina(), bobina) << comando;
        }
    fs::remove(tavorin::kArquivoResposta);
    Roteiro({{".5609", "+ 5=0001"}, {".28", "+ 10=0000 44=010324"}, {".++", "-23"}, {".14", "+ 10=0001"},
             {".1500019999#", "]|REDU\xC7\xC3O 0001"}});
}

// A reading to the file is one for every process: each ".++" goes on from
// the last block any of them got, and after the end every one gets 23.
// (The printer's code linked into this test keeps a state of its own in
// memory, as another process would.)
TEST_F(Simulador, ReadingSharedByProcesses) {
    Roteiro({{".35100000010324", "+"}, {".13", "+"}, {".14", "+"}, {".1500019999#", "+ 3=0001"}, {".++", "+ 3=0002"}});
    const Ambiente ambiente = LeAmbiente();
    std::string linha;
    const auto outro = [&](const char* comando) {
        EXPECT_TRUE(Executa(comando, ambiente, AgoraNoHost(), [&linha](const std::string& l) { return linha = l, true; }));
        return linha.substr(0, 2) + (linha[1] == '-' ? linha.substr(20, 2) : linha.substr(2, 4));
    };
    EXPECT_EQ(outro(".++"), "@+0003");
    Roteiro({{".++", "+ 3=0004"}});
    while (Mid(resposta_, 2, 1) == "+") Envia(".++");
    EXPECT_EQ(Mid(resposta_, 1, 6), "@]++  ");
    EXPECT_EQ(outro(".++"), "@-23");
    // Without a position that names the reading no one knows the next
    // block: over for every process, not block 0002 over and over.
    const fs::path posicao = ambiente.diretorio / "ZubSim-leitura.txt";
    for (const auto& estraga : std::vector<std::function<void()>>{
             [&] { GravaArquivo(posicao, LeArquivo(posicao) + "x"); }, [&] { fs::remove(posicao); },
             [&] { GravaArquivo(posicao, std::string(80, 'x')); }}) {
        Roteiro({{".1500019999#", "+ 3=0001"}, {".++", "+ 3=0002"}, {".++", "+ 3=0003"}});
        estraga();
        EXPECT_EQ(outro(".++"), "@-23");
        Roteiro({{".++", "-23"}});
    }
}

// Two processes sending Leitura X at once, on disk and on tmpfs: every
// command answered "+" with the next COO, none lost or given twice.
TEST_F(Simulador, OnePrinterManyProcesses) {
    std::vector<fs::path> pastas = {pasta_.Caminho() / "disco"};
#if defined(_WIN32)
    const int vezes = 100;  // a process under wine is slow to start and to flush
#else
    const int vezes = 1000;
    if (fs::is_directory("/dev/shm")) pastas.push_back("/dev/shm/tavorin-teste-" + std::to_string(getpid()));
#endif
    for (const fs::path& pasta : pastas) {
        SCOPED_TRACE(pasta.string());
        AmbienteDoSimulador(pasta);
        fs::create_directories(pasta);
        PoeAmbiente("ZUBSIM_TESTE_FILHO", std::to_string(vezes).c_str());
        const std::string comando = EstePrograma();
        int outro = -1;
        std::thread a([&] { outro = std::system(comando.c_str()); });
        EXPECT_EQ(std::system(comando.c_str()), 0);
        a.join();
        EXPECT_EQ(outro, 0);
        PoeAmbiente("ZUBSIM_TESTE_FILHO", nullptr);
        std::string todos;
        for (int coo = 1; coo <= 2 * vezes; ++coo) todos += std::to_string(10000 + coo).substr(1) + "\n";
        EXPECT_EQ(LeArquivo(pasta / "coos.txt"), todos);
        Roteiro({{".5609", "+ 23=" + std::to_string(1000000 + 2 * vezes).substr(1)}});
        if (pasta.string().rfind("/dev/shm/", 0) == 0) fs::remove_all(pasta);
    }
}

}  // namespace
}  // namespace zubsim
