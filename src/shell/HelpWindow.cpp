#include "HelpWindow.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSplitter>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrlQuery>
#include <QVBoxLayout>

#include "HelpTexts.h"
#include "HelpTopics.h"

namespace vellora {
namespace {

const QString kUnknownPath = QStringLiteral("/help/unknown-topic");

// A browser that can also show the page for a topic number that does not
// exist, so that it takes its place in the back/forward history like any topic.
class TopicBrowser : public QTextBrowser {
  public:
    using QTextBrowser::QTextBrowser;

    QVariant loadResource(int type, const QUrl& name) override {
        if (type == QTextDocument::HtmlResource && name.scheme() == QLatin1String("qrc") &&
            name.path() == kUnknownPath) {
            const QString number = QUrlQuery(name).queryItemValue(QStringLiteral("topic"));
            return QStringLiteral(
                       "<html><head><title>%1</title></head><body>"
                       "<p class=\"crumb\">Vellora Help</p><h1>%1</h1>"
                       "<table class=\"hint\" width=\"100%\" cellspacing=\"0\" cellpadding=\"7\">"
                       "<tr><td>%2</td></tr></table><p>%3</p></body></html>")
                .arg(texts::kHelpUnknownTitle, texts::kHelpUnknownText.arg(number.toHtmlEscaped()),
                     texts::kHelpUnknownAdvice);
        }
        return QTextBrowser::loadResource(type, name);
    }
};

QString readStyleSheet() {
    QFile file(HelpIndex::resourceDir() + QStringLiteral("/help.css"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

}  // namespace

QUrl HelpWindow::unknownTopicUrl(int topic) {
    QUrl url(QStringLiteral("qrc:") + kUnknownPath);
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("topic"), QString::number(topic));
    url.setQuery(query);
    return url;
}

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowFlag(Qt::Window);
    setWindowTitle(texts::kHelpWindowTitle);
    resize(900, 640);

    auto makeButton = [this](const QString& name, const QString& text) {
        auto* b = new QToolButton(this);
        b->setObjectName(name);
        b->setText(text);
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        return b;
    };
    HelpBack = makeButton(QStringLiteral("HelpBack"), texts::kHelpBack);
    HelpForward = makeButton(QStringLiteral("HelpForward"), texts::kHelpForward);
    HelpContents = makeButton(QStringLiteral("HelpContents"), texts::kHelpContentsButton);
    HelpBack->setEnabled(false);
    HelpForward->setEnabled(false);

    HelpSearch = new QLineEdit(this);
    HelpSearch->setObjectName(QStringLiteral("HelpSearch"));
    HelpSearch->setPlaceholderText(texts::kHelpSearchPlaceholder);
    HelpSearch->setClearButtonEnabled(true);

    HelpResultsLabel = new QLabel(this);
    HelpResultsLabel->setObjectName(QStringLiteral("HelpResultsLabel"));
    HelpResultsLabel->setWordWrap(true);
    HelpResults = new QListWidget(this);
    HelpResults->setObjectName(QStringLiteral("HelpResults"));

    HelpBrowser = new TopicBrowser(this);
    HelpBrowser->setObjectName(QStringLiteral("HelpBrowser"));
    HelpBrowser->setOpenExternalLinks(false);
    HelpBrowser->document()->setDefaultStyleSheet(readStyleSheet());
    HelpBrowser->document()->setDocumentMargin(14);

    auto* bar = new QHBoxLayout;
    bar->addWidget(HelpBack);
    bar->addWidget(HelpForward);
    bar->addWidget(HelpContents);
    bar->addSpacing(12);
    bar->addWidget(HelpSearch, 1);

    auto* side = new QWidget(this);
    auto* sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    sideLayout->addWidget(HelpResultsLabel);
    sideLayout->addWidget(HelpResults, 1);

    auto* split = new QSplitter(Qt::Horizontal, this);
    split->addWidget(side);
    split->addWidget(HelpBrowser);
    split->setStretchFactor(0, 0);
    split->setStretchFactor(1, 1);
    split->setSizes({230, 670});

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(split, 1);

    connect(HelpBack, &QToolButton::clicked, HelpBrowser, &QTextBrowser::backward);
    connect(HelpForward, &QToolButton::clicked, HelpBrowser, &QTextBrowser::forward);
    connect(HelpBrowser, &QTextBrowser::backwardAvailable, HelpBack, &QToolButton::setEnabled);
    connect(HelpBrowser, &QTextBrowser::forwardAvailable, HelpForward, &QToolButton::setEnabled);
    connect(HelpBrowser, &QTextBrowser::sourceChanged, this, &HelpWindow::sourceShown);
    connect(HelpContents, &QToolButton::clicked, this, [this] { showTopic(kHelpContents); });
    connect(HelpSearch, &QLineEdit::textChanged, this, &HelpWindow::updateResults);
    connect(HelpSearch, &QLineEdit::returnPressed, this, &HelpWindow::openFirstResult);
    connect(HelpResults, &QListWidget::itemActivated, this, &HelpWindow::openResult);
    connect(HelpResults, &QListWidget::itemClicked, this, &HelpWindow::openResult);

    updateResults();
}

void HelpWindow::showTopic(int topic) {
    const QUrl url = index_.contains(topic) ? index_.url(topic) : unknownTopicUrl(topic);
    if (HelpBrowser->source() != url) HelpBrowser->setSource(url);
    bringUp();
}

void HelpWindow::showSearch() {
    showTopic(kHelpSearch);
    HelpSearch->setFocus();
    HelpSearch->selectAll();
}

int HelpWindow::currentTopic() const {
    return index_.topicForUrl(HelpBrowser->source());
}

void HelpWindow::bringUp() {
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
}

void HelpWindow::sourceShown(const QUrl& url) {
    const QString title = HelpBrowser->documentTitle();
    setWindowTitle(title.isEmpty() ? texts::kHelpWindowTitle
                                   : texts::kHelpWindowTitle + QStringLiteral(" - ") + title);
    // The browser reports the new address before source() answers it.
    markInResults(index_.topicForUrl(url));
}

void HelpWindow::updateResults() {
    const bool listAll = HelpIndex::searchWords(HelpSearch->text()).isEmpty();
    const QList<int> found = listAll ? index_.topics() : index_.search(HelpSearch->text());
    HelpResults->clear();
    for (int topic : found) {
        auto* item = new QListWidgetItem(index_.title(topic), HelpResults);
        item->setData(Qt::UserRole, topic);
    }
    if (listAll)
        HelpResultsLabel->setText(texts::kHelpAllTopics);
    else if (found.isEmpty())
        HelpResultsLabel->setText(texts::kHelpNothingFound);
    else if (found.size() == 1)
        HelpResultsLabel->setText(texts::kHelpOneFound);
    else
        HelpResultsLabel->setText(texts::kHelpManyFound.arg(found.size()));
    markInResults(currentTopic());
}

void HelpWindow::markInResults(int current) {
    const QSignalBlocker block(HelpResults);
    HelpResults->clearSelection();
    for (int i = 0; i < HelpResults->count(); ++i) {
        QListWidgetItem* item = HelpResults->item(i);
        if (item->data(Qt::UserRole).toInt() == current) {
            HelpResults->setCurrentItem(item);
            HelpResults->scrollToItem(item);
            return;
        }
    }
}

void HelpWindow::openResult(QListWidgetItem* item) {
    if (item) showTopic(item->data(Qt::UserRole).toInt());
}

void HelpWindow::openFirstResult() {
    if (!HelpIndex::searchWords(HelpSearch->text()).isEmpty() && HelpResults->count() > 0)
        openResult(HelpResults->item(0));
}

HelpWindow* createHelpWindow(QWidget* owner) {
    return new HelpWindow(owner);
}

}  // namespace vellora
