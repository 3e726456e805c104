// SPDX-License-Identifier: GPL-3.0-or-later
// A status bar of text panels addressed by key.
#pragma once

#include <QStatusBar>
#include <vector>

class QLabel;

namespace corvelle {

class KeyedStatusBar : public QStatusBar {
    Q_OBJECT
  public:
    explicit KeyedStatusBar(QWidget* parent = nullptr);
    void AddPanel(const QString& key, int stretch, int minimumWidth);
    // nullptr for an unknown key.
    QLabel* Panel(const QString& key) const;
    QString Text(const QString& key) const;
    void SetText(const QString& key, const QString& text);

  private:
    std::vector<std::pair<QString, QLabel*>> panels_;
};

}  // namespace corvelle
