#pragma once

#include <QUrl>
#include <QWidget>

#include "HelpIndex.h"
#include "HelpSystem.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QTextBrowser;
class QToolButton;

namespace vellora {

// The help window: the topics in a text browser, with back, forward and
// contents buttons and a search over all topics beside it.
class HelpWindow : public QWidget, public HelpViewer {
    Q_OBJECT
  public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // HelpViewer: open a topic by number (an unknown number shows a page
    // that says so), or the search page with the search box ready.
    void showTopic(int topic) override;
    void showSearch() override;

    // The topic on screen; -1 for the unknown-topic page or nothing yet.
    int currentTopic() const;
    const HelpIndex& index() const { return index_; }

    QTextBrowser* HelpBrowser;
    QLineEdit* HelpSearch;
    QListWidget* HelpResults;
    QLabel* HelpResultsLabel;
    QToolButton* HelpBack;
    QToolButton* HelpForward;
    QToolButton* HelpContents;

    // Where the page for an unknown topic number is shown from.
    static QUrl unknownTopicUrl(int topic);

  private:
    void bringUp();
    void updateResults();
    void openResult(QListWidgetItem* item);
    void openFirstResult();
    void sourceShown(const QUrl& url);
    void markInResults(int topic);

    HelpIndex index_;
};

// Makes the program's help window. With an owner the window is deleted with
// it (it stays a window of its own); without, the caller deletes it.
HelpWindow* createHelpWindow(QWidget* owner = nullptr);

}  // namespace vellora
