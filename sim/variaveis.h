// The environment variables the simulated printer reads (ambiente.h says
// what each one does), named once for it and for the tests, benchmarks
// and fuzzers that set them.
#pragma once

namespace zubsim {

inline constexpr const char* kVariavelPorta = "ZUBSIM_PORTA";
inline constexpr const char* kVariavelSemPapel = "ZUBSIM_SEM_PAPEL";
inline constexpr const char* kVariavelForaDeLinha = "ZUBSIM_FORA_DE_LINHA";
inline constexpr const char* kVariavelMuda = "ZUBSIM_MUDA";
inline constexpr const char* kVariavelBaud = "ZUBSIM_BAUD";
inline constexpr const char* kVariavelLinhasPorSegundo = "ZUBSIM_LINHAS_POR_SEGUNDO";
inline constexpr const char* kVariavelSegura = "ZUBSIM_SEGURA";
inline constexpr const char* kVariavelPasta = "ZUBSIM_DIR";

// Every one but the folder: with none of them set, the printer is on port
// 1, ready, answers at once and holds no command.
inline constexpr const char* kAjustes[] = {kVariavelPorta, kVariavelSemPapel, kVariavelForaDeLinha, kVariavelMuda,
                                           kVariavelBaud,  kVariavelLinhasPorSegundo, kVariavelSegura};

// A test's latch on the command named by ZUBSIM_SEGURA, in ZUBSIM_DIR: the
// pause file the test makes and removes, and the printer's word that the
// command arrived.
inline constexpr const char* kArquivoPausa = "ZubSim-segura";
inline constexpr const char* kArquivoChegou = "ZubSim-chegou";

}  // namespace zubsim
