// The printer's clock: setting it, summer time, and both surviving a
// restart of the process that drives the printer. ".28" shows the clock
// ddmmyyhhmm at 44 and the summer-time mode at 54.
#include "simulador.h"

namespace zubsim::teste {
namespace {

TEST_F(Simulador, ClockSetIsShownAndSurvivesARestart) {
    Roteiro({{".35235900291224", "+"}, {".28", "+ 44=2912242359 54=N"}});
    // Another process on the same state: a copy of the state file seen
    // from a new directory, every port opened again.
    DiretorioTemporario outra;
    std::filesystem::copy_file(Estado(), outra.Caminho() / "ZubSim-estado.txt");
    PoeAmbiente("ZUBSIM_DIR", outra.Caminho().string().c_str());
    for (int16_t porta = 1; porta <= 8; ++porta) Fecha(porta);
    Roteiro({{".28", "+ 44=29122423"}});
}

TEST_F(Simulador, ImpossibleDatesAndTimesAreRefused) {
    Relogio("100000", "150524");
    for (const std::string campos : {"240000010324", "126000010324", "120060010324", "120000000324", "120000011324",
                                     "120000290223", "12:000010324"})
        Roteiro({{".35" + campos, "-08"}});
    Roteiro({{".3512000001032", "-02"}, {".28", "+ 44=150524"}, {".35000000290224", "+"}, {".35235959311299", "+"}});
}

// Not before the last reduction's day nor an open movement's day.
TEST_F(Simulador, ClockCannotGoBack) {
    Relogio("100000", "100324");
    Roteiro({{".14", "+"}, {".35235959090324", "-09"}, {".35000000100324", "+"}, {".35100000120324", "+"},
             {".13", "+"}, {".35100000110324", "-09"}});
}

TEST_F(Simulador, SummerTimeMovesTheClockOneHour) {
    Relogio("233000", "311224");
    Roteiro({{".36S", "+"}, {".28", "+ 44=0101250030 54=S"}, {".36S", "-10"}, {".36N", "+"},
             {".28", "+ 44=3112242330 54=N"}, {".36N", "-11"}, {".36S", "+"}, {".35120000150125", "+"}});
    // Setting the clock keeps the mode; the mode survives a new Abre;
    // leaving it cannot take the clock back over a reduction.
    for (int16_t porta = 1; porta <= 8; ++porta) Fecha(porta);
    Roteiro({{".28", "+ 44=1501251200 54=S"}, {".35001000160125", "+"}, {".14", "+"}, {".36N", "-09"}});
}

}  // namespace
}  // namespace zubsim::teste
