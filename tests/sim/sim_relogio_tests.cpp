// The printer's clock: setting it, summer time, and both surviving a
// restart of the process that drives the printer.
#include "simulador.h"

namespace zubsim::teste {
namespace {

// ddmmyy hhmm and the summer-time mode, from a ".28" answer.
std::string Relogio28(const std::string& linha) {
    return Campo(linha, 44, 6) + " " + Campo(linha, 50, 4) + " " + Campo(linha, 54, 1);
}

TEST_F(Simulador, ClockSetIsShownAndSurvivesARestart) {
    Relogio("235900", "291224");
    EXPECT_EQ(Relogio28(Aceito(".28")), "291224 2359 N");
    // Another process on the same state: a copy of the state file seen
    // from a new directory, every port opened again.
    DiretorioTemporario outra;
    std::filesystem::copy_file(Estado(), outra.Caminho() / "ZubSim-estado.txt");
    PoeAmbiente("ZUBSIM_DIR", outra.Caminho().string().c_str());
    for (int16_t porta = 1; porta <= 8; ++porta) Fecha(porta);
    EXPECT_EQ(Relogio28(Aceito(".28")).substr(0, 11), "291224 2359");
}

TEST_F(Simulador, ImpossibleDatesAndTimesAreRefused) {
    Relogio("100000", "150524");
    for (const std::string campos : {"240000010324", "126000010324", "120060010324", "120000000324", "120000011324",
                                     "120000290223", "12:000010324"})
        EXPECT_EQ(Recusado(".35" + campos), "08") << campos;
    EXPECT_EQ(Recusado(".3512000001032"), "02");
    EXPECT_EQ(Relogio28(Aceito(".28")).substr(0, 6), "150524") << "clock unchanged";
    Relogio("000000", "290224");
    Relogio("235959", "311299");
}

TEST_F(Simulador, ClockCannotGoBackBeforeTheLastReductionOrAnOpenMovement) {
    Relogio("100000", "100324");
    Aceito(".14");
    EXPECT_EQ(Recusado(".35235959090324"), "09");
    Relogio("000000", "100324");  // the same day is fine
    Relogio("100000", "120324");
    Aceito(".13");  // opens the movement of 12/03
    EXPECT_EQ(Recusado(".35100000110324"), "09");
}

TEST_F(Simulador, SummerTimeMovesTheClockOneHour) {
    Relogio("233000", "311224");
    Aceito(".36S");
    EXPECT_EQ(Relogio28(Aceito(".28")), "010125 0030 S");
    EXPECT_EQ(Recusado(".36S"), "10");
    Aceito(".36N");
    EXPECT_EQ(Relogio28(Aceito(".28")), "311224 2330 N");
    EXPECT_EQ(Recusado(".36N"), "11");
    // Setting the clock keeps the mode; the mode survives a new Abre.
    Aceito(".36S");
    Relogio("120000", "150125");
    for (int16_t porta = 1; porta <= 8; ++porta) Fecha(porta);
    EXPECT_EQ(Relogio28(Aceito(".28")), "150125 1200 S");
    // Leaving it cannot take the clock back over a reduction.
    Relogio("001000", "160125");
    Aceito(".14");
    EXPECT_EQ(Recusado(".36N"), "09");
}

}  // namespace
}  // namespace zubsim::teste
