// What the simulated printer costs per command, driven through its three
// exports as the program drives it, with its files on a real folder:
//   - a reading of the fiscal memory to the file, 1,000 blocks and more;
//   - a status query (".28") on an empty printer and on one with 2,500
//     stored reductions;
//   - a command that must be saved (".13", Leitura X) on both.
//
//   bench_simulador [folder [runs]]   (default: a new folder under the
//                                      system's temporary one; 3 runs)
#include "ambiente_teste.h"
#include "zubsim.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Relogio = std::chrono::steady_clock;

// A printer with `reducoes` reductions already in its fiscal memory, in the
// state file's plain form (the one every version reads).
void PreparaImpressora(const fs::path& pasta, int reducoes) {
    fs::remove_all(pasta);
    fs::create_directories(pasta);
    std::ofstream estado(pasta / "ZubSim-estado.txt", std::ios::binary);
    int64_t grandeTotal = 0;
    std::string registros;
    int ultimo = 0;
    for (int i = 1; i <= reducoes; ++i) {
        const int k = i - 1;
        ultimo = (2001 + k / 336) * 10000 + (1 + (k / 28) % 12) * 100 + 1 + k % 28;
        grandeTotal += 12345;
        registros += "reducao=" + std::to_string(i) + " " + std::to_string(2 * i) + " " + std::to_string(ultimo) +
                     " 0 12345 " + std::to_string(grandeTotal) + "\n";
    }
    estado << "formato=1\ncoo=" << 2 * reducoes << "\nccf=0\ncrz=" << reducoes << "\ngrande_total=" << grandeTotal
           << "\ndesvio_relogio=0\nhorario_verao=0\ndia_movimento=0\ndia_ultima_z=" << ultimo
           << "\ndia_primeira_lx=0\ntotais_dia=0 0 0 0 0 0 0\ncupom=0 0 0 0\nleitura=0 0 0 0 0\n"
           << registros << "fim=" << reducoes << "\n";
}

// First line of the answer file.
std::string Resposta() {
    std::ifstream arquivo("RespZub.txt", std::ios::binary);
    std::string linha;
    std::getline(arquivo, linha);
    if (!linha.empty() && linha.back() == '\r') linha.pop_back();
    return linha;
}

bool Envia(const char* comando, int16_t espera = 10) { return TXRX(1, espera, comando) == 0 && Resposta().size() > 1; }

double Mediana(std::vector<double> valores) {
    std::sort(valores.begin(), valores.end());
    return valores[valores.size() / 2];
}

// Microseconds per command, median of `rodadas` runs of `vezes` commands.
double Custo(const fs::path& pasta, int reducoes, const char* comando, int vezes, int rodadas) {
    std::vector<double> porComando;
    for (int rodada = 0; rodada < rodadas; ++rodada) {
        PreparaImpressora(pasta, reducoes);
        Abre(1);
        Envia(".13");  // the first saving command brings the state file to this version's form
        const auto inicio = Relogio::now();
        for (int i = 0; i < vezes; ++i)
            if (!Envia(comando) || Resposta()[1] != '+') {
                std::fprintf(stderr, "bench_simulador: %s refused: %s\n", comando, Resposta().c_str());
                std::exit(1);
            }
        porComando.push_back(std::chrono::duration<double, std::micro>(Relogio::now() - inicio).count() / vezes);
        Fecha(1);
    }
    return Mediana(porComando);
}

}  // namespace

int main(int argc, char* argv[]) {
    std::optional<tavorin::teste::DiretorioTemporario> temporaria;
    if (argc <= 1) temporaria.emplace("bench-simulador");
    const fs::path pasta = argc > 1 ? fs::path(argv[1]) : temporaria->Caminho();
    const int rodadas = argc > 2 && std::atoi(argv[2]) > 0 ? std::atoi(argv[2]) : 3;
    const fs::path trabalho = pasta / "trabalho", impressora = pasta / "impressora";
    fs::create_directories(trabalho);
    fs::current_path(trabalho);
    tavorin::teste::PoeAmbiente(zubsim::kVariavelPasta, impressora.string().c_str());
    std::printf("bench_simulador: files in %s, median of %d runs\n", pasta.string().c_str(), rodadas);

    // 333 reductions make a report of 1,005 lines, one block each.
    std::vector<double> leituras;
    int blocos = 0;
    for (int rodada = 0; rodada < rodadas; ++rodada) {
        PreparaImpressora(impressora, 333);
        Abre(1);
        const auto inicio = Relogio::now();
        blocos = 0;
        for (bool segue = Envia(".1500019999#", 100); segue && Resposta()[1] == '+'; segue = Envia(".++", 100))
            ++blocos;
        leituras.push_back(std::chrono::duration<double>(Relogio::now() - inicio).count());
        Fecha(1);
    }
    const double leitura = Mediana(leituras);
    std::printf("reading to the file: %d blocks in %.3f s, %.1f us/block\n", blocos, leitura, leitura * 1e6 / blocos);

    const double statusVazia = Custo(impressora, 0, ".28", 300, rodadas);
    const double statusCheia = Custo(impressora, 2500, ".28", 300, rodadas);
    std::printf("status .28: empty %.1f us, 2,500 reductions %.1f us (%.2fx)\n", statusVazia, statusCheia,
                statusCheia / statusVazia);
    const double salvaVazia = Custo(impressora, 0, ".13", 100, rodadas);
    const double salvaCheia = Custo(impressora, 2500, ".13", 100, rodadas);
    std::printf("saving .13: empty %.1f us, 2,500 reductions %.1f us (%.2fx)\n", salvaVazia, salvaCheia,
                salvaCheia / salvaVazia);
    return 0;
}
