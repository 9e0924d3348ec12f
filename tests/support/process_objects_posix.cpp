#include "support/process_objects.h"

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

}  // namespace tickora::testing
