#include "MediaLayer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include "AppState.h"
#include "Dialogs.h"
#include "PageHost.h"
#include "PageRows.h"
#include "PageTexts.h"
#include "StoreError.h"
#include "TFrame.h"
#include "WaveFile.h"
#include "WaveRecorder.h"

namespace vellora {

MediaLayer::MediaLayer(AppState& state, PageHost& host, Dialogs& dialogs, PageRows& rows, TFrame& frame,
                       WaveRecorder& recorder)
    : st_(state), host_(host), dialogs_(dialogs), rows_(rows), frame_(frame), recorder_(recorder) {}

qint64 MediaLayer::ChoiceRecNum(int slot) const {
    if (slot < 1 || slot > 4 || st_.PageRegNum <= 0) return 0;
    return frame_.ChoiceRecNums[size_t(slot)];
}

QString MediaLayer::MediaFileName(int domain, int index) { return host_.MediaFileName(domain, index); }

int MediaLayer::currentIndex(int domain) const {
    if (domain == 12) return frame_.CurrentWurd;
    if (domain == 20 || domain == 21) return currentChoice_ ? currentChoice_() : 1;
    return 0;
}

bool MediaLayer::recording() const { return recorder_.isOpen(); }

QString MediaLayer::choose(LastChoice& last, const QString& caption, const QString& filter) {
    const QString start = last.file.isEmpty() ? last.dir : QDir(last.dir).filePath(last.file);
    const QString file = dialogs_.getOpenFileName(caption, start, filter);
    if (file.isEmpty()) return file;
    return QFileInfo(file).absoluteFilePath();
}

bool MediaLayer::copyInto(const QString& source, const QString& target) {
    QString why;
    if (target.isEmpty()) return false;
    if (saveFileDurably(source, target, &why)) return true;
    dialogs_.error(texts::kMediaNotCopied.arg(QFileInfo(source).fileName(), why));
    return false;
}

void MediaLayer::SelectSound() {
    const QString file = choose(lastSound_, QString(), texts::kSoundFilter);
    if (file.isEmpty()) return;
    // Only a sound the player can play replaces the item's sound.
    QString why;
    const std::optional<WaveSound> sound = readWave(file, &why);
    if (!sound || sound->lengthMs() <= 0) {
        dialogs_.warning(sound ? texts::kSoundEmpty.arg(QFileInfo(file).fileName()) : why);
        return;
    }
    const int domain = st_.CurrentDomain;
    const QString target = MediaFileName(domain, currentIndex(domain));
    // The player may hold the old sound open.
    if (MediaDevice* player = frame_.Player()) player->Close();
    if (!copyInto(file, target) || !QFile::exists(target)) return;
    lastSound_ = {QFileInfo(file).absolutePath(), QFileInfo(file).fileName()};
    MarkSoundPresent(domain);
}

void MediaLayer::SelectVideo() {
    const QString file = choose(lastVideo_, QString(), texts::kMovieFilter);
    if (file.isEmpty()) return;
    const QString target = MediaFileName(10, 0);
    if (target.isEmpty()) return;
    MediaDevice* player = frame_.Player();
    if (player) {
        player->Close();
        // A file that is no video never replaces the page's video.
        player->setDeviceType(DeviceType::Video);
        player->setFileName(file);
        const bool opens = player->Open();
        player->Close();
        if (!opens) {
            dialogs_.warning(texts::kVideoNotOpened);
            return;
        }
    }
    if (!QFile::remove(target) && QFile::exists(target)) {
        dialogs_.error(texts::kCouldNotDelete + target + QLatin1Char('.'));
        return;
    }
    if (!copyInto(file, target)) return;
    lastVideo_ = {QFileInfo(file).absolutePath(), QFileInfo(file).fileName()};
    st_.cbVideo = true;
    try {
        rows_.SetMediaFlag(PageRows::MediaFlag::PageVideo, st_.PageRegNum);
    } catch (const StoreError& e) {
        dialogs_.error(e.message());
    }
}

bool MediaLayer::SelectPicture() {
    const QString file = choose(lastPicture_, QString(), texts::kPictureFilter);
    if (file.isEmpty()) return false;
    QImageReader reader(file);
    reader.setDecideFormatFromContent(true);
    if (reader.read().isNull()) {
        dialogs_.warning(texts::kNotPicture.arg(QFileInfo(file).fileName()));
        return false;
    }
    const bool wallpaper = st_.CurrentDomain == 1;
    const QString target = MediaFileName(wallpaper ? 1 : 9, 0);
    if (!copyInto(file, target)) return false;
    lastPicture_ = {QFileInfo(file).absolutePath(), QFileInfo(file).fileName()};
    if (!wallpaper) {
        st_.cbPicture = true;
        ShowPagePicture();
    }
    return true;
}

void MediaLayer::ShowPagePicture() { frame_.ShowPicture(MediaFileName(9, 0)); }

void MediaLayer::ShowPageVideo() {
    if (!st_.cbVideo) return;
    const QString file = MediaFileName(10, 0);
    if (!file.isEmpty() && QFile::exists(file)) frame_.btnVideoClick(file);
}

void MediaLayer::MarkSoundPresent(int domain) {
    try {
        switch (domain) {
            case 2: st_.cbTitleSound = true; break;
            case 11:
            case 13:
            case 18:
                st_.cbTextSound = true;
                frame_.SetSound(18);
                break;
            case 12: {
                const int n = frame_.CurrentWurd;
                if (n < 1 || n > frame_.WurdCount) break;
                st_.WurdRegNum = frame_.WurdRecNums[size_t(n)];
                rows_.SetMediaFlag(PageRows::MediaFlag::WurdSound, st_.WurdRegNum);
                break;
            }
            case 20:
            case 21:
                rows_.SetMediaFlag(domain == 20 ? PageRows::MediaFlag::ChoiceSound : PageRows::MediaFlag::ResponseSound,
                                   ChoiceRecNum(currentIndex(domain)));
                frame_.SetSound(domain);
                break;
            default: break;
        }
    } catch (const StoreError& e) {
        dialogs_.error(e.message());
    }
}

void MediaLayer::PlayMediaSound(int domain, int index) {
    if (domain == 12 && (index < 1 || index > frame_.WurdCount)) index = frame_.CurrentWurd;
    if ((domain == 20 || domain == 21) && (index < 1 || index > 4)) index = currentIndex(domain);
    const QString file = MediaFileName(domain, index);
    if (!file.isEmpty() && QFile::exists(file)) frame_.Playy(file, DeviceType::WaveAudio, true);
}

void MediaLayer::PlaySound() { PlayMediaSound(st_.CurrentDomain, 0); }

void MediaLayer::RecordSound() {
    uint16_t id = 0;
    const int opened = recorder_.OpenNew(&id);
    if (opened != kRecOk) {
        dialogs_.error(recorder_.errorText(opened));
        return;
    }
    if (recorder_.Record() != kRecOk) {
        dialogs_.error(texts::kCantRecord);
        recorder_.Close();
        return;
    }
    host_.ShowRecording(true);
}

void MediaLayer::StopRecordSound() {
    if (recorder_.StopRecording() != kRecOk) {
        dialogs_.error(texts::kCantStopRecording);
        return;
    }
    const int domain = st_.CurrentDomain;
    const QString target = MediaFileName(domain, currentIndex(domain));
    if (MediaDevice* player = frame_.Player()) player->Close();
    const bool saved = !target.isEmpty() && recorder_.Save(target) == kRecOk;
    if (!saved) dialogs_.error(texts::kCantSaveFile);
    recorder_.Close();
    if (saved) MarkSoundPresent(domain);
    host_.ShowRecording(false);
}

}  // namespace vellora
