#include "SampleLesson.h"

#include <QFile>
#include <QTextStream>

#include "AppState.h"
#include "Dialogs.h"
#include "LessonLifecycle.h"
#include "MediaLayer.h"
#include "PageLayer.h"
#include "PageRows.h"
#include "ShellTexts.h"
#include "StoreError.h"
#include "TFrame.h"
#include "TMainForm.h"
#include "TTitleScreen.h"
#include "Table.h"
#include "WaveFile.h"

namespace vellora {

std::optional<SampleText> ReadSampleText(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return std::nullopt;
    SampleText s;
    QTextStream in(&f);
    while (!in.atEnd()) {
        const QString line = in.readLine();
        const QString key = line.section(QLatin1Char(':'), 0, 0).trimmed();
        const QString value = line.section(QLatin1Char(':'), 1).trimmed();
        if (key == QLatin1String("title")) {
            s.title = value;
        } else if (key == QLatin1String("objective")) {
            s.objective = value;
        } else if (key == QLatin1String("field")) {
            s.fields.emplace_back(value.section(QLatin1Char('|'), 0, 0), value.section(QLatin1Char('|'), 1));
        } else if (key == QLatin1String("page")) {
            const int n = int(s.pages.size()) + 1;
            s.pages.push_back({value, {}, QStringLiteral(":/sample/page%1.wav").arg(n),
                               QStringLiteral(":/sample/page%1.bmp").arg(n)});
        } else if (key == QLatin1String("times") && !s.pages.empty()) {
            for (const QString& t : value.split(QLatin1Char(' '), Qt::SkipEmptyParts))
                s.pages.back().times.push_back(t.toLongLong());
        } else if (key == QLatin1String("question")) {
            s.question = value;
        } else if (key == QLatin1String("choice")) {
            s.choices.push_back({value.section(QLatin1Char('|'), 0, 0), value.section(QLatin1Char('|'), 1).toInt()});
        }
    }
    if (s.title.isEmpty() || s.pages.empty()) return std::nullopt;
    for (const SampleText::Page& p : s.pages)
        if (!QFile::exists(p.sound) || !QFile::exists(p.picture)) return std::nullopt;
    return s;
}

SampleLesson::SampleLesson(AppState& state, TMainForm& form, LessonLifecycle& lifecycle, TTitleScreen& title,
                           PageLayer& pages, PageRows& rows, MediaLayer& media, TFrame& frame, Dialogs& dialogs)
    : st_(state), form_(form), lifecycle_(lifecycle), title_(title), pages_(pages), rows_(rows), media_(media),
      frame_(frame), dialogs_(dialogs) {}

bool SampleLesson::copy(const QString& resource, const QString& target) {
    QString why;
    if (!target.isEmpty() && saveFileDurably(resource, target, &why)) return true;
    dialogs_.error(texts::kSampleNotMade.arg(why));
    return false;
}

bool SampleLesson::makePage(int number, const SampleText::Page& page) {
    st_.NewPageKind = QStringLiteral("r");
    pages_.MakeNewPage(number);
    if (st_.CurrentPage != number) return false;
    frame_.TextBox->setPlainText(page.text);
    frame_.TextBox->document()->setModified(true);
    if (!pages_.ParseTextIntoWurds(12)) return false;
    // The files first, then the rows that say they are there.
    if (!copy(page.sound, media_.MediaFileName(11, 0)) || !copy(page.picture, media_.MediaFileName(9, 0)))
        return false;
    st_.cbTextSound = true;
    st_.cbPicture = true;
    // The synthesiser's times fit the words when both split the text alike.
    if (int(page.times.size()) == frame_.WurdCount + 1)
        for (int n = 0; n <= frame_.WurdCount; ++n) frame_.StopTimes[size_t(n)] = page.times[size_t(n)];
    pages_.ShowPagePicture();
    return form_.SaveAll();
}

// The copy installed earlier, as long as the author has kept its title and
// name: the lowest-numbered lesson with the sample's title and author.
std::optional<qint64> SampleLesson::installedCopy(const SampleText& sample) const {
    Table lessons(form_.LesnTable->database(), TableId::Lesn, true);
    for (bool row = lessons.first(); row; row = lessons.next()) {
        bool same = lessons.asString(QStringLiteral("Title")).trimmed() == sample.title;
        for (const auto& [field, text] : sample.fields)
            if (field.startsWith(QLatin1String("Author"))) same = same && lessons.asString(field) == text;
        if (same) return lessons.key();
    }
    return std::nullopt;
}

bool SampleLesson::Open() {
    const std::optional<SampleText> sample = ReadSampleText(QStringLiteral(":/sample/sample.txt"));
    const std::optional<qint64> copy = sample ? installedCopy(*sample) : std::nullopt;
    if (!copy) return Install(sample);
    lifecycle_.OpenLesson(*copy);
    return st_.LessonOpen;
}

bool SampleLesson::Install() { return Install(ReadSampleText(QStringLiteral(":/sample/sample.txt"))); }

bool SampleLesson::Install(const std::optional<SampleText>& sample) {
    if (!sample) {
        dialogs_.error(texts::kSampleNotMade.arg(texts::kSampleMissing));
        return false;
    }
    lifecycle_.FileNewClick();
    if (!st_.LessonOpen) return false;
    title_.memTitle->setPlainText(sample->title);
    title_.Objective->setPlainText(sample->objective);
    for (const auto& [field, text] : sample->fields) title_.setFieldText(field, text);
    if (!form_.SaveAll()) return false;
    int number = 0;
    for (const SampleText::Page& page : sample->pages)
        if (!makePage(++number, page)) return false;
    if (!sample->question.isEmpty()) {
        st_.NewPageKind = QStringLiteral("q");
        pages_.MakeNewPage(++number);
        if (st_.CurrentPage != number) return false;
    }
    const qint64 questionPage = st_.PageRegNum;
    // Back to the title page; the question's text goes into its rows once the
    // page is left, so that the empty screen does not write over it.
    pages_.ChangePage(0, 1);
    if (!sample->question.isEmpty()) {
        try {
            if (std::optional<PageData> data = rows_.LoadPage(questionPage)) {
                data->StimulusText = sample->question;
                data->Choices = int(sample->choices.size());
                rows_.SavePage(questionPage, *data, true);
            }
            Table& choices = *form_.ChoiceTable;
            const std::vector<qint64> keys = rows_.ChoiceKeysOfPage(questionPage);
            for (size_t k = 0; k < keys.size() && k < sample->choices.size(); ++k) {
                if (!choices.findKey(keys[k])) continue;
                choices.edit();
                choices.setString(QStringLiteral("ChoiceText"), sample->choices[k].text);
                choices.setInteger(QStringLiteral("Correctness"), sample->choices[k].value);
                choices.post();
            }
        } catch (const StoreError& e) {
            dialogs_.error(texts::kSampleNotMade.arg(e.message()));
            return false;
        }
    }
    return form_.SaveAll();
}

}  // namespace vellora
