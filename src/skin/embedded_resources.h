// Generated at build time from res/*.png (see cmake/embed_resources.cmake).
#pragma once

#include <cstddef>

namespace tickora {

struct EmbeddedResource {
    const char16_t* name;
    const unsigned char* data;
    std::size_t size;
};

extern const EmbeddedResource kEmbeddedResources[];
extern const std::size_t kEmbeddedResourceCount;

}  // namespace tickora
