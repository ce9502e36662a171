#pragma once

#include <array>

namespace vellora {

// The 28 tool buttons, in the order of their table.
enum class Tool {
    btnExit, btnReturn, btnContinue, btnNew, btnPrint, btnText1, btnWalPaper,
    btnFont1, btnSize1, btnColor1, btnStyle, btnAlign,
    btnQuestion, btnChoices1, btnChoice1, btnRespond1, btnQPage,
    btnPictSel, btnPictViw, btnMic2, btnStop, btnSoundSel, btnSoundView,
    btnVideoSel, btnVideoViw, btnVidCtlOn, btnVidCtlOf, btnRead3,
};
inline constexpr int kToolCount = 28;
inline constexpr int kToolIndex(Tool t) { return static_cast<int>(t); }

// Places on view at once; a fourteenth place needs the scroll buttons.
inline constexpr int kStripPlaces = 13;

// True for the domains whose text has font attributes to set.
bool HasFontAttributes(int domain);

// Where each button goes in a domain: its place on the strip (-1: off the
// strip), whether it shows there (buttons sharing a place show one at a
// time) and whether it is enabled.
struct ToolPlacement {
    std::array<int, kToolCount> place{};
    std::array<bool, kToolCount> shown{};
    std::array<bool, kToolCount> enabled{};
    int IconCount = 0;

    int placeOf(Tool t) const { return place[kToolIndex(t)]; }
    bool isShown(Tool t) const { return shown[kToolIndex(t)]; }
};

// Places the groups in their order for `domain`; `videoControlOn` decides
// which of the two video-control buttons shows in their shared place.
ToolPlacement PlaceTools(int domain, bool videoControlOn);

// Scrolling of the strip: IconScroll places have moved out on the left.
struct ToolStripScroll {
    int IconCount = 0;
    int IconScroll = 0;

    // DimArrows: which scroll buttons are enabled.
    bool leftEnabled() const { return IconCount - IconScroll >= kStripPlaces + 1; }
    bool rightEnabled() const { return IconScroll >= 1; }
    // IconsLeftClick / IconsRightClick; false when the strip cannot move.
    bool scrollLeft();
    bool scrollRight();
    // The strip's left edge and width, from the left edge of its home place.
    int stripLeft(int home, int iconWidth) const { return home - IconScroll * iconWidth; }
    int stripWidth(int iconWidth) const { return (kStripPlaces + IconScroll) * iconWidth; }
};

}  // namespace vellora
