// SPDX-License-Identifier: GPL-3.0-or-later
// The splitter grip: an invisible strip with a double-bar cursor that reports mouse events.
#pragma once

#include <QWidget>
#include <functional>

namespace corvelle {

class SplitterGrip : public QWidget {
    Q_OBJECT
  public:
    explicit SplitterGrip(QWidget* parent = nullptr);
    std::function<void()> MouseDown;
    std::function<void(int x)> MouseMove;  // pixels, relative to the grip
    std::function<void()> MouseUp;

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// 32 x 32, two colours, hot spot (11, 11): a double vertical bar with arrows left and right.
QCursor SplitterCursor();

}  // namespace corvelle
