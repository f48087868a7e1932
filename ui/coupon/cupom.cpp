#include "cupom.h"

namespace tavorin {

Cupom::Cupom(QWidget* pai) : QWidget(pai) { setObjectName(QStringLiteral("Cupom")); }

}  // namespace tavorin
