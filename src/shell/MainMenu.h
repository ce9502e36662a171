#pragma once

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QObject>
#include <array>

#include "Menus.h"

namespace vellora {

// The menu bar `MainMenu1`: its menus and items with their captions,
// shortcuts and names, and the visibility rules applied to them.
class TMainMenu : public QObject {
    Q_OBJECT
public:
    explicit TMainMenu(QMenuBar* bar);

    QAction* action(MenuItem item) const { return actions_[static_cast<int>(item)]; }
    QMenu* menu(MenuItem item) const;
    const MenuVisibility& visibility() const { return visibility_; }

    // Menu(D) and MenuHide(Show), applied to the bar.
    void Menu(int domain, bool lessonOpen, int currentPage, bool playing);
    void MenuHide(bool show);

private:
    void apply();

    std::array<QAction*, kMenuItemCount> actions_{};
    MenuVisibility visibility_;
};

}  // namespace vellora
