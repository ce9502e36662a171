// Reading a page aloud with each word lit in turn, sounding a clicked word,
// and the page window's side of synchronising words with the page sound.
#include <QCoreApplication>
#include <QFile>

#include "AppState.h"
#include "Database.h"
#include "Dialogs.h"
#include "PageRows.h"
#include "StoreError.h"
#include "Synchro.h"
#include "TFrame.h"

namespace vellora {

void TFrame::btnReadTextClick() {
    for (int n = 1; n <= WurdCount; ++n) {
        CurrentWurd = n;
        DrawAWurd(n, WurdColor::White, 0);
    }
    if (!player_) return;
    player_->setDeviceType(DeviceType::WaveAudio);
    // The page sound is the text domain's file; a page without one (or with
    // a sound that cannot be played) is not read.
    synchro_->SyncReady = false;
    synchro_->SetupMediaSynchro(true);
    if (!synchro_->SyncReady) return;
    player_->setTimeFormat(TimeFormat::Milliseconds);
    Timer1->start();
    player_->Play();
    player_->setNotify(true);
    CurrentWurd = 1;
    DrawAWurd(1, WurdColor::Yellow, 2);
}

void TFrame::WurdEnd() {
    if (!player_) {
        Timer1->stop();
        return;
    }
    const qint64 p = player_->position();
    if (state_) state_->MediaPosition = p;
    const int current = std::clamp(CurrentWurd, 1, kMaxWurds + 1);
    if (p >= StopTimes[size_t(current)]) {
        if (CurrentWurd < WurdCount + 1) ++CurrentWurd;
        if (CurrentWurd <= WurdCount) {
            DrawAWurd(CurrentWurd - 1, WurdColor::White, 0);
            DrawAWurd(CurrentWurd, WurdColor::Yellow, 2);
        }
        if (CurrentWurd >= WurdCount + 1) {
            Timer1->stop();
            DrawAWurd(CurrentWurd - 1, WurdColor::White, 0);
            CurrentWurd = 1;
        }
        return;
    }
    // The sound ended (or failed) before the word's stop time: so does the reading.
    if (player_->mode() != MediaMode::Playing) {
        Timer1->stop();
        DrawAWurd(CurrentWurd, WurdColor::White, 0);
        CurrentWurd = 1;
    }
}

void TFrame::WurdClick(int n) {
    if (n < 1 || n > WurdCount) return;
    // A click during reading stops the highlighting and selects the word;
    // the page sound goes on.
    const bool wasReading = Reading();
    Timer1->stop();
    // One word sounds at a time: a click while one sounds is dropped.
    if (sounding_) return;
    if (wasReading) DrawAWurd(CurrentWurd, WurdColor::White, 0);
    CurrentWurd = n;
    emit wurdClicked(n);
    if (LastClickedWurd < 1 || LastClickedWurd > WurdCount) LastClickedWurd = 1;
    DrawAWurd(LastClickedWurd, WurdColor::White, 0);
    LastClickedWurd = CurrentWurd;
    if (!wasReading && WurdRecNums[size_t(n)] != 0 && player_) {
        sounding_ = true;
        DrawAWurd(CurrentWurd, WurdColor::Yellow, 0);
        if (state_ && state_->Playing) player_->Stop();
        const QString own = MediaFileName(12, n);
        player_->setDeviceType(DeviceType::WaveAudio);
        player_->setFileName(own);
        if (!own.isEmpty() && QFile::exists(own) && player_->Open()) {
            player_->setWait(true);
            player_->Play();
            DrawAWurd(CurrentWurd, WurdColor::White, 1);
        } else {
            SayWurd(CurrentWurd);
        }
        sounding_ = false;
    }
    DrawAWurd(CurrentWurd, WurdColor::White, 1);
}

void TFrame::SayWurd(int n) {
    synchro_->SyncReady = false;
    synchro_->SetupMediaSynchro(true);
    if (!synchro_->SyncReady || n < 1 || n > kMaxWurds) return;
    synchro_->SyncWurd = n;
    DrawAWurd(CurrentWurd, WurdColor::Yellow, 0);
    synchro_->Playyy(StopTimes[size_t(std::clamp(CurrentWurd, 1, kMaxWurds)) - 1]);
    DrawAWurd(CurrentWurd, WurdColor::White, 1);
}

void TFrame::Playy(const QString& file, DeviceType type, bool wait) {
    if (!player_) return;
    player_->setDeviceType(type);
    player_->setFileName(file);
    if (!player_->Open()) return;
    player_->setAutoRewind(true);
    QCoreApplication::processEvents();
    player_->setWait(wait);
    player_->Play();
    player_->setNotify(true);
    player_->Close();
}

void TFrame::MediaPlayer1Notify(NotifyValue value) {
    if (value == NotifyValue::Successful) PlayFinished = true;
}

// Synchronisation --------------------------------------------------------------

void TFrame::EstimateSyllables() {
    QStringList texts;
    for (int n = 1; n <= WurdCount; ++n) {
        const TWurd* w = wurd(n);
        // A word without its box counts as one unit.
        texts << (w && w->Tag == n ? w->text() : QString());
    }
    SylCounts = vellora::EstimateSyllables(texts);
}

void TFrame::SetNextWurdLength(int i, int n, qint64 start, qint64 length) {
    if (i < 0 || i > kMaxWurds) return;
    const qint64 previous = i > 0 ? StopTimes[size_t(i) - 1] : 0;
    StopTimes[size_t(i)] = vellora::EstimateStop(SylCounts, i, n, start, length, previous);
    synchro_->ShowStretch(i);
}

bool TFrame::HasWurdRow(int n) const {
    if (n < 1 || n > WurdCount || !rows_) return false;
    const qint64 key = WurdRecNums[size_t(n)];
    return key != 0 && rows_->LoadWurd(key).has_value();
}

void TFrame::FreezeWurd(int n) {
    if (n < 1 || n > WurdCount || !rows_) return;
    try {
        if (!rows_->SetWurdStopTime(WurdRecNums[size_t(n)], StopTimes[size_t(n)])) return;
    } catch (const StoreError& e) {
        SayMediaError(e.message());
        return;
    }
    Frozen[size_t(n)] = true;
    DrawAWurd(n, WurdColor::Aqua, 0);
}

void TFrame::FreezeAll() {
    if (!rows_) return;
    try {
        // One commit for the page, not one per word.
        Database::Transaction tx(rows_->database());
        for (int n = 1; n <= WurdCount; ++n) rows_->SetWurdStopTime(WurdRecNums[size_t(n)], StopTimes[size_t(n)]);
        tx.commit();
    } catch (const StoreError& e) {
        SayMediaError(e.message());
        return;
    }
    for (int n = 1; n <= WurdCount; ++n) {
        Frozen[size_t(n)] = true;
        DrawAWurd(n, WurdColor::Aqua, 0);
    }
}

void TFrame::SayMediaError(const QString& text) {
    if (dialogs_) dialogs_->warning(text);
}

}  // namespace vellora
