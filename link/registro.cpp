#include "registro.h"

#include "calendario_civil.h"
#include "cp1252.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <deque>
#include <map>
#include <mutex>

namespace tavorin {

namespace {

// The record has its own lock and the observers theirs, so an observer may
// read the record (or stop observing) from inside its call.
std::mutex registroTrava;
std::deque<Troca> registro;
std::size_t bytesNoRegistro = 0;
// The number the next exchange takes (the oldest kept is this less the
// record's size), and how many times the record was emptied.
uint64_t proximoNumero = 0;
uint64_t geracao = 0;

std::recursive_mutex observadoresTrava;
std::map<int, std::function<void(const Troca&)>> observadores;
int proximoHandle = 1;

bool Visivel(unsigned char byte) {
    // Control characters (the five bytes Windows-1252 leaves undefined
    // stand for C1 ones), the no-break space (indistinguishable from a
    // blank) and B7, what a blank is shown as, show nothing useful.
    const char32_t c = DoCp1252(byte);
    return !(c < 0x20 || (c >= 0x7F && c <= 0xA0) || c == 0xB7);
}

}  // namespace

std::vector<Troca> Trocas() {
    std::lock_guard<std::mutex> trava(registroTrava);
    return {registro.begin(), registro.end()};
}

void LimpaTrocas() {
    std::lock_guard<std::mutex> trava(registroTrava);
    registro.clear();
    bytesNoRegistro = 0;
    ++geracao;
}

Novidades TrocasDesde(uint64_t geracaoVista, uint64_t proxima) {
    std::lock_guard<std::mutex> trava(registroTrava);
    Novidades novidades;
    novidades.geracao = geracao;
    novidades.proxima = proximoNumero;
    novidades.primeira = proximoNumero - registro.size();
    const uint64_t desde = geracaoVista == geracao ? std::max(proxima, novidades.primeira) : novidades.primeira;
    if (desde < proximoNumero)
        novidades.trocas.assign(registro.begin() + static_cast<std::ptrdiff_t>(desde - novidades.primeira), registro.end());
    return novidades;
}

std::size_t TamanhoDaTroca(const Troca& troca) {
    return sizeof(Troca) + troca.comando.size() + troca.resposta.size() + troca.nota.size() + troca.motivo.size() +
           troca.pastaSemGravacao.size() + troca.semDriver.arquivo.size() + troca.semDriver.funcao.size();
}

void RegistraTroca(const Troca& troca) {
    {
        std::lock_guard<std::mutex> trava(registroTrava);
        registro.push_back(troca);
        ++proximoNumero;
        bytesNoRegistro += TamanhoDaTroca(troca);
        while (registro.size() > 1 && (registro.size() > kMaxTrocas || bytesNoRegistro > kMaxBytesTrocas)) {
            bytesNoRegistro -= TamanhoDaTroca(registro.front());
            registro.pop_front();
        }
    }
    std::lock_guard<std::recursive_mutex> trava(observadoresTrava);
    // A copy: an observer may add or remove observers while it runs.
    const auto chamados = observadores;
    for (const auto& [handle, observador] : chamados)
        if (observadores.count(handle)) observador(troca);
}

int ObservaTrocas(std::function<void(const Troca&)> observador) {
    std::lock_guard<std::recursive_mutex> trava(observadoresTrava);
    const int handle = proximoHandle++;
    observadores.emplace(handle, std::move(observador));
    return handle;
}

void DeixaDeObservar(int handle) {
    std::lock_guard<std::recursive_mutex> trava(observadoresTrava);
    observadores.erase(handle);
}

namespace {

std::string Visiveis(const std::string& bytes, bool marcaBrancos) {
    std::string texto;
    texto.reserve(bytes.size());
    for (unsigned char byte : bytes) {
        if (byte == ' ') {
            texto += marcaBrancos ? '\xB7' : ' ';
        } else if (byte == '\\') {
            texto += "\\\\";
        } else if (Visivel(byte) || (!marcaBrancos && byte == 0xB7)) {
            texto += static_cast<char>(byte);
        } else {
            texto += ByteEscapado(byte);
        }
    }
    return texto;
}

}  // namespace

std::string BytesVisiveis(const std::string& bytes) { return Visiveis(bytes, true); }

std::string ControlesVisiveis(const std::string& bytes) { return Visiveis(bytes, false); }

namespace {

// Inside the line's quotes a quote is written \" (a backslash is already
// doubled), so each quoted field ends at the first bare quote.
std::string EntreAspas(const std::string& bytes) {
    std::string texto = "\"";
    for (char c : BytesVisiveis(bytes)) {
        if (c == '"') texto += '\\';
        texto += c;
    }
    return texto + '"';
}

}  // namespace

std::string HoraDaTroca(const Troca& troca, bool comData) {
    using namespace std::chrono;
    const auto desdeEpoca = duration_cast<milliseconds>(troca.quando.time_since_epoch());
    const std::time_t segundos = static_cast<std::time_t>(duration_cast<seconds>(desdeEpoca).count());
    const int milis = static_cast<int>((desdeEpoca.count() % 1000 + 1000) % 1000);
    const std::tm local = comum::HoraLocal(segundos);
    char hora[40];
    const std::size_t n = std::strftime(hora, sizeof hora, comData ? "%Y-%m-%d %H:%M:%S" : "%H:%M:%S", &local);
    std::snprintf(hora + n, sizeof hora - n, ".%03d", milis);
    return hora;
}

std::string DuracaoDaTroca(const Troca& troca) {
    const long long micro = troca.duracao.count();
    char duracao[48];
    // Milliseconds with a decimal comma, as the windows write numbers.
    std::snprintf(duracao, sizeof duracao, "%s%lld,%03lld ms", micro < 0 ? "-" : "", (micro < 0 ? -micro : micro) / 1000,
                  (micro < 0 ? -micro : micro) % 1000);
    return duracao;
}

std::string DescreveTroca(const Troca& troca) {
    // The quoted fields hold no blank (blanks are made visible), so every
    // blank on the line separates fields and an empty answer still shows.
    return HoraDaTroca(troca, true) + "  porta " + std::to_string(troca.porta) + "  espera " +
           std::to_string(troca.espera) + "  enviado " + EntreAspas(troca.comando) + "  resultado " +
           std::to_string(troca.resultado) + "  resposta " + EntreAspas(troca.resposta) + "  " +
           DuracaoDaTroca(troca) + (troca.nota.empty() ? std::string() : "  (" + Cp1252DoUtf8(troca.nota) + ")");
}

}  // namespace tavorin
