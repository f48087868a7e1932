#include "diagnostico.h"

#include "arquivo_atomico.h"
#include "arquivo_resposta.h"
#include "calendario_civil.h"
#include "conversao.h"
#include "driver.h"
#include "driver_library.h"
#include "identidade.h"
#include "link.h"
#include "registro.h"
#include "sistema.h"
#include "zub_dll3.h"

#if defined(_WIN32)
#include "texto_windows.h"
#endif

#include <chrono>
#include <cstdio>

namespace tavorin {

using namespace diagnostico;

namespace {

// How many of the exchange log's last exchanges the report shows.
constexpr std::size_t kTrocasNoRelatorio = 20;
// An answer file elsewhere counts when written this recently.
constexpr std::time_t kRecente = 60;

// What is sent, and with what wait limit: the probe's ".28" as the printer
// test finds the printer, its ".23" as it checks paper and line.
const Comando kSonda{".28", kEsperaCurta};
const Comando kPapel{".23", kEsperaStatus};

// The report's lines: "Nome: valor" under "== Seção ==" headings.
struct Linhas {
    std::vector<std::string> texto;
    void Secao(const std::string& titulo) { texto.push_back("\n== " + titulo + " =="); }
    void operator()(const std::string& nome, const std::string& valor) { texto.push_back(nome + ": " + valor); }
};

std::string Hora(std::time_t segundos) {
    const std::tm local = comum::HoraLocal(segundos);
    char texto[32];
    std::strftime(texto, sizeof texto, "%Y-%m-%d %H:%M:%S", &local);
    return texto;
}

// Milliseconds with a decimal comma, as the exchange log writes them.
std::string Ms(std::chrono::microseconds duracao) {
    char texto[48];
    std::snprintf(texto, sizeof texto, "%lld,%03lld ms", static_cast<long long>(duracao.count() / 1000),
                  static_cast<long long>(duracao.count() % 1000));
    return texto;
}

std::string Bytes(uint64_t n) { return ComMilhares(n) + (n == 1 ? " byte" : " bytes"); }

// An answer's bytes as the exchange log shows them, quoted.
std::string Visiveis(const std::string& bytes) { return "\"" + Utf8DoDriver(BytesVisiveis(bytes)) + "\""; }

std::string Hexadecimal(const std::string& bytes) {
    if (bytes.empty()) return "(nada)";
    std::string texto;
    for (unsigned char byte : bytes) {
        char par[4];
        std::snprintf(par, sizeof par, texto.empty() ? "%02X" : " %02X", byte);
        texto += par;
    }
    return texto;
}

// The first line's end as it stands in the first bytes read: its name and
// its bytes.
std::pair<std::string, std::string> FimDeLinha(const std::string& inicio, uint64_t tamanho) {
    const std::size_t fim = inicio.find_first_of("\r\n");
    if (fim == std::string::npos)
        return {tamanho > inicio.size() ? "nenhum nos primeiros " + Bytes(inicio.size()) : tamanho ? "nenhum" : "nenhum (arquivo vazio)",
                ""};
    if (inicio[fim] == '\n') return {"LF", "\n"};
    if (fim + 1 < inicio.size() && inicio[fim + 1] == '\n') return {"CR LF", "\r\n"};
    return {"CR", "\r"};
}

std::string EstadoDaTrava() {
    const TravaDePasta trava(kArquivoTrava, std::chrono::milliseconds(0));
    switch (trava.Situacao()) {
        case TravaDePasta::Estado::Obtida: return "livre";
        case TravaDePasta::Estado::Ocupada: return "ocupada por outro processo";
        case TravaDePasta::Estado::Inacessivel: return "não pôde ser aberta (" + trava.Motivo() + ")";
        case TravaDePasta::Estado::Dispensada: return "dispensada: a pasta não aceita arquivos novos";
        case TravaDePasta::Estado::Interrompida: break;
    }
    return "interrompida";
}

// RespZub.txt written in the last minute in another folder: a driver that
// writes its answer somewhere else than the working folder.
std::vector<std::string> RespostasEmOutrasPastas(const std::vector<std::pair<std::string, std::string>>& pastas) {
    const std::time_t agora = std::time(nullptr);
    std::vector<std::string> achadas;
    for (const auto& [nome, pasta] : pastas) {
        const std::string caminho = NaPasta(pasta, kArquivoResposta);
        const std::optional<Visto> visto = Ve(caminho);
        if (visto && visto->regular && visto->modificado >= agora - kRecente)
            achadas.push_back(caminho + " (" + nome + "; " + Bytes(visto->tamanho) + ", modificado em " +
                              Hora(visto->modificado) + ")");
    }
    return achadas;
}

// One command on the port, and the answer file looked at right after it,
// under the same hold of the folder's lock.
Desfecho Consulta(int32_t porta, const Comando& comando, const std::vector<std::pair<std::string, std::string>>& outras,
                  Linhas& l) {
    const Desfecho d = Decide(FazTroca(porta, comando.espera, comando.texto));
    const Troca& t = d.troca;
    const std::string c = comando.texto + " ";
    l(c + "espera", std::to_string(comando.espera));
    if (!t.Enviado()) {
        l(c + "enviado", "não: " + Explica(d));
        return d;
    }
    l(c + "resultado do driver", std::to_string(t.resultado));
    l(c + "tempo", Ms(t.duracao));
    const std::string trabalho = PastaDeTrabalho();
    const std::string arquivo = NaPasta(trabalho, kArquivoResposta);
    const std::optional<Visto> visto = Ve(arquivo);
    if (visto && visto->regular) {
        const Retrato retrato = Retrata(kArquivoResposta);
        const auto [fim, bytesDoFim] = FimDeLinha(retrato.inicio, retrato.tamanho);
        const std::string linha = PrimeiraLinha(retrato.inicio);
        l(c + "arquivo de resposta", arquivo);
        l(c + "tamanho do arquivo de resposta", Bytes(retrato.tamanho));
        l(c + "fim de linha", fim);
        l(c + "primeira linha", Visiveis(linha));
        l(c + "primeira linha em hexadecimal", Hexadecimal(linha + bytesDoFim));
    } else {
        l(c + "arquivo de resposta", visto ? arquivo + ": não é um arquivo comum" : "nenhum em " + trabalho);
        if (t.resultado >= 0) {
            const std::vector<std::string> achadas = RespostasEmOutrasPastas(outras);
            if (achadas.empty()) l(c + "RespZub.txt recente em outra pasta", "nenhum");
            for (const std::string& achada : achadas) l(c + "RespZub.txt recente em outra pasta", achada);
        }
    }
    l(c + "status", d.status.empty() ? "nenhum" : Visiveis(d.status));
    l(c + "desfecho", Resumo(d));
    if (!t.nota.empty()) l(c + "nota do registro", t.nota);
    return d;
}

// Abre, ".28", ".23", Fecha on one port, holding the folder's lock for
// the whole sequence. The ".28"'s outcome, or nothing when the lock could
// not be had.
std::optional<Desfecho> ExaminaPorta(int32_t porta, const std::vector<std::pair<std::string, std::string>>& outras,
                                     Linhas& l) {
    l.Secao("Porta " + std::to_string(porta));
    const VezDaPasta vez(LimiteDaTrava());
    if (!vez.Obtida()) {
        l("Trava da pasta", vez.Interrompida() ? "espera interrompida; nada foi enviado"
                                               : "outro processo não a liberou em " +
                                                     std::to_string(LimiteDaTrava().count() / 1000) +
                                                     " s; nada foi enviado");
        return std::nullopt;
    }
    // A port a window keeps open (the coupon window's) stays as it is.
    const bool jaAberta = PortaEstaAberta(porta);
    const auto cronometra = [](auto&& chamada) {
        const auto inicio = std::chrono::steady_clock::now();
        const int16_t resultado = chamada();
        return std::make_pair(resultado, std::chrono::duration_cast<std::chrono::microseconds>(
                                             std::chrono::steady_clock::now() - inicio));
    };
    if (jaAberta) {
        l("Abre", "não chamado: a porta já estava aberta por uma janela do Tavorin");
    } else {
        const auto [resultado, tempo] = cronometra([porta] { return Abre(porta); });
        l("Abre", "resultado " + std::to_string(resultado) + " em " + Ms(tempo));
    }
    const Desfecho sonda = Consulta(porta, kSonda, outras, l);
    if (sonda.troca.bloqueio != Troca::Bloqueio::Interrompido) Consulta(porta, kPapel, outras, l);
    if (!jaAberta) {
        const auto [resultado, tempo] = cronometra([porta] { return Fecha(porta); });
        l("Fecha", "resultado " + std::to_string(resultado) + " em " + Ms(tempo));
    }
    return sonda;
}

}  // namespace

Diagnostico Diagnostica(const std::vector<int32_t>& portas) {
    Diagnostico diagnostico;
    const std::time_t inicio = std::time(nullptr);

    // The library is loaded first, so that a missing one is told apart from
    // a silent printer.
    auto* biblioteca = dynamic_cast<DriverLibrary*>(&DriverAtual());
    const bool carregou = !biblioteca || biblioteca->Carrega();
    const std::string carregada = biblioteca ? biblioteca->Carregado() : std::string();

    Linhas sistema;
    sistema.Secao("Sistema");
    sistema("Versão do Tavorin", VersaoTavorin());
    for (const std::string& linha : DescreveSistema()) sistema.texto.push_back(linha);
    sistema("Pasta do programa", PastaDe(PastaDoPrograma()));
    const std::string trabalho = PastaDeTrabalho();
    sistema("Pasta de trabalho", trabalho);
    const std::string naoGrava = PastaNaoGrava();
    sistema("Pasta de trabalho aceita gravação", naoGrava.empty() ? "sim" : "não (" + naoGrava + ")");
    std::string motivo;
    const std::optional<uint64_t> livre = EspacoLivre(trabalho, motivo);
    sistema("Espaço livre na pasta de trabalho", livre ? Bytes(*livre) : "desconhecido (" + motivo + ")");
    sistema("Trava da pasta (" + std::string(kArquivoTrava) + ")", EstadoDaTrava());
    const auto outras = OutrasPastas(carregada.empty() ? std::string() : PastaDe(carregada));
    for (const auto& [nome, pasta] : outras) sistema("Outra pasta onde se procura RespZub.txt", pasta + " (" + nome + ")");

    Linhas ports;
    // What each port gave, for the outcome when none answered.
    std::string visto;
    bool enviado = false;
    if (carregou) {
        for (int32_t porta : portas) {
            const std::optional<Desfecho> sonda = ExaminaPorta(porta, outras, ports);
            visto += (visto.empty() ? "porta " : "; porta ") + std::to_string(porta) + ": " +
                     (sonda ? Resumo(*sonda) : "a trava da pasta não foi obtida");
            if (!sonda) break;
            enviado = enviado || sonda->troca.Enviado();
            if (Respondeu(sonda->troca)) {
                diagnostico.desfecho = Diagnostico::Desfecho::Encontrada;
                diagnostico.porta = porta;
                break;
            }
            if (sonda->troca.bloqueio == Troca::Bloqueio::Interrompido) break;
        }
    }

    // The library after the calls: its calling convention is measured on them.
    Linhas driver;
    driver.Secao("Biblioteca do driver");
    const std::vector<Tentativa> tentativas = biblioteca ? biblioteca->Tentativas() : std::vector<Tentativa>();
    for (std::size_t i = 0; i < tentativas.size(); ++i)
        driver("Procurada em " + std::to_string(i + 1) + "º lugar", DescreveTentativa(tentativas[i]));
    if (!biblioteca) {
        driver("Biblioteca do driver", "nenhuma: o driver em uso não é uma biblioteca");
    } else if (!carregou) {
        driver.texto.push_back(DescreveFalha(biblioteca->Falha()));
    } else {
        const IdentidadeArquivo identidade = IdentificaArquivo(carregada);
        for (const std::string& linha : DescreveBiblioteca(identidade, kBibliotecaDriver)) driver.texto.push_back(linha);
        if (const std::optional<Visto> visto = Ve(carregada)) driver("Modificada em", Hora(visto->modificado));
        driver("Convenção de chamada", DescreveConvencao(biblioteca->ConvencaoMedida()));
    }

    Linhas registro;
    const std::vector<Troca> trocas = Trocas();
    const std::size_t desde = trocas.size() > kTrocasNoRelatorio ? trocas.size() - kTrocasNoRelatorio : 0;
    registro.Secao("Registro das trocas");
    registro("Trocas mostradas", trocas.empty() ? "nenhuma" : "as últimas " + std::to_string(trocas.size() - desde) +
                                                                 " de " + std::to_string(trocas.size()));
    for (std::size_t i = desde; i < trocas.size(); ++i) registro.texto.push_back(Utf8DoDriver(DescreveTroca(trocas[i])));

    if (!carregou) {
        diagnostico.desfecho = Diagnostico::Desfecho::SemBiblioteca;
        diagnostico.resumo = ExplicaFalhaDoDriver(biblioteca->Falha());
    } else if (diagnostico.desfecho == Diagnostico::Desfecho::Encontrada) {
        diagnostico.resumo = "impressora encontrada na porta " + std::to_string(diagnostico.porta);
    } else {
        diagnostico.resumo = std::string(enviado ? "nenhuma impressora respondeu ao .28" : "nada foi enviado") +
                             (visto.empty() ? std::string() : " (" + visto + ")");
    }

    Linhas cabeca;
    cabeca.texto.push_back("Diagnóstico do Tavorin");
    cabeca("Feito em", Hora(inicio));
    cabeca("Resultado", diagnostico.resumo);
    cabeca("Comandos enviados", "somente .28 e .23 em cada porta (consultas de estado: nada é impresso, nada muda na "
                                "impressora nem na memória fiscal)");
    if (!carregou) cabeca("Portas", "nenhuma tentada: sem biblioteca do driver");

    for (const Linhas* parte : {&cabeca, &sistema, &driver, &ports, &registro})
        for (const std::string& linha : parte->texto) diagnostico.relatorio += linha + "\n";
    return diagnostico;
}

}  // namespace tavorin
