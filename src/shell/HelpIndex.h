#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <vector>

namespace vellora {

// The help topics compiled into the program: which file holds each topic
// number, each topic's title and plain text, its links, and the search over
// all of them. No window needed.
class HelpIndex {
  public:
    // Reads every topic of the table from the resources.
    HelpIndex();

    // Topic numbers, in the order of the contents.
    QList<int> topics() const;
    bool contains(int topic) const;

    // The topic's file name ("tutorial.html"); empty for an unknown topic.
    QString fileName(int topic) const;
    // The topic a file name belongs to (case-insensitive); -1 when none.
    int topicForFile(const QString& fileName) const;
    // Where the topic is loaded from ("qrc:/help/tutorial.html").
    QUrl url(int topic) const;
    // The topic shown at a help address; -1 when it is not a topic.
    int topicForUrl(const QUrl& url) const;

    QString title(int topic) const;
    QString text(int topic) const;  // plain text of the page, title excluded
    QString html(int topic) const;
    QStringList links(int topic) const;    // targets of the topic's links
    QStringList anchors(int topic) const;  // names a link can jump to

    // The topic a link of a topic leads to, or -1 when the file is not a
    // topic or the part after '#' names no anchor of it.
    int resolveLink(const QString& href) const;

    // Topics whose title or text contain every word of the query, ignoring
    // case: those with all words in the title first, then the rest, each in
    // contents order. The contents and search pages are never results.
    QList<int> search(const QString& query) const;
    static QStringList searchWords(const QString& query);

    static QString resourceDir();  // ":/help"

  private:
    struct Entry {
        int topic = 0;
        QString file;
        QString html;
        QString title;
        QString text;
        QStringList links;
        QStringList anchors;
    };
    const Entry* find(int topic) const;
    std::vector<Entry> entries_;
};

}  // namespace vellora
