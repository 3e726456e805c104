// The splash window shown while the main window loads.
#pragma once

#include <QWidget>

namespace corvelle {

class frmSplash : public QWidget {
    Q_OBJECT
  public:
    explicit frmSplash(QWidget* parent = nullptr);
};

}  // namespace corvelle
