#include "driver_library.h"

#include "modulo.h"

#if defined(_WIN32)
#include "texto_windows.h"
#endif

#include <cstring>
#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

#if defined(TAVORIN_MEDE_CONVENCAO)
// chama_driver_i386.S: calls `funcao` with `quantos` 32-bit arguments
// pushed right to left, stores how many bytes it removed from the stack,
// puts the stack back; returns eax.
extern "C" uint32_t TavorinChamaDriver(const void* funcao, const uint32_t* argumentos, uint32_t quantos,
                                       int32_t* retirados);
#endif

namespace tavorin {

using namespace modulo;

namespace {

// Where the system looks by itself for a bare name (Linux: LD_LIBRARY_PATH,
// the cache of ld.so.conf, the default folders; not the working folder
// unless LD_LIBRARY_PATH names it).
constexpr const char* kBuscaDoSistema = "caminho de bibliotecas do sistema";

// What stands at `caminho` when it is not a regular file to load, looked
// at without opening it (opening a FIFO waits for a writer, a device may
// be anything): nothing, something else (and what), or a place that
// cannot be looked at (and why).
std::optional<Tentativa> NaoArquivo(const std::string& caminho) {
    std::error_code erro;
    const auto estado = std::filesystem::status(Caminho(caminho), erro);
    using T = std::filesystem::file_type;
    using A = Tentativa::Achado;
    switch (estado.type()) {
        case T::regular: return std::nullopt;
        case T::not_found: return Tentativa{caminho, A::Ausente, {}};
        case T::none: return Tentativa{caminho, A::NaoCarregou, "não foi possível ver o que há ali: " + erro.message()};
        case T::directory: return Tentativa{caminho, A::NaoRegular, "é uma pasta, não um arquivo"};
        case T::fifo: return Tentativa{caminho, A::NaoRegular, "é um pipe (FIFO), não um arquivo"};
        case T::character: return Tentativa{caminho, A::NaoRegular, "é um dispositivo de caracteres, não um arquivo"};
        case T::block: return Tentativa{caminho, A::NaoRegular, "é um dispositivo de blocos, não um arquivo"};
        case T::socket: return Tentativa{caminho, A::NaoRegular, "é um socket, não um arquivo"};
        default: return Tentativa{caminho, A::NaoRegular, "não é um arquivo comum"};
    }
}

}  // namespace

DriverLibrary::DriverLibrary(std::string arquivo) : arquivo_(std::move(arquivo)) {
#if defined(TAVORIN_MEDE_CONVENCAO)
    convencao_.seMede = true;
#endif
}

DriverLibrary::~DriverLibrary() {
    if (modulo_) FechaModulo(modulo_);
}

FalhaDriver DriverLibrary::Falha() const {
    std::lock_guard<std::mutex> trava(trava_);
    return falha_;
}

std::string DriverLibrary::Carregado() const {
    std::lock_guard<std::mutex> trava(trava_);
    return caminho_;
}

std::vector<Tentativa> DriverLibrary::Tentativas() const {
    std::lock_guard<std::mutex> trava(trava_);
    return tentativas_;
}

Convencao DriverLibrary::ConvencaoMedida() const {
    std::lock_guard<std::mutex> trava(trava_);
    return convencao_;
}

std::string DriverLibrary::AvisoDeConvencao() {
    std::lock_guard<std::mutex> trava(trava_);
    const Convencao::Tipo tipo = convencao_.Qual();
    if (avisou_ || (tipo != Convencao::Tipo::Cdecl && tipo != Convencao::Tipo::Outra)) return {};
    avisou_ = true;
    return "convenção de chamada do driver: " + DescreveConvencao(convencao_);
}

bool DriverLibrary::Carrega() {
    if (modulo_) return true;
    // Full paths, each looked at before it is loaded; on Linux last the
    // bare name, which only the system's search resolves.
    std::vector<std::string> lugares;
    bool buscaDoSistema = false;
    if (arquivo_.find_first_of("/\\") != std::string::npos) {
        lugares.push_back(arquivo_);
    } else {
        const std::string programa = PastaDoPrograma();
        if (!programa.empty()) lugares.push_back(programa + arquivo_);
#if defined(_WIN32)
        // Where a maker's installer may put its driver. For a 32-bit
        // program on 64-bit Windows the system folder is SysWOW64, where
        // the system redirects it.
        for (const std::string& pasta : {PastaDoSistema(GetSystemDirectoryW), PastaDoSistema(GetWindowsDirectoryW)})
            if (!pasta.empty()) lugares.push_back(pasta + arquivo_);
#else
        buscaDoSistema = true;
#endif
    }

    std::vector<Tentativa> tentativas;
    // The search ends at the first place where something stands, `t`
    // (`caminho`: where the system's search found it), or after the last.
    const auto fim = [&](std::optional<Tentativa> t, const std::string& caminho = {}) {
        const bool carregou = t && t->achado == Tentativa::Achado::Carregada;
        FalhaDriver falha{arquivo_, {}, {}, {}};
        if (t) {
            (t->achado == Tentativa::Achado::SemFuncao ? falha.funcao : falha.motivo) = t->detalhe;
            falha.caminho = caminho.empty() ? t->lugar : caminho;
            tentativas.push_back(*t);
        }
        std::lock_guard<std::mutex> trava(trava_);
        if (carregou) caminho_ = t->detalhe;
        tentativas_ = std::move(tentativas);
        falha_ = carregou ? FalhaDriver{} : falha;
        return carregou;
    };
    const std::string lugarDeBusca = arquivo_ + " no " + kBuscaDoSistema;
    for (std::size_t i = 0; i < lugares.size() + (buscaDoSistema ? 1 : 0); ++i) {
        const bool busca = i == lugares.size();
        const std::string pedido = busca ? arquivo_ : lugares[i];
        if (!busca) {
            if (std::optional<Tentativa> outro = NaoArquivo(pedido)) {
                if (outro->achado != Tentativa::Achado::Ausente) return fim(*outro);
                tentativas.push_back(*outro);
                continue;
            }
        }
        Tentativa t{busca ? lugarDeBusca : pedido, Tentativa::Achado::NaoCarregou, {}};
        void* modulo = AbreModulo(pedido, arquivo_, t.detalhe);
        if (!modulo) {
#if !defined(_WIN32)
            if (busca && NadaNaBusca(t.detalhe)) {
                tentativas.push_back({lugarDeBusca, Tentativa::Achado::Ausente, {}});
                continue;
            }
#endif
            return fim(t);
        }
        auto abre = ComoFuncao<ZubAbre>(Funcao(modulo, "Abre"));
        auto fecha = ComoFuncao<ZubFecha>(Funcao(modulo, "Fecha"));
        auto txrx = ComoFuncao<ZubTXRX>(Funcao(modulo, "TXRX"));
        // Told by its full path, also when the system's search found it.
        const std::string encontrado = CaminhoDoModulo(modulo, pedido);
        if (!abre || !fecha || !txrx) {
            FechaModulo(modulo);
            t.achado = Tentativa::Achado::SemFuncao;
            t.detalhe = !abre ? "Abre" : !fecha ? "Fecha" : "TXRX";
            return fim(t, encontrado);
        }
        modulo_ = modulo;
        abre_ = abre;
        fecha_ = fecha;
        txrx_ = txrx;
        t.achado = Tentativa::Achado::Carregada;
        t.detalhe = encontrado;
        return fim(t);
    }
    return fim(std::nullopt);
}

#if defined(TAVORIN_MEDE_CONVENCAO)
namespace {
// A 16-bit argument in its 32-bit slot, sign-extended as a compiler pushes it.
uint32_t Palavra(int16_t valor) { return static_cast<uint32_t>(static_cast<int32_t>(valor)); }
template <typename F>
void* Endereco(F funcao) {
    void* endereco = nullptr;
    std::memcpy(&endereco, &funcao, sizeof endereco);
    return endereco;
}
}  // namespace

int16_t DriverLibrary::Chama(std::size_t qual, void* funcao, std::initializer_list<uint32_t> argumentos) {
    int32_t retirados = 0;
    const uint32_t eax = TavorinChamaDriver(funcao, argumentos.begin(), static_cast<uint32_t>(argumentos.size()), &retirados);
    {
        std::lock_guard<std::mutex> trava(trava_);
        std::optional<int32_t>& medida = convencao_.retirados[qual];
        if (!medida || *medida == Convencao::kArgumentos[qual]) medida = retirados;
    }
    return Para16(static_cast<int32_t>(eax & 0xFFFFu));
}

// Each call tries to load the library while it is missing, so a library
// put in place while the program runs is picked up at the next command.
int16_t DriverLibrary::Abre(int16_t porta) { return Carrega() ? Chama(0, Endereco(abre_), {Palavra(porta)}) : kSemDriver; }

int16_t DriverLibrary::Fecha(int16_t porta) { return Carrega() ? Chama(1, Endereco(fecha_), {Palavra(porta)}) : kSemDriver; }

int16_t DriverLibrary::TXRX(int16_t porta, int16_t espera, const char* comando) {
    return Carrega() ? Chama(2, Endereco(txrx_), {Palavra(porta), Palavra(espera),
                                                 static_cast<uint32_t>(reinterpret_cast<uintptr_t>(comando))})
                     : kSemDriver;
}
#else
// Each call tries to load the library while it is missing, so a library
// put in place while the program runs is picked up at the next command.
int16_t DriverLibrary::Abre(int16_t porta) { return Carrega() ? abre_(porta) : kSemDriver; }

int16_t DriverLibrary::Fecha(int16_t porta) { return Carrega() ? fecha_(porta) : kSemDriver; }

int16_t DriverLibrary::TXRX(int16_t porta, int16_t espera, const char* comando) {
    return Carrega() ? txrx_(porta, espera, comando) : kSemDriver;
}
#endif

Convencao::Tipo Convencao::Qual() const {
    if (!seMede) return Tipo::NaoSeAplica;
    bool alguma = false, stdcall = true, nenhum = true;
    for (std::size_t i = 0; i < retirados.size(); ++i) {
        if (!retirados[i]) continue;
        alguma = true;
        stdcall = stdcall && *retirados[i] == kArgumentos[i];
        nenhum = nenhum && *retirados[i] == 0;
    }
    return !alguma ? Tipo::NaoMedida : stdcall ? Tipo::Stdcall : nenhum ? Tipo::Cdecl : Tipo::Outra;
}

std::string DescreveConvencao(const Convencao& c) {
    const Convencao::Tipo tipo = c.Qual();
    switch (tipo) {
        case Convencao::Tipo::NaoSeAplica:
#if defined(_WIN32) && !defined(_WIN64)
            return "não medida: esta compilação do Tavorin não mede a pilha";
#else
            return "não se aplica: só o Windows de 32 bits tem __stdcall";
#endif
        case Convencao::Tipo::NaoMedida:
            return "não medida: nenhuma função da biblioteca foi chamada";
        default:
            break;
    }
    // In the order a command uses them: Abre, TXRX, Fecha.
    std::string medidas;
    for (std::size_t i : {0u, 2u, 1u}) {
        if (!c.retirados[i]) continue;
        const std::string bytes = std::to_string(*c.retirados[i]) +
                                  (tipo == Convencao::Tipo::Stdcall ? "" : " de " + std::to_string(Convencao::kArgumentos[i]));
        medidas += medidas.empty() ? std::string(Convencao::kFuncoes[i]) + " retirou " + bytes + " bytes da pilha"
                                   : ", " + std::string(Convencao::kFuncoes[i]) + " " + bytes;
    }
    if (tipo == Convencao::Tipo::Stdcall) return "__stdcall (" + medidas + ")";
    return std::string(tipo == Convencao::Tipo::Cdecl ? "cdecl, não __stdcall" : "nem __stdcall nem cdecl") + " (" +
           medidas + "; o Tavorin repõe a pilha a cada chamada)";
}

std::string DescreveFalha(const FalhaDriver& falha) {
    if (!falha.Houve()) return {};
    if (!falha.Encontrada()) return "Biblioteca do driver não encontrada: " + falha.arquivo;
    if (!falha.funcao.empty()) return "Biblioteca do driver sem a função " + falha.funcao + ": " + falha.arquivo;
    return "Biblioteca do driver encontrada, mas não carregada: " + falha.caminho + " (" + falha.motivo + ")";
}

std::string DescreveTentativa(const Tentativa& t) {
    switch (t.achado) {
        case Tentativa::Achado::Ausente: return t.lugar + ": não encontrada";
        case Tentativa::Achado::NaoRegular: return t.lugar + ": " + t.detalhe;
        case Tentativa::Achado::NaoCarregou: return t.lugar + ": encontrada, mas não carregada (" + t.detalhe + ")";
        case Tentativa::Achado::SemFuncao: return t.lugar + ": carregada, mas sem a função " + t.detalhe;
        case Tentativa::Achado::Carregada: break;
    }
    return t.lugar + ": carregada" + (t.detalhe.empty() || t.detalhe == t.lugar ? "" : " (" + t.detalhe + ")");
}

}  // namespace tavorin
