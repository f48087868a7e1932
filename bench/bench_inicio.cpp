// Start-up to a visible window: tavorin with the simulated printer ready,
// tavorin with it switched off (ZUBSIM_MUDA=1 at 9600 baud: both probes wait
// their whole 3-s limit), and a bare Qt window (bench_janela_nua), each
// started as a desktop starts it and timed until its window is mapped on the
// X display (xdotool, asked every 10 ms), then ended. Needs an X display:
//
//   xvfb-run -a bench_inicio [runs] [--programa PATH]   (default 5 runs; PATH: another tavorin)
#include "ambiente_teste.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

pid_t Inicia(const std::string& programa, bool calado) {
    std::vector<char*> argv{const_cast<char*>(programa.c_str()), nullptr};
    posix_spawn_file_actions_t acoes;
    posix_spawn_file_actions_init(&acoes);
    if (calado) {
        posix_spawn_file_actions_addopen(&acoes, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&acoes, 2, "/dev/null", O_WRONLY, 0);
    }
    pid_t filho = 0;
    const int erro = posix_spawn(&filho, programa.c_str(), &acoes, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&acoes);
    return erro == 0 ? filho : -1;
}

// True when a visible window of that exact title is on the display.
bool Visivel(const std::string& titulo) {
    const std::string comando = "xdotool search --onlyvisible --name '^" + titulo + "( - .*)?$' >/dev/null 2>&1";
    return std::system(comando.c_str()) == 0;
}

// Seconds from start to a visible window; negative when none came in 30 s.
// A start that ends before its window shows (the X server refused the
// connection, as a busy Xvfb now and then does) is made again.
double Inicio(const std::string& programa, const std::string& titulo) {
    for (int tentativa = 0; tentativa < 5; ++tentativa) {
        const auto inicio = std::chrono::steady_clock::now();
        const pid_t filho = Inicia(programa, std::getenv("BENCH_VERBOSO") == nullptr);
        if (filho < 0) return -1;
        double s = -1;
        bool terminou = false;
        while (std::chrono::steady_clock::now() - inicio < std::chrono::seconds(30)) {
            if (Visivel(titulo)) {
                s = std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
                break;
            }
            if (waitpid(filho, nullptr, WNOHANG) == filho) {
                terminou = true;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (terminou) continue;
        kill(filho, SIGKILL);
        waitpid(filho, nullptr, 0);
        return s;
    }
    return -1;
}

double Mediana(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char* argv[]) {
    int rodadas = 5;
    const std::string pasta = std::filesystem::canonical("/proc/self/exe").parent_path().string() + "/";
    std::string tavorin = pasta + "tavorin";
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--programa") == 0 && i + 1 < argc)
            tavorin = std::filesystem::absolute(argv[++i]).string();
        else if (std::atoi(argv[i]) > 0)
            rodadas = std::atoi(argv[i]);
    }
    if (!std::getenv("DISPLAY")) {
        std::fprintf(stderr, "bench_inicio: no X display; run it as xvfb-run -a bench_inicio\n");
        return 2;
    }
    const tavorin::teste::DiretorioTemporario trabalho("bench-inicio");
    tavorin::teste::AmbienteDoSimulador(trabalho.Caminho());
    setenv("QT_QPA_PLATFORM", "xcb", 1);

    std::printf("bench_inicio: start to a visible window, %d runs each (%s)\n", rodadas, tavorin.c_str());
    std::vector<double> nua, pronta, desligada;
    for (int i = 0; i < rodadas; ++i) {
        nua.push_back(Inicio(pasta + "bench_janela_nua", "NUA"));
        pronta.push_back(Inicio(tavorin, "TAVORIN"));
        setenv(zubsim::kVariavelMuda, "1", 1);
        setenv(zubsim::kVariavelBaud, "9600", 1);
        desligada.push_back(Inicio(tavorin, "TAVORIN"));
        unsetenv(zubsim::kVariavelMuda);
        unsetenv(zubsim::kVariavelBaud);
        if (std::min({nua.back(), pronta.back(), desligada.back()}) < 0) {
            std::fprintf(stderr, "bench_inicio: a window did not show within 30 s (%.3f %.3f %.3f)\n", nua.back(),
                         pronta.back(), desligada.back());
            return 1;
        }
    }
    const double n = Mediana(nua), p = Mediana(pronta), d = Mediana(desligada);
    std::printf("bare Qt window:                     median %7.0f ms\n", n * 1e3);
    std::printf("tavorin, printer ready:             median %7.0f ms  (%.2f x bare)\n", p * 1e3, p / n);
    std::printf("tavorin, printer switched off:      median %7.0f ms  (%.2f x bare)\n", d * 1e3, d / n);
    return 0;
}
