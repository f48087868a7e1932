#include "link.h"

#include "arquivo_resposta.h"
#include "driver.h"
#include "zub_dll3.h"


namespace tavorin {

int32_t Porta = 0;
std::string Resposta;
std::string Status;

std::string Mid(const std::string& texto, std::size_t posicao, std::size_t tamanho) {
    if (posicao == 0 || posicao > texto.size()) return {};
    return texto.substr(posicao - 1, tamanho);
}

std::string LeResposta() {
    // The answer the last exchange read under its lock: read again now,
    // the file could already hold another program's.
    std::string linha;
    if (TomaResposta(linha)) return linha;
    TravaDePasta trava(kArquivoTrava, LimiteDaTrava());
    std::string bytes;
    if (trava.Obtida()) LeInicio(kArquivoResposta, bytes);
    // The line ends at CR or LF, so a CR LF file and a bare LF file read
    // alike; bytes are kept as the driver wrote them.
    return PrimeiraLinha(bytes);
}

int16_t EnviaComando(int32_t porta, int32_t espera, const std::string& comando) {
    int16_t resultado = TXRX(porta, espera, comando);
    Resposta = LeResposta();
    Status = Mid(Resposta, 2, 1);
    return resultado;
}

int32_t AbreImpressora(int32_t porta) {
    if (Abre(porta) < 0) return -1;
    EnviaComando(porta, 3, ".28");
    if (Status == "+") {
        Porta = porta;
        return 0;
    }
    Fecha(porta);
    return -1;
}

std::string TextoRelogio() {
    std::string texto = Mid(Resposta, 54, 1) == "S" ? "Horario de Verao " : "Horario Normal ";
    texto += Mid(Resposta, 44, 2) + "/" + Mid(Resposta, 46, 2) + "/" + Mid(Resposta, 48, 2) + " " +
             Mid(Resposta, 50, 2) + ":" + Mid(Resposta, 52, 2);
    return texto;
}

}  // namespace tavorin
