#include "ToolStrip.h"

#include <initializer_list>

namespace vellora {
namespace {

bool in(int domain, std::initializer_list<int> domains) {
    for (int d : domains)
        if (d == domain) return true;
    return false;
}

class Placer {
public:
    explicit Placer(ToolPlacement& p) : p_(p) {
        p_.place.fill(-1);
        p_.shown.fill(false);
        p_.enabled.fill(false);
    }
    void put(Tool t) { share({t}, t); }
    // Buttons that share one place; `visible` is the one that shows.
    void share(std::initializer_list<Tool> tools, Tool visible) {
        for (Tool t : tools) {
            p_.place[kToolIndex(t)] = p_.IconCount;
            p_.shown[kToolIndex(t)] = t == visible;
            p_.enabled[kToolIndex(t)] = t == visible;
        }
        ++p_.IconCount;
    }

private:
    ToolPlacement& p_;
};

}  // namespace

bool HasFontAttributes(int domain) { return in(domain, {1, 2, 3, 4, 5, 11, 12, 18, 19}); }

ToolPlacement PlaceTools(int d, bool videoControlOn) {
    ToolPlacement result;
    Placer p(result);

    // NavIcons
    p.put(d >= 2 ? Tool::btnReturn : Tool::btnExit);
    p.put(Tool::btnContinue);
    // MiscIcons
    if (in(d, {0, 1, 12, 15})) p.put(Tool::btnNew);
    if (in(d, {1, 2, 15})) p.put(Tool::btnPrint);
    if (in(d, {12, 15})) p.put(Tool::btnText1);
    if (d == 1) p.put(Tool::btnWalPaper);
    // FontIcons
    if (HasFontAttributes(d)) {
        for (Tool t : {Tool::btnFont1, Tool::btnSize1, Tool::btnColor1, Tool::btnStyle}) p.put(t);
        if (d == 12) p.put(Tool::btnAlign);
    }
    // QuestionIcons
    if (d >= 16 && d <= 22)
        for (Tool t : {Tool::btnQuestion, Tool::btnChoices1, Tool::btnChoice1, Tool::btnRespond1, Tool::btnQPage})
            p.put(t);
    // PictIcons
    if (in(d, {9, 15, 16})) {
        p.put(Tool::btnPictSel);
        p.put(Tool::btnPictViw);
    }
    // SndIcons
    if (in(d, {2, 11, 12, 13, 15, 18, 20, 21})) {
        p.share({Tool::btnMic2, Tool::btnStop}, Tool::btnMic2);
        p.put(Tool::btnSoundSel);
        p.put(Tool::btnSoundView);
    }
    // VidIcons
    if (in(d, {10, 15, 17})) {
        p.put(Tool::btnVideoSel);
        p.put(Tool::btnVideoViw);
        p.share({Tool::btnVidCtlOf, Tool::btnVidCtlOn}, videoControlOn ? Tool::btnVidCtlOf : Tool::btnVidCtlOn);
    }
    // ReadIcons
    if (in(d, {12, 15})) p.put(Tool::btnRead3);
    return result;
}

bool ToolStripScroll::scrollLeft() {
    if (IconScroll >= IconCount - kStripPlaces) return false;
    ++IconScroll;
    return true;
}

bool ToolStripScroll::scrollRight() {
    if (IconScroll <= 0) return false;
    --IconScroll;
    return true;
}

}  // namespace vellora
