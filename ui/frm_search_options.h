// SPDX-License-Identifier: GPL-3.0-or-later
// The search options dialog (表示 > 検索オプション): the search's optional rules, written to
// the settings record on OK.
#pragma once

#include <QDialog>

#include "tidy/tidy_rules.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace corvelle {

class frmSearchOptions : public QDialog {
    Q_OBJECT
  public:
    frmSearchOptions(TidyRules& rules, QWidget* owner = nullptr);

    QCheckBox* chkJunk;
    QLineEdit* txtJunkNames;
    QCheckBox* chkNested;
    QCheckBox* chkExclude;
    QLineEdit* txtExclude;
    QCheckBox* chkOlderThan;
    QSpinBox* spnDays;
    QPushButton* cmdOk;
    QPushButton* cmdCancel;

    void cmdOk_Click();

  private:
    void EnableBoxes();
    TidyRules& rules_;
};

}  // namespace corvelle
