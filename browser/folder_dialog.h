// SPDX-License-Identifier: GPL-3.0-or-later
// What the three folder dialogs share: twips geometry, no default or cancel button (Escape
// does nothing, Enter presses only a focused button), and Enter in a text box moving the
// focus to OK.
#pragma once

#include <QDialog>

#include "util/twrect.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace corvelle {

class FolderDialog : public QDialog {
    Q_OBJECT
  public:
    FolderDialog(QWidget* parent, double clientWidthTw, double clientHeightTw);

  protected:
    struct PromptControls {
        QLineEdit* box;
        QLabel* label;
        QPushButton* ok;
        QPushButton* cancel;
    };
    // A text box under its prompt, OK and Cancel below (the new-folder and rename dialogs):
    // the box has the focus when the dialog shows, Enter in it moves the focus to OK.
    PromptControls BuildPrompt(const char* boxName, const QString& prompt);
    void showEvent(QShowEvent* event) override;
    // The title bar shows no text (the house style of these small dialogs).
    void NoCaption();
    QPushButton* Button(const char* name, const QString& caption, const TwRect& r);
    QLabel* PromptLabel(const char* name, const QString& caption, const TwRect& r);
    // Enter in the box swallows the key and moves the focus to `to`.
    void EnterMovesFocus(QLineEdit* box, QWidget* to);
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QLineEdit* enterBox_ = nullptr;
    QWidget* focusOnShow_ = nullptr;
    QWidget* enterTarget_ = nullptr;
};

}  // namespace corvelle
