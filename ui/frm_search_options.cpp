// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frm_search_options.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "platform/os/message_service.h"
#include "platform/ui/path_text.h"

namespace corvelle {
namespace {

QLineEdit* PatternBox(const char* name, const std::vector<std::string>& patterns, QWidget* parent) {
    auto* box = new QLineEdit(PathToQString(JoinPatterns(patterns)), parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setMinimumWidth(box->fontMetrics().averageCharWidth() * 56);
    return box;
}

// What the user typed: the names between the commas, blanks around them left out.
std::vector<std::string> Patterns(const QLineEdit* box) {
    std::vector<std::string> out;
    for (const std::string& p : SplitPatterns(QStringToPath(box->text()))) {
        const size_t b = p.find_first_not_of(" \t");
        if (b == std::string::npos)
            continue;
        out.push_back(p.substr(b, p.find_last_not_of(" \t") - b + 1));
    }
    return out;
}

QCheckBox* Rule(const char* name, const QString& caption, bool on, QWidget* parent) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setChecked(on);
    return box;
}

QLabel* Note(const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setIndent(l->fontMetrics().averageCharWidth() * 4);
    return l;
}

}  // namespace

frmSearchOptions::frmSearchOptions(TidyRules& rules, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint),
      rules_(rules) {
    setObjectName("frmSearchOptions");
    setWindowTitle(QStringLiteral("検索オプション"));
    setModal(true);
    auto* grid = new QGridLayout;
    int row = 0;
    chkJunk = Rule("chkJunk", QStringLiteral("不要ファイルだけのフォルダも空とみなす(&J)"),
                   rules.junk, this);
    txtJunkNames = PatternBox("txtJunkNames", rules.junkNames, this);
    grid->addWidget(chkJunk, row++, 0, 1, 2);
    grid->addWidget(Note(QStringLiteral("ファイル名 (カンマ区切り、* ? が使えます。._* は対の"
                                        "ファイルがないときだけ):"),
                         this),
                    row++, 0, 1, 2);
    grid->addWidget(txtJunkNames, row++, 1);
    chkNested =
        Rule("chkNested", QStringLiteral("空のフォルダだけを含むフォルダも一度に削除する(&N)"),
             rules.nested, this);
    grid->addWidget(chkNested, row++, 0, 1, 2);
    grid->addWidget(Note(QStringLiteral("(「空のフォルダを削除」のとき。各フォルダが一行になり"
                                        "ます)"),
                         this),
                    row++, 0, 1, 2);
    chkExclude =
        Rule("chkExclude", QStringLiteral("次のフォルダを検索しない(&E)"), rules.exclude, this);
    txtExclude = PatternBox("txtExclude", rules.excludePatterns, this);
    grid->addWidget(chkExclude, row++, 0, 1, 2);
    grid->addWidget(Note(QStringLiteral("フォルダ名、または / を含むなら検索するフォルダからの"
                                        "パス (カンマ区切り):"),
                         this),
                    row++, 0, 1, 2);
    grid->addWidget(txtExclude, row++, 1);
    chkOlderThan =
        Rule("chkOlderThan", QStringLiteral("最後の更新から次の日数が過ぎたものだけ(&A)"),
             rules.olderThanDays > 0, this);
    spnDays = new QSpinBox(this);
    spnDays->setObjectName("spnDays");
    spnDays->setRange(1, kMaxAgeDays);
    spnDays->setSuffix(QStringLiteral(" 日"));
    spnDays->setValue(rules.olderThanDays > 0 ? rules.olderThanDays : 30);
    grid->addWidget(chkOlderThan, row++, 0, 1, 2);
    auto* days = new QHBoxLayout;
    days->addWidget(spnDays);
    days->addStretch();
    grid->addLayout(days, row++, 1);
    grid->setColumnMinimumWidth(0, fontMetrics().averageCharWidth() * 3);

    cmdOk = new QPushButton(QStringLiteral("OK"), this);
    cmdOk->setObjectName("cmdOk");
    cmdCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    cmdCancel->setObjectName("cmdCancel");
    cmdOk->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdCancel);
    auto* all = new QVBoxLayout(this);
    all->addLayout(grid);
    all->addSpacing(fontMetrics().height() / 2);
    all->addLayout(buttons);
    all->setSizeConstraint(QLayout::SetFixedSize);

    for (QCheckBox* box : {chkJunk, chkExclude, chkOlderThan})
        connect(box, &QCheckBox::toggled, this, [this] { EnableBoxes(); });
    connect(cmdOk, &QPushButton::clicked, this, [this] { cmdOk_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    EnableBoxes();
}

void frmSearchOptions::EnableBoxes() {
    txtJunkNames->setEnabled(chkJunk->isChecked());
    txtExclude->setEnabled(chkExclude->isChecked());
    spnDays->setEnabled(chkOlderThan->isChecked());
}

void frmSearchOptions::cmdOk_Click() {
    TidyRules r = rules_;
    r.junk = chkJunk->isChecked();
    r.nested = chkNested->isChecked();
    r.exclude = chkExclude->isChecked();
    r.olderThanDays = chkOlderThan->isChecked() ? spnDays->value() : 0;
    const std::vector<std::string> names = Patterns(txtJunkNames);
    const std::vector<std::string> patterns = Patterns(txtExclude);
    // A rule that is on needs something to go by; the dialog stays open to say so.
    if (r.junk && names.empty()) {
        MessageService::Show("不要ファイルの名前を入力してください", MsgIcon::Exclamation,
                             MsgButtons::Ok);
        txtJunkNames->setFocus();
        return;
    }
    if (r.exclude && patterns.empty()) {
        MessageService::Show("検索しないフォルダの名前を入力してください", MsgIcon::Exclamation,
                             MsgButtons::Ok);
        txtExclude->setFocus();
        return;
    }
    for (const std::string& p : r.exclude ? patterns : std::vector<std::string>{}) {
        if (const ExcludeProblem why = CheckExcludePattern(p); why != ExcludeProblem::None) {
            MessageService::Show(
                "「" + p + "」は検索しないフォルダに使えません: " + ExcludeProblemText(why, true),
                MsgIcon::Exclamation, MsgButtons::Ok);
            txtExclude->setFocus();
            return;
        }
    }
    // An emptied list that is off keeps the one it had.
    if (!names.empty())
        r.junkNames = names;
    if (!patterns.empty())
        r.excludePatterns = patterns;
    rules_ = r;
    accept();
}

}  // namespace corvelle
