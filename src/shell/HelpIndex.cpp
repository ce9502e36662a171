#include "HelpIndex.h"

#include <QFile>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextDocument>

#include "HelpTopics.h"

// The help resources live in this static library; a reference to their
// initialiser keeps the linker from dropping them.
static void initHelpResources() {
    Q_INIT_RESOURCE(help);
}

namespace vellora {
namespace {

struct TopicFile {
    int topic;
    const char* file;
};

// The one table from topic number to file, in the order of the contents.
constexpr TopicFile kTopicFiles[] = {
    {kHelpContents, "contents.html"},
    {kHelpTutorial, "tutorial.html"},
    {601, "main-window.html"},
    {606, "menus.html"},
    {604, "keys-and-mouse.html"},
    {kHelpDomainBase + 0, "domain-00-start.html"},
    {kHelpDomainBase + 1, "domain-01-lesn.html"},
    {kHelpDomainBase + 2, "domain-02-title.html"},
    {kHelpDomainBase + 3, "domain-03-author-first-name.html"},
    {kHelpDomainBase + 4, "domain-04-author-middle-name.html"},
    {kHelpDomainBase + 5, "domain-05-author-last-name.html"},
    {kHelpDomainBase + 6, "domain-06-copyright-holder.html"},
    {kHelpDomainBase + 7, "domain-07-copyright-location.html"},
    {kHelpDomainBase + 8, "domain-08-objective.html"},
    {kHelpDomainBase + 9, "domain-09-picture.html"},
    {kHelpDomainBase + 10, "domain-10-video.html"},
    {kHelpDomainBase + 11, "domain-11-text.html"},
    {kHelpDomainBase + 12, "domain-12-words.html"},
    {kHelpDomainBase + 13, "domain-13-text-sound.html"},
    {kHelpDomainBase + 14, "domain-14-synchro.html"},
    {kHelpDomainBase + 15, "domain-15-page.html"},
    {kHelpDomainBase + 16, "domain-16-qpicture.html"},
    {kHelpDomainBase + 17, "domain-17-qvideo.html"},
    {kHelpDomainBase + 18, "domain-18-question.html"},
    {kHelpDomainBase + 19, "domain-19-choices.html"},
    {kHelpDomainBase + 20, "domain-20-choice.html"},
    {kHelpDomainBase + 21, "domain-21-response.html"},
    {kHelpDomainBase + 22, "domain-22-question-page.html"},
    {607, "answers.html"},
    {603, "fonts.html"},
    {602, "playing.html"},
    {kHelpOpenLesson, "open-lesson.html"},
    {kHelpNewPage, "new-page.html"},
    {kHelpDeleteLesson, "delete-lesson.html"},
    {kHelpLessonNotFound, "lesson-not-found.html"},
    {kHelpDiagram, "domain-diagram.html"},
    {kHelpExportToDisk, "export-to-disk.html"},
    {kHelpExportDestination, "export-destination.html"},
    {kHelpImportFromDisk, "import-from-disk.html"},
    {605, "files-and-folders.html"},
    {kHelpSearch, "search.html"},
};

QString readResource(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QString();
    return QString::fromUtf8(file.readAll());
}

}  // namespace

HelpIndex::HelpIndex() {
    initHelpResources();
    entries_.reserve(std::size(kTopicFiles));
    for (const TopicFile& row : kTopicFiles) {
        Entry e;
        e.topic = row.topic;
        e.file = QString::fromLatin1(row.file);
        e.html = readResource(resourceDir() + QLatin1Char('/') + e.file);
        if (!e.html.isEmpty()) {
            // The rich-text parser decodes entities and finds the links the
            // same way the help window's browser will.
            QTextDocument doc;
            doc.setHtml(e.html);
            e.title = doc.metaInformation(QTextDocument::DocumentTitle).trimmed();
            e.text = doc.toPlainText();
            for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
                for (auto it = b.begin(); !it.atEnd(); ++it) {
                    const QTextCharFormat f = it.fragment().charFormat();
                    if (!f.isAnchor()) continue;
                    const QString href = f.anchorHref();
                    if (!href.isEmpty() && (e.links.isEmpty() || e.links.last() != href))
                        e.links << href;
                    e.anchors << f.anchorNames();
                }
            }
            e.anchors.removeDuplicates();
        }
        entries_.push_back(std::move(e));
    }
}

QString HelpIndex::resourceDir() {
    return QStringLiteral(":/help");
}

const HelpIndex::Entry* HelpIndex::find(int topic) const {
    for (const Entry& e : entries_)
        if (e.topic == topic) return &e;
    return nullptr;
}

QList<int> HelpIndex::topics() const {
    QList<int> list;
    for (const Entry& e : entries_) list << e.topic;
    return list;
}

bool HelpIndex::contains(int topic) const {
    return find(topic) != nullptr;
}

QString HelpIndex::fileName(int topic) const {
    const Entry* e = find(topic);
    return e ? e->file : QString();
}

int HelpIndex::topicForFile(const QString& fileName) const {
    for (const Entry& e : entries_)
        if (e.file.compare(fileName, Qt::CaseInsensitive) == 0) return e.topic;
    return -1;
}

QUrl HelpIndex::url(int topic) const {
    const Entry* e = find(topic);
    if (!e) return QUrl();
    return QUrl(QStringLiteral("qrc:/help/") + e->file);
}

int HelpIndex::topicForUrl(const QUrl& url) const {
    if (url.scheme() != QLatin1String("qrc") || url.hasQuery()) return -1;
    const QString path = url.path();
    const QString dir = QStringLiteral("/help/");
    if (!path.startsWith(dir)) return -1;
    return topicForFile(path.mid(dir.size()));
}

QString HelpIndex::title(int topic) const {
    const Entry* e = find(topic);
    return e ? e->title : QString();
}

QString HelpIndex::text(int topic) const {
    const Entry* e = find(topic);
    return e ? e->text : QString();
}

QString HelpIndex::html(int topic) const {
    const Entry* e = find(topic);
    return e ? e->html : QString();
}

QStringList HelpIndex::links(int topic) const {
    const Entry* e = find(topic);
    return e ? e->links : QStringList();
}

QStringList HelpIndex::anchors(int topic) const {
    const Entry* e = find(topic);
    return e ? e->anchors : QStringList();
}

int HelpIndex::resolveLink(const QString& href) const {
    // Topics link to each other by bare file name, all in one folder.
    const QUrl url(href);
    if (!url.isRelative() || url.hasQuery() || url.path().contains(QLatin1Char('/'))) return -1;
    const int topic = topicForFile(url.path());
    if (topic < 0) return -1;
    if (url.hasFragment() && !anchors(topic).contains(url.fragment())) return -1;
    return topic;
}

QStringList HelpIndex::searchWords(const QString& query) {
    static const QRegularExpression kSeparators(QStringLiteral("[\\s,;]+"));
    return query.split(kSeparators, Qt::SkipEmptyParts);
}

QList<int> HelpIndex::search(const QString& query) const {
    const QStringList words = searchWords(query);
    QList<int> inTitle;
    QList<int> inText;
    if (words.isEmpty()) return inTitle;
    auto hasAll = [&words](const QString& s) {
        for (const QString& w : words)
            if (!s.contains(w, Qt::CaseInsensitive)) return false;
        return true;
    };
    for (const Entry& e : entries_) {
        if (e.topic == kHelpContents || e.topic == kHelpSearch || e.html.isEmpty()) continue;
        if (hasAll(e.title))
            inTitle << e.topic;
        else if (hasAll(e.title + QLatin1Char('\n') + e.text))
            inText << e.topic;
    }
    return inTitle + inText;
}

}  // namespace vellora
