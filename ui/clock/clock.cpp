#include "clock.h"

namespace tavorin {

Clock::Clock(QWidget* pai) : QWidget(pai) { setObjectName(QStringLiteral("Clock")); }

}  // namespace tavorin
