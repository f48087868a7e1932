#include "operacoes.h"

#include "arquivo_atomico.h"
#include "driver.h"
#include "link.h"
#include "texto_windows.h"

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
bool BlocoEntregue(const Desfecho& d) { return d.resultado >= 0 && (d.status == "+" || d.status == "]"); }

EstadoPapel Papel(Desfecho consulta) {
    EstadoPapel estado;
    // A driver error or no answer line at all: nothing to say about paper.
    estado.semResposta = consulta.resultado < 0 || consulta.status.empty();
    const std::string posicao6 = Mid(consulta.resposta, 6, 1);
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

std::string Desfecho::Codigo() const { return Mid(resposta, 21, 2); }


Desfecho Envia(int32_t porta, const Comando& comando) {
    Desfecho d{comando, EnviaComando(porta, comando.espera, comando.texto), {}, {}, UltimaTroca()};
    d.resposta = Resposta;
    d.status = Status;
    return d;
}

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
    const Comando consulta{".23", kEsperaStatus};
    Desfecho d{consulta, TXRX(Porta, consulta.espera, consulta.texto), {}, {}, UltimaTroca()};
    Resposta = LeResposta();
    d.resposta = Resposta;
    d.status = Mid(Resposta, 2, 1);
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

TesteImpressora TestaImpressora(const std::vector<int32_t>& portas, const AoTestar& ao) {
    TesteImpressora teste;
    for (int32_t porta : portas) {
        if (AbreImpressora(porta) >= 0) {
            Porta = porta;
            teste.encontrada = true;
            break;
        }
    }
    if (!teste.encontrada) {
        Chama(ao.naoEncontrada);
        Status = "-";
    }
    if (Status != "+") return teste;

    teste.porta = Porta;
    teste.relogio = TextoRelogio();
    Chama(ao.encontrada, teste.relogio);
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
        const std::string linha = DadosBloco(leitura.ultima.resposta) + "\r\n";
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
        Chama(ao.aposBloco, leitura.blocos);
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
        Chama(ao.aposComando);
        return leitura;
    }
    Chama(ao.aposComando);
    if (BlocoEntregue(leitura.comando)) {
        Grava(leitura, arquivo, ao);
        Chama(ao.aoGravar, *leitura.gravacao);
    }
    Fecha(Porta);
    return leitura;
}

}  // namespace tavorin
