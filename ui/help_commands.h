// SPDX-License-Identifier: GPL-3.0-or-later
// The Help menu: the user's guide, the home page, the donation note, About.
#pragma once

#include <QObject>
#include <string>

namespace corvelle {

class frmMain;

// The guide in the program folder: AddBackslash(folder) + "guide.pdf".
std::string GuidePath(const std::string& programFolder);

class HelpCommands : public QObject {
    Q_OBJECT
  public:
    explicit HelpCommands(frmMain& w);
    void mnuHelpDoc_Click();
    void mnuHelpHomepage_Click();
    void mnuHelpDonation_Click();
    void mnuHelpAbout_Click();

  private:
    frmMain& w_;
};

}  // namespace corvelle
