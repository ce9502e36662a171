#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>

#include <atomic>

#include "SyncLogic.h"

namespace vellora {

class TFrame;

// The synchronisation window: the author hears one stretch of the page sound
// at a time (the leader, then each word), makes its end earlier or later
// until the word heard is the word shown in the caption, and freezes it,
// which stores the word's stop time and moves on to the next word. It plays
// on the page window's player and writes the page window's stop times.
class TSynchro : public QDialog {
    Q_OBJECT
public:
    explicit TSynchro(TFrame& frame, QWidget* parent = nullptr);

    // The stretch being tuned: 0 the leader, n word n.
    int SyncWurd = 0;
    int SyncWurdCount = 0;
    qint64 SoundLength = 0;
    // The page sound is open on the player and the state above is valid.
    bool SyncReady = false;

    // Opens the page sound and (unless `prepareOnly`) estimates every word's
    // end and plays the leader. Not ready when the page has no word rows or
    // no page sound.
    void SetupMediaSynchro(bool prepareOnly);
    // Plays from `from` to the end of the stretch being tuned, waiting.
    void Playyy(qint64 from);
    void btnLongerClick(StepSize size);
    void btnShorterClick(StepSize size);
    void btnFreezeClick();
    // Shows stretch i's start and end.
    void ShowStretch(int i);
    // Makes the page sound from the page's words with the synthesiser and
    // takes every word's stop time from it, frozen at once.
    void btnSpeakClick();
    // Finds every word in the page sound (frozen words stay), off the
    // user-interface thread; a second press cancels, leaving all as it was.
    void btnAlignClick();
    // The window as Words > Align opens it: ready without the estimate or
    // the leader, then Align.
    void AlignPage();
    // Walks the words Align was unsure of through Shorter/Longer/Freeze.
    void btnReviewClick();
    // The words with their times and confidences after Align.
    void showWords();

    QPushButton* btnShorter;
    QPushButton* btnLonger;
    QPushButton* btnShorter1;
    QPushButton* btnLonger1;
    QPushButton* btnShorter2;
    QPushButton* btnLonger2;
    QPushButton* btnFreeze;
    QLineEdit* eStart;
    QLineEdit* eEnd;
    QSpinBox* SpinIncrement;
    // Speaking the page: the voice, its rate in words a minute, and the button.
    QComboBox* cbVoice;
    QSpinBox* seRate;
    QPushButton* btnSpeak;
    QPushButton* btnAlign;
    QPushButton* btnReview;
    QProgressBar* pbAlign;
    // Each word, its stop time and how sure Align was; a click sounds it.
    QListWidget* lstWords;
    // Confidence of each word from the last Align (index n for word n).
    std::vector<double> Confidence;
    bool Reviewing = false;

signals:
    // The page sound was made here (its flag is the page's to set).
    void pageSoundMade();
    // The last word was frozen: the page is synchronised.
    void synchronised();

private:
    // The voices, and the voice and rate chosen last (Vellora.ini).
    void loadVoices();
    qint64 previousStop() const;
    void change(qint64 end);
    void setBusy(bool busy);

    TFrame& frame_;
    // A button press plays its stretch and waits; presses meanwhile are dropped.
    bool busy_ = false;
    bool aligning_ = false;
    std::atomic<bool> cancelAlign_{false};
    // The next word after `n` worth a review (unsure and not frozen); 0 when none.
    int nextToReview(int n) const;
};

}  // namespace vellora
