// The clock window: the printer's clock once a second, setting its date
// and time, summer time.
#pragma once

#include <QWidget>

namespace tavorin {

class Clock : public QWidget {
    Q_OBJECT
public:
    explicit Clock(QWidget* pai = nullptr);
};

}  // namespace tavorin
