#include "ambiente.h"

#include "texto.h"
#include "variaveis.h"

#include <system_error>

#if defined(_WIN32)
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <cstdlib>
#endif

namespace zubsim {

std::string VariavelDeAmbiente(const char* nome) {
#if defined(_WIN32)
    // The process environment itself, which _putenv_s and SetEnvironmentVariable
    // both change, whichever C runtime the caller was built with.
    char buffer[1024];
    DWORD tamanho = GetEnvironmentVariableA(nome, buffer, sizeof buffer);
    if (tamanho == 0) return {};
    if (tamanho < sizeof buffer) return std::string(buffer, tamanho);
    std::string valor(tamanho, '\0');
    tamanho = GetEnvironmentVariableA(nome, valor.data(), tamanho);
    valor.resize(tamanho);
    return valor;
#else
    const char* valor = std::getenv(nome);
    return valor ? valor : "";
#endif
}

namespace {

bool Ligado(const char* nome) { return VariavelDeAmbiente(nome) == "1"; }

// Lines per second as digits with at most one decimal point or comma
// ("8", "2.5", "0,5"); anything else, zero included, prints at once.
double Velocidade(const std::string& texto) {
    if (texto.empty() || texto.size() > 9) return 0;
    double valor = 0, casa = 0;
    for (char c : texto) {
        if ((c == '.' || c == ',') && casa == 0) {
            casa = 1;
        } else if (c >= '0' && c <= '9') {
            if (casa > 0) valor += (c - '0') * (casa /= 10);
            else valor = valor * 10 + (c - '0');
        } else {
            return 0;
        }
    }
    return valor;
}

}  // namespace

Ambiente LeAmbiente() {
    Ambiente ambiente;
    std::string porta = VariavelDeAmbiente(kVariavelPorta);
    if (porta.empty())
        ambiente.portaImpressora = 1;
    else if (porta.size() == 1 && porta[0] >= '1' && porta[0] <= '8')
        ambiente.portaImpressora = porta[0] - '0';
    else
        // "0", "nenhuma" and anything unrecognised: no printer anywhere,
        // which a tester notices at once, rather than a printer on a port
        // that was not asked for.
        ambiente.portaImpressora = 0;

    ambiente.semPapel = Ligado(kVariavelSemPapel);
    ambiente.foraDeLinha = Ligado(kVariavelForaDeLinha);
    ambiente.muda = Ligado(kVariavelMuda);

    std::string baud = VariavelDeAmbiente(kVariavelBaud);
    // Up to nine digits: any rate a serial line has, and no overflow.
    ambiente.baud = !baud.empty() && baud.size() <= 9 && SaoDigitos(baud, 0, baud.size()) ? std::stol(baud) : 0;

    ambiente.linhasPorSegundo = Velocidade(VariavelDeAmbiente(kVariavelLinhasPorSegundo));
    ambiente.segura = VariavelDeAmbiente(kVariavelSegura);

    std::error_code erro;
    std::string pasta = VariavelDeAmbiente(kVariavelPasta);
    std::filesystem::path diretorio = pasta.empty() ? std::filesystem::current_path(erro)
                                                    : std::filesystem::path(pasta);
    std::filesystem::path absoluto = std::filesystem::absolute(diretorio, erro);
    ambiente.diretorio = erro ? diretorio : absoluto;
    return ambiente;
}

}  // namespace zubsim
