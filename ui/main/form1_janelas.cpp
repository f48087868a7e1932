// The buttons that open the coupon and clock windows.
#include "form1.h"

namespace tavorin {

void Form1::Command6_Click() {}
void Form1::Command7_Click() {}

}  // namespace tavorin
