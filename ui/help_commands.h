// SPDX-License-Identifier: GPL-3.0-or-later
// The Help menu: the user's guide, the home page, the donation note, About.
#pragma once

#include <QObject>
#include <string>

class QWidget;

namespace corvelle {

// The guide in the program folder: AddBackslash(folder) + "guide.pdf".
std::string GuidePath(const std::string& programFolder);

class HelpCommands : public QObject {
    Q_OBJECT
  public:
    // `owner` is the window the About box and the opened pages belong to.
    explicit HelpCommands(QWidget* owner);
    void mnuHelpDoc_Click();
    void mnuHelpHomepage_Click();
    void mnuHelpDonation_Click();
    void mnuHelpAbout_Click();

  private:
    QWidget* owner_;
};

}  // namespace corvelle
