#include "fake_driver.h"

#include "zub_dll3.h"

#include <fstream>
#include <sstream>

namespace tavorin::teste {

std::string Descreve(const Chamada& chamada) {
    std::ostringstream texto;
    switch (chamada.funcao) {
    case Chamada::Funcao::Abre: texto << "Abre(" << chamada.porta << ")"; break;
    case Chamada::Funcao::Fecha: texto << "Fecha(" << chamada.porta << ")"; break;
    case Chamada::Funcao::TXRX:
        texto << "TXRX(" << chamada.porta << ", " << chamada.espera << ", \"" << chamada.comando << "\")";
        break;
    }
    return texto.str();
}

std::string Descreve(const std::vector<Chamada>& chamadas) {
    std::string texto;
    for (const auto& chamada : chamadas) texto += Descreve(chamada) + "\n";
    return texto;
}

FakeDriver::FakeDriver() { anterior_ = InstalaDriver(this); }

FakeDriver::~FakeDriver() { InstalaDriver(anterior_); }

int16_t FakeDriver::Abre(int16_t porta) {
    chamadas.push_back(ChAbre(porta));
    auto achado = abrePorPorta.find(porta);
    return achado == abrePorPorta.end() ? abrePadrao : achado->second;
}

int16_t FakeDriver::Fecha(int16_t porta) {
    chamadas.push_back(ChFecha(porta));
    return 0;
}

void FakeDriver::Enfileira(const std::string& comando, Atendimento atendimento) {
    filas_[comando].push_back(std::move(atendimento));
}

int16_t FakeDriver::TXRX(int16_t porta, int16_t espera, const char* comando) {
    const std::string texto(comando);
    chamadas.push_back(ChTXRX(porta, espera, texto));
    if (durante) durante(chamadas.back());

    Atendimento atendimento = respostaPadrao;
    auto fila = filas_.find(texto);
    if (fila != filas_.end() && !fila->second.empty()) {
        atendimento = std::move(fila->second.front());
        fila->second.pop_front();
    } else if (porComando) {
        if (auto escolhido = porComando(porta, texto)) atendimento = std::move(*escolhido);
    }
    if (atendimento.linha) {
        std::ofstream arquivo(kArquivoResposta, std::ios::binary | std::ios::trunc);
        arquivo << *atendimento.linha << "\r\n" << atendimento.resto;
    }
    return atendimento.resultado;
}

std::vector<std::string> FakeDriver::Comandos() const {
    std::vector<std::string> comandos;
    for (const auto& chamada : chamadas)
        if (chamada.funcao == Chamada::Funcao::TXRX) comandos.push_back(chamada.comando);
    return comandos;
}

}  // namespace tavorin::teste
