#pragma once

namespace vellora {
// Registers the shell's compiled-in pictures (tool icons, the program logo);
// the library is static, so its resources are registered at first use.
void initShellResources();
}  // namespace vellora
