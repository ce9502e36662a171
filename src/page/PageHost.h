#pragma once

#include <QString>

namespace vellora {

// What the page layer asks of the main window it lives in: entering a domain,
// the page counter of the indicator box, the lesson record, the new-page
// question and the lesson's media names. The shell implements it.
class PageHost {
public:
    virtual ~PageHost() = default;

    // Enters `domain`: screen, tool strip, menus, hint, focus.
    virtual void Icons(int domain) = 0;
    // CurrentPage and the page number shown.
    virtual void SetCurrentPage(int pageNumber) = 0;
    // PageCount, the number of pages shown, and the lesson record's Pages;
    // false when the lesson record could not be saved.
    virtual bool SetPageCount(int pageCount) = 0;
    // The new-page question; true on Yes, with NewPageKind set.
    virtual bool AskNewPage() = 0;
    // The title page re-spaces its name fields before it shows again.
    virtual void RespaceTitle() = 0;
    // The media file of the open lesson for `domain` and item `index`.
    virtual QString MediaFileName(int domain, int index) = 0;
    // The lesson background: 0 plain, 1 gradient, 2 wallpaper, -1 none.
    virtual int BackgroundIndex() const = 0;
    // The microphone tool gives way to the stop tool while recording.
    virtual void ShowRecording(bool recording) = 0;
    // The indicator box shows the font of the text being typed.
    virtual void ShowTextFont(int domain) = 0;
};

}  // namespace vellora
