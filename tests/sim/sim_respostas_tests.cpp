// The answer line: the fields of the status queries at the positions the
// program reads, and refusals of malformed commands.
#include "simulador.h"

namespace zubsim::teste {
namespace {

// Every answer is 128 characters: "@", the status, the command's code at
// 3, the error code at 21, then the command's own fields.
TEST_F(Simulador, QueriesPutEveryFieldWhereTheProgramReadsIt) {
    Relogio("143000", "251203");
    Aceitos({".13", ".17", kItem, kPaga100, ".12", ".17"});  // COO 3, CCF 2, coupon open
    Roteiro({{".28", "+ 1=@+28 15=1 18=N 21=00 44=2512031430 54=N 124=S"},
             {".23", "+ 1=@+23 6=0 21=00"},
             {".5609", "+ 1=@+56 5=0003 23=000003"},
             {".271", "+ 1=@+27 23=000002 115=0002"}});
    EXPECT_EQ(resposta_.size(), 128u);
}

TEST_F(Simulador, MalformedAndUnknownCommandsAreRefusedWithTheirCode) {
    Roteiro({{".99", "-01 3=99"}, {"", "-02 3=??"}, {"x28", "-02 3=??"}, {".28 ", "-02 3=28"}, {".5608", "-24 3=56"},
             {".36X", "-03 3=36"}, {".150001000", "-02 3=15"}, {".13#", "-02 3=13"}});
    EXPECT_EQ(resposta_.size(), 128u);
    EXPECT_EQ(Troca(1, 10, nullptr), 0);
    EXPECT_EQ(Campo(resposta_, 2, 1) + Campo(resposta_, 21, 2), "-02");
}

}  // namespace
}  // namespace zubsim::teste
