// Points the clock's skin loading at one skin folder given on the command line.
#pragma once

#include <string>

namespace preview {

// Makes the folder's parent the only skins root and its name the Skin setting.
// Returns an error message, or an empty string.
std::string SelectSkinFolder(const std::string& folder);

// A UTF-8 path as the clock's ports take it; empty when it is not UTF-8.
std::u16string Utf16(const char* text);

}  // namespace preview
