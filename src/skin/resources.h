// The executable's own PNG resources (type "PNG_FILE"), found by name without
// regard to case.
#pragma once

#include <cstddef>

namespace tickora {

struct ResourceBytes {
    const void* data = nullptr;  // nullptr when there is no such resource
    std::size_t size = 0;
};

ResourceBytes FindPngResource(const char16_t* name);

}  // namespace tickora
