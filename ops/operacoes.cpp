#include "operacoes.h"

#include "arquivo_atomico.h"
#include "arquivo_resposta.h"
#include "conversao.h"
#include "driver.h"
#include "link.h"
#include "registro.h"
#include "texto_windows.h"
#include "zub_dll3.h"

#include <filesystem>

namespace tavorin {

const Comando kStatus{".28", kEsperaStatus};
const Comando kGaveta{".21", kEsperaRelatorio};
const Comando kLeituraX{".13", kEsperaRelatorio};
const Comando kReducaoZ{".14", kEsperaRelatorio};
const Comando kCOO{".5609", kEsperaStatus};
const Comando kCCF{".271", kEsperaStatus};
const Comando kProximoBloco{".++", kEsperaBloco};
const Comando kAbreCupom{".17", kEsperaCurta};
// The one item the bench sells, exactly as the printer expects it.
const Comando kItem{".01"
                    "1234567890123"
                    "0001000000000100"
                    "            "
                    "PRODUTO DE QUALIDADE"
                    "    "
                    "T01",
                    kEsperaStatus};
// Payment of R$100,00: the amount ends the command, in centavos.
const Comando kPagamento{".10" "01000000010000", kEsperaCurta};
const Comando kFechaCupom{".12", kEsperaStatus};

namespace {

// Characters 1-2, 4-5 and 7-8: the fields of "hh:mm:ss" or "dd/mm/yy"
// without their separators, or whatever of them the text has.
std::string Campos(const std::string& texto) { return Mid(texto, 1, 2) + Mid(texto, 4, 2) + Mid(texto, 7, 2); }

// An answer that lets a reading to the file go on: the driver delivered
// it and the printer accepted the command or said it has no more blocks.
// Anything else ends the reading; a printer that keeps refusing would
// otherwise be asked for the next block forever.
bool BlocoEntregue(const Desfecho& d) { return d.troca.resultado >= 0 && (d.status == "+" || d.status == "]"); }

EstadoPapel Papel(Desfecho consulta) {
    EstadoPapel estado;
    // Nothing sent, a driver error or no answer line at all: nothing to say
    // about paper. Any line, however short, is an answer.
    estado.semResposta = !consulta.troca.Enviado() || consulta.troca.resultado < 0 || consulta.troca.resposta.empty();
    const std::string posicao6 = Mid(consulta.troca.resposta, 6, 1);
    estado.semPapel = !estado.semResposta && posicao6 == "5";
    estado.foraDeLinha = !estado.semResposta && posicao6 == "1";
    estado.consulta = std::move(consulta);
    return estado;
}

template <typename F, typename... A>
void Chama(const F& gancho, A&&... argumentos) {
    if (gancho) gancho(std::forward<A>(argumentos)...);
}

}  // namespace

Comando ComandoLivre(const std::string& texto, int32_t espera) { return {texto, espera}; }

Comando ComandoAcertaRelogio(const std::string& hora, const std::string& data) {
    return {".35" + Campos(hora) + Campos(data), kEsperaCurta};
}

Comando ComandoVerao(bool entra) { return {entra ? ".36S" : ".36N", kEsperaCurta}; }

Comando ComandoLeitura(Faixa faixa, const std::string& inicio, const std::string& fim, bool noArquivo) {
    std::string texto = (faixa == Faixa::Datas ? ".16" : ".15") + inicio + fim;
    if (noArquivo) texto += '#';
    return {texto, noArquivo ? kEsperaBloco : kEsperaImpressa};
}

std::string ComandoRecusado(const std::string& bytes) {
    if (bytes.size() <= kTamanhoMaximoComando) return {};
    return "comando com " + std::to_string(bytes.size()) + " caracteres; o driver aceita até " +
           std::to_string(kTamanhoMaximoComando);
}

std::string Desfecho::Codigo() const { return Mid(troca.resposta, 21, 2); }

Desfecho Decide(Troca troca) {
    Desfecho d;
    d.status = Mid(troca.resposta, 2, 1);
    const auto classe = [&troca, &d] {
        if (troca.bloqueio == Troca::Bloqueio::PortaFechada)
            return troca.semDriver.Houve() ? Classe::SemBiblioteca : Classe::PortaRecusada;
        if (!troca.Enviado()) return Classe::NaoEnviado;
        if (troca.resultado >= 0 && !d.status.empty()) return d.status == "+" ? Classe::Aceito : Classe::Recusado;
        if (troca.semDriver.Houve()) return Classe::SemBiblioteca;
        if (troca.abreRecusado) return Classe::PortaRecusada;
        if (troca.semRespostaNova) return Classe::RespostaPresa;
        if (!troca.pastaSemGravacao.empty()) return Classe::PastaSemGravacao;
        return Classe::SemResposta;
    };
    d.classe = classe();
    d.troca = std::move(troca);
    return d;
}

bool CausaConhecida(Classe classe) {
    return classe != Classe::Aceito && classe != Classe::Recusado && classe != Classe::SemResposta;
}

namespace {

// The working folder, where the driver leaves its answers, as UTF-8.
std::string PastaDeTrabalho() {
    std::error_code erro;
    const std::filesystem::path pasta = std::filesystem::current_path(erro);
#if defined(_WIN32)
    return erro ? std::string(".") : Estreito(pasta.wstring(), CP_UTF8);
#else
    return erro ? std::string(".") : pasta.string();
#endif
}

std::string ArquivoDeResposta() {
    return (std::filesystem::u8path(PastaDeTrabalho()) / kArquivoResposta).u8string();
}

// Bytes of an answer in a message: as the windows show them, control
// bytes spelled out.
std::string Visivel(const std::string& bytes) { return Utf8DoDriver(ControlesVisiveis(bytes)); }

}  // namespace

std::string Explica(const Desfecho& d) {
    const Troca& t = d.troca;
    const std::string porta = std::to_string(t.porta);
    switch (d.classe) {
        case Classe::Aceito:
            return {};
        case Classe::Recusado:
            return "recusado pela impressora: ERRO " + Visivel(d.Codigo());
        case Classe::NaoEnviado:
            if (t.bloqueio == Troca::Bloqueio::TravaInacessivel)
                return "a trava " + std::string(kArquivoTrava) + " desta pasta não pôde ser aberta (" + t.motivo +
                       "); nada foi enviado";
            if (t.bloqueio == Troca::Bloqueio::Interrompido) return "interrompido antes do envio; nada foi enviado";
            return "outro programa do Tavorin nesta pasta não liberou a impressora em " +
                   std::to_string(LimiteDaTrava().count() / 1000) + " s; nada foi enviado";
        case Classe::SemBiblioteca:
            return ExplicaFalhaDoDriver(t.semDriver);
        case Classe::PortaRecusada:
            return "a porta " + porta + " não abriu: o driver devolveu " + std::to_string(*t.abreRecusado);
        case Classe::RespostaPresa:
            return "o arquivo de resposta " + ArquivoDeResposta() + " não pôde ser removido (" + t.motivo +
                   "); a resposta da impressora não pôde ser lida";
        case Classe::PastaSemGravacao:
            return "sem resposta, e a pasta " + PastaDeTrabalho() + " não aceita gravação (" + t.pastaSemGravacao +
                   "): o driver não tem onde deixar o arquivo de resposta";
        case Classe::SemResposta:
            if (t.resultado < 0)
                return "sem resposta da impressora na porta " + porta + " (resultado do driver " +
                       std::to_string(t.resultado) + ")";
            return "a impressora não deixou resposta na porta " + porta;
    }
    return {};
}

std::string ExplicaFalhaDoDriver(const FalhaDriver& falha) {
    // The loader's sentence, in lower case as the others here.
    std::string texto = DescreveFalha(falha);
    if (!texto.empty() && texto[0] == 'B') texto[0] = 'b';
    return texto;
}

std::string Aviso(const Desfecho& d) {
    if (!d.troca.avisa) return {};
    return "o arquivo de resposta " + ArquivoDeResposta() + " não pôde ser removido (" + d.troca.motivo + ")";
}

Desfecho Envia(int32_t porta, const Comando& comando) { return Decide(EnviaTroca(porta, comando.espera, comando.texto)); }

Desfecho Envia(const Comando& comando) { return Envia(Porta, comando); }

void AbrePorta() { Abre(Porta); }

void FechaPorta() { Fecha(Porta); }

std::string TextoResultado(const std::string& resposta, const std::string& status) {
    return status == "+" ? resposta : "ERRO " + Mid(resposta, 21, 2);
}

Desfecho UmComando(const Comando& comando) {
    Abre(Porta);
    Desfecho d = Envia(Porta, comando);
    Fecha(Porta);
    return d;
}

EstadoPapel PapelDoTeste() {
    Desfecho d = Decide(FazTroca(Porta, kEsperaStatus, ".23"));
    Resposta = LeResposta();
    return Papel(std::move(d));
}

EstadoPapel PapelDoCupom() { return Papel(Envia(Porta, {".23", kEsperaCurta})); }

std::string PalavraPapel(const EstadoPapel& e) {
    return e.semResposta ? "Sem Resposta" : e.semPapel ? "Sem Papel" : "Com Papel";
}

std::string PalavraLinha(const EstadoPapel& e) {
    return e.semResposta ? "Sem Resposta" : e.foraDeLinha ? "Fora de Linha" : "Conectada";
}

// One state character, three outcomes: off line wins over no paper.
std::string PalavraCupom(const EstadoPapel& e) {
    return e.semResposta ? "Sem Resposta" : e.foraDeLinha ? "Fora de Linha" : e.semPapel ? "Sem Papel" : "Com Papel";
}

std::string PalavraReducao(const std::string& estado) {
    return estado == "S" ? "Efetuada" : estado == "N" ? "Não Efetuada" : estado == "F" ? "Obrigatória" : "";
}

std::string PalavraLeituraX(const std::string& estado) {
    return estado == "S" ? "Efetuada" : estado == "N" ? "Não Efetuada" : "";
}

const Desfecho* Procura::Causa() const {
    for (const Desfecho& sonda : sondas)
        if (CausaConhecida(sonda.classe)) return &sonda;
    return nullptr;
}

Procura ProcuraImpressora(const std::vector<int32_t>& portas) {
    Procura procura;
    for (int32_t porta : portas) {
        procura.sondas.push_back(Decide(Sonda(porta)));
        const Desfecho& sonda = procura.sondas.back();
        if (Respondeu(sonda.troca)) {
            procura.encontrada = true;
            procura.porta = porta;
            break;
        }
        // The same would hold on the next port.
        if (CausaConhecida(sonda.classe) && sonda.classe != Classe::PortaRecusada) break;
    }
    return procura;
}

std::string Resumo(const Desfecho& sonda) {
    switch (sonda.classe) {
        case Classe::Aceito:
            return "aceito";
        case Classe::Recusado:
            return "ERRO " + Visivel(sonda.Codigo());
        case Classe::PortaRecusada:
            return "não abriu (o driver devolveu " + std::to_string(*sonda.troca.abreRecusado) + ")";
        case Classe::SemResposta:
            return "sem resposta";
        default:
            return Explica(sonda);
    }
}

TesteImpressora TestaImpressora(const std::vector<int32_t>& portas, const AoTestar& ao) {
    TesteImpressora teste;
    teste.procura = ProcuraImpressora(portas);
    teste.encontrada = teste.procura.encontrada;
    if (teste.encontrada) Porta = teste.procura.porta;
    if (!teste.encontrada) {
        Chama(ao.naoEncontrada);
        Status = "-";
    }
    if (Status != "+") return teste;

    teste.porta = Porta;
    teste.relogio = TextoRelogio();
    Chama(ao.encontrada, teste.porta, teste.relogio);
    teste.status = Envia(Porta, kStatus);
    teste.reducao = Mid(Resposta, 18, 1);
    teste.leituraX = Mid(Resposta, 124, 1);
    Chama(ao.estadoDoDia, teste.reducao, teste.leituraX);
    teste.papel = PapelDoTeste();
    Chama(ao.papel, teste.papel);
    Fecha(Porta);
    return teste;
}

Contadores LeContadores(const std::function<void(const std::string&)>& aoLerCOO) {
    Contadores c;
    Abre(Porta);
    c.consultaCOO = Envia(Porta, kCOO);
    c.coo = Mid(Resposta, 5, 4);
    Chama(aoLerCOO, c.coo);
    c.consultaCCF = Envia(Porta, kCCF);
    c.ccf = Mid(Resposta, 115, 4);
    Fecha(Porta);
    return c;
}

std::optional<std::string> LeRelogio(int32_t porta) {
    if (AbreImpressora(porta) < 0) return std::nullopt;
    return TextoRelogio();
}

std::optional<std::string> LeRelogio() { return LeRelogio(Porta); }

std::optional<std::string> LeRelogioSemEsperar() {
    const VezDaPasta vez(std::chrono::milliseconds(0));
    if (!vez.Obtida()) return std::nullopt;
    return LeRelogio();
}

std::string DadosBloco(const std::string& resposta) {
    if (resposta.size() < 7) return {};
    const std::size_t fim = resposta.find('}', 6);
    return resposta.substr(6, fim == std::string::npos ? std::string::npos : fim - 6);
}

namespace {

// The program's 8-bit file name (the ANSI code page on Windows) as the
// system's path.
std::filesystem::path Caminho(const std::string& arquivo) {
#if defined(_WIN32)
    return std::filesystem::path(Largo(arquivo, CP_ACP));
#else
    return std::filesystem::path(arquivo);
#endif
}

// The blocks go to a file beside the final one that takes its place only
// once the printer has handed out the last one. Bytes are written as the
// printer sent them, each line ending CR LF.
void Grava(LeituraMemoria& leitura, const std::string& arquivo, const AoLer& ao) {
    // What a reading killed before its end left beside the same file.
    comum::RemoveAbandonados(Caminho(arquivo));
    comum::ArquivoAtomico saida(Caminho(arquivo));
    const auto falha = [&] {
        leitura.gravacao = Gravacao::FalhaNoArquivo;
        leitura.erroArquivo = saida.Erro();
    };
    if (!saida.Abre()) return falha();
    std::uint64_t bytes = 0;
    for (;;) {
        const std::string linha = DadosBloco(leitura.ultima.troca.resposta) + "\r\n";
        bytes += linha.size();
        leitura.motivo = ForaDoLimite(ao.limite, leitura.blocos + 1, bytes);
        if (!leitura.motivo.empty()) {
            leitura.gravacao = Gravacao::Interrompida;
            return;
        }
        if (!saida.Escreve(linha)) return falha();
        ++leitura.blocos;
        if (leitura.ultima.status == "]") break;
        if (ao.interromper && ao.interromper()) {
            leitura.interrompida = true;
            leitura.gravacao = Gravacao::Interrompida;
            return;
        }
        leitura.ultima = Envia(Porta, kProximoBloco);
        Chama(ao.aposBloco, leitura.blocos, leitura.ultima);
        if (!BlocoEntregue(leitura.ultima)) {
            leitura.gravacao = Gravacao::Interrompida;
            return;
        }
        if (leitura.ultima.status == "]") break;
    }
    if (!saida.Conclui()) return falha();
    leitura.gravacao = Gravacao::Gravada;
}

}  // namespace

LeituraMemoria LeMemoria(const Comando& comando, const std::string& arquivo, const AoLer& ao) {
    LeituraMemoria leitura;
    if (!arquivo.empty()) {
        const std::string protegido = ArquivoProtegido(arquivo);
        if (!protegido.empty()) {
            leitura.motivo = "leva a um arquivo do driver ou da impressora simulada (" + protegido + ")";
            return leitura;
        }
    }
    Abre(Porta);
    leitura.comando = leitura.ultima = Envia(Porta, comando);
    if (arquivo.empty()) {
        Fecha(Porta);
        Chama(ao.aposComando, leitura.comando);
        return leitura;
    }
    Chama(ao.aposComando, leitura.comando);
    if (BlocoEntregue(leitura.comando)) {
        Grava(leitura, arquivo, ao);
        Chama(ao.aoGravar, *leitura.gravacao);
    }
    Fecha(Porta);
    return leitura;
}

}  // namespace tavorin
