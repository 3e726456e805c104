// SPDX-License-Identifier: GPL-3.0-or-later
// A tab strip whose pages are separate panels laid over its client area.
#pragma once

#include <QWidget>

class QTabBar;

namespace corvelle {

class TabStrip : public QWidget {
    Q_OBJECT
  public:
    explicit TabStrip(QWidget* parent = nullptr);
    void AddTab(const QString& caption, const QString& key, const QString& toolTip);
    QTabBar* Bar() const { return bar_; }
    // 1-based position of the selected tab, and selecting by position.
    int SelectedPosition() const;
    void SelectPosition(int position);
    QString Key(int position) const;
    // How far the client area sits inside the strip: left, top, right, bottom.
    QMargins ClientMargins() const;

  Q_SIGNALS:
    void Click();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    QTabBar* bar_;
};

}  // namespace corvelle
