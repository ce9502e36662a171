#include "NewPageDialog.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "AppState.h"
#include "Dialogs.h"
#include "DomainTexts.h"

namespace vellora {
namespace {
constexpr int kHelpTopic = 24;
}

TdlgNewPage::TdlgNewPage(AppState& state, QWidget* parent) : QDialog(parent), state_(state) {
    setObjectName(QStringLiteral("dlgNewPage"));
    setWindowTitle(texts::kNewPageCaption);
    setModal(true);

    lbQuestion = new QLabel(texts::kCreateNewPage, this);
    lbQuestion->setObjectName(QStringLiteral("lbQuestion"));
    QFont big = lbQuestion->font();
    big.setBold(true);
    lbQuestion->setFont(big);
    lbPageType = new QLabel(texts::kReadingPage, this);
    lbPageType->setObjectName(QStringLiteral("lbPageType"));
    lbEncounter = new QLabel(texts::kNotEncountered, this);
    lbEncounter->setObjectName(QStringLiteral("lbEncounter"));

    rgPageType = new QGroupBox(texts::kTypeOfPage, this);
    rgPageType->setObjectName(QStringLiteral("rgPageType"));
    rgPageType->setToolTip(texts::kHintPageType);
    rbReading = new QRadioButton(texts::kReading, rgPageType);
    rbReading->setObjectName(QStringLiteral("rbReading"));
    rbQuestion = new QRadioButton(texts::kQuestion, rgPageType);
    rbQuestion->setObjectName(QStringLiteral("rbQuestion"));
    rbReading->setChecked(true);
    auto* group = new QVBoxLayout(rgPageType);
    group->addWidget(rbReading);
    group->addWidget(rbQuestion);

    YesBtn = new QPushButton(QStringLiteral("&Yes"), this);
    YesBtn->setObjectName(QStringLiteral("YesBtn"));
    YesBtn->setDefault(true);
    NoBtn = new QPushButton(QStringLiteral("&No"), this);
    NoBtn->setObjectName(QStringLiteral("NoBtn"));
    HelpBtn = new QPushButton(QStringLiteral("&Help"), this);
    HelpBtn->setObjectName(QStringLiteral("HelpBtn"));
    connect(YesBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(NoBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(HelpBtn, &QPushButton::clicked, this, [this] { emit helpRequested(kHelpTopic); });

    auto* notice = new QHBoxLayout;
    notice->addWidget(lbPageType);
    notice->addWidget(lbEncounter);
    notice->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(YesBtn);
    buttons->addWidget(NoBtn);
    buttons->addWidget(HelpBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbQuestion);
    layout->addLayout(notice);
    layout->addWidget(rgPageType);
    layout->addLayout(buttons);

    lbPageType->hide();
    lbEncounter->hide();
}

void TdlgNewPage::PrepareNotEncountered(int item) {
    lbPageType->setText(item == 1 ? texts::kQuestionPage : texts::kReadingPage);
    (item == 1 ? rbQuestion : rbReading)->setChecked(true);
    lbPageType->show();
    lbEncounter->show();
}

bool TdlgNewPage::Execute(Dialogs& dialogs) {
    const bool yes = dialogs.exec(this) == QDialog::Accepted;
    FormDeactivate(yes);
    return yes;
}

void TdlgNewPage::FormDeactivate(bool yes) {
    lbPageType->hide();
    lbEncounter->hide();
    if (yes) state_.NewPageKind = rbQuestion->isChecked() ? QStringLiteral("q") : QStringLiteral("r");
}

}  // namespace vellora
