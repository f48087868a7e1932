// How long `tavorin-cli testa` takes from start to exit on the simulated
// printer, against a bare program that loads the driver library and sends
// ".28" once (bench_cli_nu). Both are started as a script starts them and
// waited for; the printer answers at once (no wire timing). The test itself
// sends three commands (two ".28" and a ".23") where the bare program
// sends one.
//
//   bench_cli [runs]     (default 50)
#include "variaveis.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

// Seconds from start to exit; negative when it did not exit with 0.
double Roda(const std::string& programa, std::vector<std::string> argumentos) {
    argumentos.insert(argumentos.begin(), programa);
    std::vector<char*> argv;
    for (std::string& a : argumentos) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t acoes;
    posix_spawn_file_actions_init(&acoes);
    posix_spawn_file_actions_addopen(&acoes, 1, "/dev/null", O_WRONLY, 0);
    const auto inicio = std::chrono::steady_clock::now();
    pid_t filho = 0;
    int estado = 0;
    if (posix_spawn(&filho, programa.c_str(), &acoes, nullptr, argv.data(), environ) != 0) return -1;
    waitpid(filho, &estado, 0);
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
    posix_spawn_file_actions_destroy(&acoes);
    return WIFEXITED(estado) && WEXITSTATUS(estado) == 0 ? s : -1;
}

double Mediana(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char* argv[]) {
    const int rodadas = argc > 1 && std::atoi(argv[1]) > 0 ? std::atoi(argv[1]) : 50;
    const std::string pasta = std::filesystem::canonical("/proc/self/exe").parent_path().string() + "/";
    const auto trabalho = std::filesystem::temp_directory_path() / ("bench_cli-" + std::to_string(getpid()));
    std::filesystem::create_directories(trabalho);
    std::filesystem::current_path(trabalho);
    setenv(zubsim::kVariavelPasta, trabalho.c_str(), 1);
    for (const char* nome : zubsim::kAjustes) unsetenv(nome);

    std::printf("bench_cli: start to exit on the simulated printer, %d runs each, alternating\n", rodadas);
    std::vector<double> cli, nu;
    for (int i = 0; i < rodadas; ++i) {
        const double c = Roda(pasta + "tavorin-cli", {"testa"});
        const double n = Roda(pasta + "bench_cli_nu", {});
        if (c < 0 || n < 0) {
            std::fprintf(stderr, "bench_cli: a run failed (tavorin-cli %s, bench_cli_nu %s)\n", c < 0 ? "failed" : "ok",
                         n < 0 ? "failed" : "ok");
            return 1;
        }
        cli.push_back(c);
        nu.push_back(n);
    }
    const double mc = Mediana(cli), mn = Mediana(nu);
    std::printf("tavorin-cli testa:            median %.2f ms (best %.2f ms)\n", mc * 1e3,
                *std::min_element(cli.begin(), cli.end()) * 1e3);
    std::printf("bare program, one .28:        median %.2f ms (best %.2f ms)\n", mn * 1e3,
                *std::min_element(nu.begin(), nu.end()) * 1e3);
    std::printf("ratio (median cli / median bare): %.2f\n", mc / mn);
    std::filesystem::current_path("/");
    std::filesystem::remove_all(trabalho);
    return 0;
}
