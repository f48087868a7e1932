// Reading of the fiscal memory, printed or saved as LeitM.txt.
#include "form1.h"

namespace tavorin {

void Form1::Porredu_Click() {}
void Form1::Pordata_Click() {}
void Form1::Ini_GotFocus() {}
void Form1::Fim_GotFocus() {}
void Form1::Ini_Validate() {}
void Form1::Fim_Validate() {}
void Form1::LMF_Click() {}
void Form1::LeituraPorReducao(bool) {}
void Form1::LeituraPorData(bool) {}
std::string Form1::DadosBloco() const { return {}; }
void Form1::GravaLeitura() {}

}  // namespace tavorin
