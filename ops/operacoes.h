// The printer's operations, once for every front end: each command's text
// and wait limit, and the sequences of commands the windows and the
// command line run. Plain C++ on the link: everything goes through the
// link's state (Porta, Resposta, Status), as every window's commands do,
// and 8-bit text stays bytes.
//
// Where a window shows something between two commands of a sequence, the
// sequence calls a hook at that point; a hook left empty does nothing.
#pragma once

#include "destino.h"
#include "driver.h"
#include "link.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tavorin {

// One command as the program sends it: its text and the wait limit that
// the driver gets with it.
struct Comando {
    std::string texto;
    int32_t espera = 0;
};

// The longest command the driver takes.
constexpr std::size_t kTamanhoMaximoComando = 255;
// Why a command typed by hand is not sent (UTF-8), or empty when it may be:
// the one rule for the windows and the command line.
std::string ComandoRecusado(const std::string& bytes);

// The ports a printer is looked for on, in turn.
inline const std::vector<int32_t> kPortasProcuradas{1, 2};

// Wait limits: short commands; status, counters, coupon items and the
// free command; each block of a reading to a file; the daily reports and
// the drawer; a reading printed on paper.
constexpr int32_t kEsperaCurta = 3;
constexpr int32_t kEsperaStatus = 10;
constexpr int32_t kEsperaBloco = 100;
constexpr int32_t kEsperaRelatorio = 180;
constexpr int32_t kEsperaImpressa = 1000;

extern const Comando kStatus;        // ".28", the printer test's second status
extern const Comando kGaveta;        // ".21"
extern const Comando kLeituraX;      // ".13"
extern const Comando kReducaoZ;      // ".14"
extern const Comando kCOO;           // ".5609"
extern const Comando kCCF;           // ".271"
extern const Comando kProximoBloco;  // ".++"
extern const Comando kAbreCupom;     // ".17"
extern const Comando kItem;          // the coupon bench's one fixed item
extern const Comando kPagamento;     // R$100,00
extern const Comando kFechaCupom;    // ".12"

// A command typed by hand, sent exactly as typed.
Comando ComandoLivre(const std::string& texto, int32_t espera = kEsperaStatus);
// ".35", then characters 1-2, 4-5 and 7-8 of the time and then of the
// date, whatever stands between them: "hh:mm:ss" and "dd/mm/yy" give
// twelve digits; a shorter text gives what it has.
Comando ComandoAcertaRelogio(const std::string& hora, const std::string& data);
Comando ComandoVerao(bool entra);  // ".36S", ".36N"

enum class Faixa { Reducoes, Datas };
// ".15" (reductions) or ".16" (dates, each as "ddmmyy") with the start and
// the end as given; to a file with "#" after them.
Comando ComandoLeitura(Faixa faixa, const std::string& inicio, const std::string& fim, bool noArquivo);
// The range a reading covers unless told otherwise: the main window's
// boxes as they first show, the command line's defaults.
struct Limites {
    const char* inicio;
    const char* fim;
};
constexpr Limites LimitesPadrao(Faixa faixa) {
    return faixa == Faixa::Datas ? Limites{"01/01/00", "30/12/10"} : Limites{"0001", "1000"};
}
// The file a reading is saved to unless another is named.
inline constexpr const char* kArquivoLeitura = "LeitM.txt";

// What an exchange came to, decided once from the facts the link gathered,
// in this order: nothing was sent; the printer answered, accepting or
// refusing; no answer came, and what the link knows of why (no driver
// library, the port did not open, the previous answer file stood in the
// way, the folder takes no file), or nothing more.
enum class Classe {
    Aceito,            // "+"
    Recusado,          // another status: "ERRO nn"
    NaoEnviado,        // the folder's lock could not be had: nothing sent
    SemBiblioteca,     // no driver library could be loaded
    PortaRecusada,     // the port's Abre failed, and no answer came
    RespostaPresa,     // the previous answer file could not be removed, and no new answer could be told
    PastaSemGravacao,  // no answer, and the working folder takes no new file
    SemResposta,       // no answer line, or the driver's result was negative
};

// One exchange as the caller sees it afterwards.
struct Desfecho {
    Troca troca;            // as the link made it
    std::string status;     // the answer's second character
    Classe classe = Classe::SemResposta;

    // Characters 21-22 of the answer, what of them it holds.
    std::string Codigo() const;
};
Desfecho Decide(Troca troca);

// The classes whose cause the link knows, beyond "no answer".
bool CausaConhecida(Classe classe);
// What an outcome means, in the program's words (UTF-8, starting in
// lower case); empty for an accepted one.
std::string Explica(const Desfecho& desfecho);
// Why no driver library could be used (UTF-8, lower case first).
std::string ExplicaFalhaDoDriver(const FalhaDriver& falha);
// The first exchange to find the answer file held says so once, whatever
// its outcome (UTF-8); empty otherwise.
std::string Aviso(const Desfecho& desfecho);

// Sends `comando` on `porta` through the link and tells what came back.
Desfecho Envia(int32_t porta, const Comando& comando);
// The same on Porta, the port the printer test found.
Desfecho Envia(const Comando& comando);
// Abre and Fecha on Porta: the coupon window's port, opened by its
// launcher and closed by its "Fechar".
void AbrePorta();
void FechaPorta();

// The outcome as every window shows it: the whole answer line when the
// printer accepted the command, otherwise "ERRO " and the error code.
std::string TextoResultado(const std::string& resposta, const std::string& status);

// Abre, the command, Fecha, all on Porta: every one-command operation.
Desfecho UmComando(const Comando& comando);

// The paper and on-line state, position 6 of the answer to ".23".
struct EstadoPapel {
    Desfecho consulta;
    // No answer at all: nothing sent, a negative result, no answer line. A
    // short line still counts as paper present and on line.
    bool semResposta = false;
    bool semPapel = false;
    bool foraDeLinha = false;
    bool Pronta() const { return !semResposta && !semPapel && !foraDeLinha; }
};
// The printer test's check: TXRX itself with wait limit 10, the answer
// into Resposta; Status is left alone.
EstadoPapel PapelDoTeste();
// The coupon window's check: EnviaComando with wait limit 3.
EstadoPapel PapelDoCupom();

// The state words, UTF-8, as the windows show them; the alert ones in red.
std::string PalavraPapel(const EstadoPapel& estado);   // "Sem Resposta", "Sem Papel", "Com Papel"
std::string PalavraLinha(const EstadoPapel& estado);   // "Sem Resposta", "Fora de Linha", "Conectada"
std::string PalavraCupom(const EstadoPapel& estado);   // the coupon's one word for both
// The day's Redução Z (position 18 of ".28": "S", "N", "F") and first
// Leitura X (124: "S", "N"); empty for any other value.
std::string PalavraReducao(const std::string& estado);
std::string PalavraLeituraX(const std::string& estado);

// Looking for the printer: each port in turn is probed (AbreImpressora)
// until one answers "+", which is left open as the probe leaves it. A
// cause that holds for every port (nothing sent, no library, an answer
// file in the way, a folder that takes no file) ends the search there.
struct Procura {
    std::vector<Desfecho> sondas;  // each probe made, in turn
    bool encontrada = false;
    int32_t porta = 0;
    // The first probe whose cause the link knows; null when none.
    const Desfecho* Causa() const;
};
Procura ProcuraImpressora(const std::vector<int32_t>& portas = kPortasProcuradas);
// An outcome in a few words, for a list: "aceito", "ERRO nn", "sem
// resposta", "não abriu (o driver devolveu -4)", or what Explica says.
std::string Resumo(const Desfecho& desfecho);

// The printer test: looks for the printer; on the port found it shows the
// clock and port, asks ".28" again for the day's states, checks paper and
// line, and closes the port.
struct AoTestar {
    std::function<void()> naoEncontrada;                   // no port answered
    std::function<void(int32_t porta, const std::string& relogio)> encontrada;  // Porta holds the port
    std::function<void(const std::string& reducao, const std::string& leituraX)> estadoDoDia;
    std::function<void(const EstadoPapel&)> papel;
};
struct TesteImpressora {
    Procura procura;
    bool encontrada = false;
    int32_t porta = 0;
    std::string relogio;            // TextoRelogio after the probe
    Desfecho status;                // the second ".28"
    std::string reducao, leituraX;  // its positions 18 and 124
    EstadoPapel papel;
};
TesteImpressora TestaImpressora(const std::vector<int32_t>& portas = kPortasProcuradas, const AoTestar& ao = {});

// COO (5-8 of ".5609") and CCF (115-118 of ".271"), copied as they came,
// whatever the status; the port opened and closed around both.
struct Contadores {
    Desfecho consultaCOO, consultaCCF;
    std::string coo, ccf;
};
Contadores LeContadores(const std::function<void(const std::string& coo)>& aoLerCOO = {});

// The printer's clock text when `porta` answers the probe (left open), or
// nothing; without a port, on Porta.
std::optional<std::string> LeRelogio(int32_t porta);
std::optional<std::string> LeRelogio();
// The clock window's tick: LeRelogio on Porta, only when the folder's lock
// is free at once; behind another program's exchange it is skipped
// (nothing), never kept waiting.
std::optional<std::string> LeRelogioSemEsperar();

// The block data of a reading's answer: from the 7th character to the
// first "}" from there on, or to the end.
std::string DadosBloco(const std::string& resposta);

// A reading of the fiscal memory. Printed: Abre, the command, Fecha. To a
// file: Abre, the command, then, when it was delivered, one line per block
// (CR LF) while ".++" is answered, Fecha. The file takes the place of the
// previous one only when the printer ends the reading with "]"; anything
// else leaves the previous file as it was and no temporary file. A file
// that leads to the driver's or the simulated printer's (ArquivoProtegido)
// is not written, and nothing is sent.
enum class Gravacao {
    Gravada,        // ended with "]"
    Interrompida,   // an answer that was neither "+" nor "]", or none
    FalhaNoArquivo  // the file could not be created, written or put in place
};
struct AoLer {
    std::function<void(const Desfecho&)> aposComando;  // the reading command answered (printed: after Fecha)
    std::function<void(int blocos, const Desfecho&)> aposBloco;  // each ".++" answered; blocks written so far
    std::function<void(Gravacao)> aoGravar;     // before the port is closed
    // Asked before each ".++": true ends the reading there, as Interrompida.
    std::function<bool()> interromper;
    LimiteLeitura limite;  // past it the reading ends, as Interrompida
};
struct LeituraMemoria {
    Desfecho comando;                  // the reading command
    Desfecho ultima;                   // the last answer
    int blocos = 0;                    // lines written
    std::optional<Gravacao> gravacao;  // none: printed, or the command was not delivered
    std::string erroArquivo;           // the system's reason, for FalhaNoArquivo
    bool interrompida = false;         // ended by `interromper`, not by the printer
    // Why the program would not write the file, so sent nothing (no
    // gravacao), or stopped the reading past `limite` (Interrompida); UTF-8.
    std::string motivo;
};
// `arquivo` empty: printed.
LeituraMemoria LeMemoria(const Comando& comando, const std::string& arquivo, const AoLer& ao = {});

}  // namespace tavorin
