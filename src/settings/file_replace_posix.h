// Writing a file of the clock's own (settings, autostart entry) or of its tools
// (a preview image) on Linux, by one rule for whatever the name holds:
// - a symbolic link is followed, link after link, and what it names is written;
//   the link stays a link;
// - a character device or a FIFO (/dev/null, a pipe to a reader) is written
//   straight through, never replaced by a file;
// - a regular file or a new name is replaced atomically: a temporary file beside
//   it, fsync, rename;
// - anything else (a folder, a block device, a socket) is refused.
#pragma once

#include <string>
#include <string_view>

namespace tickora {

// Writes contents to path by the rule above; a new or replaced file gets this
// mode. Before an atomic replace it removes the temporary files that earlier
// writes of the same file left when the clock was killed in the middle of one:
// the names GLib gives them, the file's name, a dot and six letters or digits.
// False, with error saying why, when the contents could not all be written; an
// earlier regular file is then untouched.
bool WriteOutput(const std::string& path, std::string_view contents, int mode,
                 std::string* error = nullptr);

// As WriteOutput, making the folder of path first if needed (mode 0700): for
// the clock's own files, whose folders may not exist yet.
bool ReplaceFile(const std::string& path, std::string_view contents, int mode,
                 std::string* error = nullptr);

// Follows symbolic links, link after link, to the name that is to be written:
// one that is not a link, or one that does not exist yet (a link may name a
// file to come). False, with error saying why, on a loop or an unreadable link.
bool FollowLinks(std::string& path, std::string* error = nullptr);

// Writes all of contents to an open descriptor (standard output, a device).
bool WriteAll(int fd, std::string_view contents, std::string* error);

}  // namespace tickora
