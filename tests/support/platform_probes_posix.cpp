#include "support/platform_probes.h"

namespace tickora::testing {

long GdiObjectCount() {
    return 0;
}
std::vector<void*> FrameGdiHandles() {
    return {};
}
bool GdiHandleAlive(void*) {
    return false;
}

void MakeHidden(const std::filesystem::path&) {}

}  // namespace tickora::testing
