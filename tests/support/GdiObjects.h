#pragma once
// Counts this process's live GDI objects by probing every handle value, because
// GetGuiResources answers 0 under Wine.

namespace test {

int CountGdiObjects();

}  // namespace test
