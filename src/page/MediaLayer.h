#pragma once

#include <QString>

#include <functional>

#include "PageOperations.h"

namespace vellora {

struct AppState;
class Dialogs;
class PageHost;
class PageRows;
class TFrame;
class WaveRecorder;

// The lesson's media as the author makes them: choosing a picture, sound or
// video copies it under the media file name of the current domain's item,
// recording saves straight under that name, and either way the flag saying
// the file exists is set. The current item is the current word in the Words
// domain and the current choice in the Choice and Response domains.
class MediaLayer : public MediaOperations {
public:
    MediaLayer(AppState& state, PageHost& host, Dialogs& dialogs, PageRows& rows, TFrame& frame,
               WaveRecorder& recorder);

    // The current choice slot (1..4) of the question page.
    void setCurrentChoiceSource(std::function<int()> source) { currentChoice_ = std::move(source); }
    // The choice row shown in slot 1..4 of the question page; 0 when none.
    qint64 ChoiceRecNum(int slot) const;

    // MediaOperations
    QString MediaFileName(int domain, int index) override;
    bool SelectPicture() override;
    void ShowPagePicture() override;
    void SelectVideo() override;
    void ShowPageVideo() override;
    void SelectSound() override;
    void PlaySound() override;
    void RecordSound() override;
    void StopRecordSound() override;

    // Sounds a domain's media file to its end (an index out of range means
    // the current word or choice).
    void PlayMediaSound(int domain, int index);
    // Sets the flag saying the current item of `domain` has its sound.
    void MarkSoundPresent(int domain);
    bool recording() const;

private:
    // The index MediaFileName takes for the current item of `domain`.
    int currentIndex(int domain) const;
    // Puts a copy of `source` at `target` (whole or not at all); false, after
    // saying why, when it could not.
    bool copyInto(const QString& source, const QString& target);

    struct LastChoice {
        QString dir;
        QString file;
    };
    QString choose(LastChoice& last, const QString& caption, const QString& filter);

    AppState& st_;
    PageHost& host_;
    Dialogs& dialogs_;
    PageRows& rows_;
    TFrame& frame_;
    WaveRecorder& recorder_;
    std::function<int()> currentChoice_;
    LastChoice lastSound_, lastVideo_, lastPicture_;
};

}  // namespace vellora
