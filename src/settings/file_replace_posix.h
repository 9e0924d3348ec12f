// Writing a file of the clock's own (settings, autostart entry) or of its tools
// (a preview image) on Linux. A symbolic link is followed, link after link, and
// what it names is written; the link stays a link. A regular file or a new name
// is replaced atomically: a temporary file beside it, fsync, rename. What else
// the name leads to decides the rest:
// - the clock's own files (ReplaceFile) are kept only in regular files: a device,
//   a FIFO, a socket or a folder is never opened, renamed or replaced, so a link
//   to /dev/null keeps nothing and no FIFO can hold the clock up;
// - a tool's output (WriteOutput) is written straight through to a character
//   device or a FIFO (/dev/null, a pipe to a reader), as a shell's redirection
//   would; a folder, a block device or a socket is refused.
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

// For the clock's own files: makes the folder of path first if needed (mode
// 0700), then replaces the regular file that path names, or makes a new one.
// False, with error saying why, when path leads to anything else (error then
// names it: "/dev/null is a device") or the file could not be written.
bool ReplaceFile(const std::string& path, std::string_view contents, int mode,
                 std::string* error = nullptr);

// Where path leads once its links are followed, for files that are kept only
// in regular files.
struct FileTarget {
    std::string path;  // not a link
    bool exists = false;
    bool regular = false;
    const char* kind = "";  // "a device", "a FIFO", "a socket", "a folder" when not regular
};
// False, with error saying why, on a loop, an unreadable link or a name that
// cannot be looked at.
bool FindTarget(const std::string& path, FileTarget* target, std::string* error = nullptr);

// Writes "tickora: <line>" to standard error the first time this process has
// that line to say: the clock saves through many small writes and each would
// otherwise repeat it.
void ReportOnce(const std::string& line);

// Follows symbolic links, link after link, to the name that is to be written:
// one that is not a link, or one that does not exist yet (a link may name a
// file to come). False, with error saying why, on a loop or an unreadable link.
bool FollowLinks(std::string& path, std::string* error = nullptr);

// Writes all of contents to an open descriptor (standard output, a device).
bool WriteAll(int fd, std::string_view contents, std::string* error);

}  // namespace tickora
