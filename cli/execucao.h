// Running the operation asked for, on the operations layer.
#pragma once

#include "pedido.h"

namespace tavorin::cli {

// Each operation, as the table of operations runs it.
void Testa(const Pedido& p, Relato& r);
void UmaOperacao(const Pedido& p, Relato& r);
void Envia(const Pedido& p, Relato& r);
void Relogio(const Pedido& p, Relato& r);
void ContaDocumentos(const Pedido& p, Relato& r);
void RelatorioDeDiagnostico(const Pedido& p, Relato& r);
void Memoria(const Pedido& p, Relato& r);

// Watches every exchange from here on (on standard error too with
// `registro`) and the signals that ask the program to stop.
void Observa(bool registro);

// The operation on the port given or found, the ports closed after it; a
// signal that came meanwhile told in the outcome.
Relato Executa(const Operacao& operacao, const Pedido& pedido);

}  // namespace tavorin::cli
