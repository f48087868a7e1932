#include "fake_driver.h"

#include "zub_dll3.h"

#include <fstream>

namespace tavorin::teste {

std::string Descreve(const std::vector<Chamada>& chamadas) {
    std::string texto;
    for (const auto& chamada : chamadas) {
        const std::string porta = std::to_string(chamada.porta);
        switch (chamada.funcao) {
        case Chamada::Funcao::Abre: texto += "Abre(" + porta + ")\n"; break;
        case Chamada::Funcao::Fecha: texto += "Fecha(" + porta + ")\n"; break;
        case Chamada::Funcao::TXRX:
            texto += "TXRX(" + porta + ", " + std::to_string(chamada.espera) + ", \"" + chamada.comando + "\")\n";
        }
    }
    return texto;
}

int16_t FakeDriver::Abre(int16_t porta) {
    chamadas.push_back(ChAbre(porta));
    return abrePadrao;
}

int16_t FakeDriver::Fecha(int16_t porta) {
    chamadas.push_back(ChFecha(porta));
    return 0;
}

int16_t FakeDriver::TXRX(int16_t porta, int16_t espera, const char* comando) {
    const std::string texto(comando);
    chamadas.push_back(ChTXRX(porta, espera, texto));
    if (durante) durante(chamadas.back());

    Atendimento atendimento = respostaPadrao;
    auto& fila = filas_[texto];
    if (!fila.empty()) {
        atendimento = fila.front();
        fila.pop_front();
    } else if (auto escolhido = porComando ? porComando(porta, texto) : std::nullopt) {
        atendimento = *escolhido;
    }
    if (atendimento.linha) std::ofstream(kArquivoResposta, std::ios::binary) << *atendimento.linha << "\r\n";
    return atendimento.resultado;
}

}  // namespace tavorin::teste
