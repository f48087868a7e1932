// The exchange log: every command the link hands to the driver, with what
// came back and how long it took, kept in memory for a technician to look
// at ("Comunicação" window, the command line's --registro). Nothing here
// writes a file on its own.
#pragma once

#include "troca.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tavorin {

// The last kMaxTrocas exchanges, oldest first, and never more than
// kMaxBytesTrocas of their texts (a bounded record in memory, also for a
// driver with huge answers; never written to a file by itself).
constexpr std::size_t kMaxTrocas = 5000;
constexpr std::size_t kMaxBytesTrocas = 4u << 20;
// What one exchange counts against kMaxBytesTrocas.
std::size_t TamanhoDaTroca(const Troca& troca);
std::vector<Troca> Trocas();
void LimpaTrocas();

// What the record holds beyond what a reader has seen, for a view that
// must show exactly what the record keeps (the "Comunicação" window). The
// record numbers every exchange it takes; `geracao` changes when it is
// emptied. Given the generation and the next number the reader expects,
// it tells the number of the oldest exchange it still keeps (the reader
// drops its rows before it) and the exchanges after the reader's; in
// another generation, all it keeps.
struct Novidades {
    uint64_t geracao = 0;
    uint64_t primeira = 0;  // number of the oldest exchange kept
    uint64_t proxima = 0;   // number the next exchange will take
    std::vector<Troca> trocas;
};
Novidades TrocasDesde(uint64_t geracao, uint64_t proxima);

// Called after every exchange, on the thread that made it. Returns a handle
// for DeixaDeObservar. Once DeixaDeObservar returns, the observer is not
// called again (a call under way on another thread is waited for).
int ObservaTrocas(std::function<void(const Troca&)> observador);
void DeixaDeObservar(int handle);

// The record as text, one line per exchange: time, port, wait limit,
// command, result, answer, duration, with blanks and non-printable bytes
// made visible (used by "Salvar…" and by the command line's --registro).
// The line is 8-bit text like the command and answer it shows, without a
// line end.
std::string DescreveTroca(const Troca& troca);

// When the exchange was sent, as local time to the millisecond
// ("2026-12-07 03:09:35.773", or the time alone), and how long it took
// ("0,017 ms"): the one form the record's lines and the window's columns
// share.
std::string HoraDaTroca(const Troca& troca, bool comData);
std::string DuracaoDaTroca(const Troca& troca);

// Command or answer bytes with every byte visible: a blank is shown as
// "·" (byte B7), a byte that shows nothing or could be mistaken for
// another as \xHH, a backslash as "\\". Printable 8-bit characters stay as
// they are.
std::string BytesVisiveis(const std::string& bytes);
// The same with blanks left as they are (and B7 then, which no longer
// stands for one): an answer line as text a terminal shows safely.
std::string ControlesVisiveis(const std::string& bytes);

// Adds one exchange to the record and tells the observers; the link's
// TXRX calls it after every exchange.
void RegistraTroca(const Troca& troca);

}  // namespace tavorin
