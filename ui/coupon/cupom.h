// The coupon window: a test bench for one fiscal coupon and a free command.
#pragma once

#include <QWidget>

namespace tavorin {

class Cupom : public QWidget {
    Q_OBJECT
public:
    explicit Cupom(QWidget* pai = nullptr);
};

}  // namespace tavorin
