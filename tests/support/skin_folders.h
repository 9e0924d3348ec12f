#pragma once

#include <filesystem>

namespace tickora::testing {

// Gives a folder the platform's hidden (and on Windows also system) attribute;
// on Linux a leading dot in its name already does.
void MakeHidden(const std::filesystem::path& folder);

}  // namespace tickora::testing
