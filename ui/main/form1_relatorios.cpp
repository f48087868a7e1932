// Daily reports, drawer and counters.
#include "form1.h"

namespace tavorin {

void Form1::Command2_Click() {}
void Form1::Command4_Click() {}
void Form1::RedZ_Click() {}
void Form1::Command5_Click() {}

}  // namespace tavorin
