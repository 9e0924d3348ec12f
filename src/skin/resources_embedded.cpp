// The internal skin's PNGs, compiled into the program at build time.
#include "skin/resources.h"
#include "skin/embedded_resources.h"

namespace tickora {
namespace {

char16_t Upper(char16_t c) {
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
}

bool SameName(const char16_t* a, const char16_t* b) {
    for (; *a != u'\0' && *b != u'\0'; ++a, ++b) {
        if (Upper(*a) != Upper(*b)) return false;
    }
    return *a == *b;
}

}  // namespace

ResourceBytes FindPngResource(const char16_t* name) {
    for (std::size_t i = 0; i < kEmbeddedResourceCount; ++i) {
        const EmbeddedResource& resource = kEmbeddedResources[i];
        if (SameName(resource.name, name)) return ResourceBytes{resource.data, resource.size};
    }
    return {};
}

}  // namespace tickora
