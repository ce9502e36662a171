#pragma once

#include <QObject>

namespace vellora {

class TMainForm;

// Wires the tool buttons and the menu items of the main window to their
// handlers, and holds the small actions that belong to no other area: the
// domain-entering tools, video control and the lesson background panel.
class ShellActions : public QObject {
    Q_OBJECT
public:
    explicit ShellActions(TMainForm& form);

    void btnWalPaperClick();
    void rgBackgroundClick();
    void BrowseClick();
    void btnVidCtlOnClick();
    void btnVidCtlOfClick();
    // The picture and video tools enter their domain of the page's kind first.
    void enterPictureDomain();
    void enterVideoDomain();
    // The choice tools make the current choice one the page has.
    void enterChoiceDomain(int domain);

private:
    void wireTools();
    void wireMenus();
    void showWallpaper(const QString& path);

    TMainForm& form_;
};

}  // namespace vellora
