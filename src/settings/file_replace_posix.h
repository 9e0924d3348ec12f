// Replacing a small file of the clock's own (settings, autostart entry) on Linux.
#pragma once

#include <string>
#include <string_view>

namespace tickora {

// Makes the folder if needed (mode 0700) and replaces the file with contents,
// atomically (temporary file beside it, fsync, rename) with this mode. First it
// removes the temporary files that earlier writes of the same file left when
// the clock was killed in the middle of one: the names GLib gives them, the
// file's name, a dot and six letters or digits. False when the file could not
// be written; the earlier file is then untouched.
bool ReplaceFile(const std::string& path, std::string_view contents, int mode);

}  // namespace tickora
