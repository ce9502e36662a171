#include "ShellResources.h"

#include <QtGlobal>

static void registerIcons() { Q_INIT_RESOURCE(icons); }

namespace vellora {

void initShellResources() {
    static const bool done = (registerIcons(), true);
    (void)done;
}

}  // namespace vellora
