// File-system questions the clock asks of the platform. Paths are UTF-16.
#pragma once

#include <string>
#include <vector>

namespace tickora {

// The running executable's full path.
std::u16string ExecutablePath();
// The folder that holds the running executable.
std::u16string ExecutableFolder();
// Joins one more part onto path with the platform's separator; an empty part
// leaves the path as it is. False when the result would not fit a path.
bool AppendPath(std::u16string& path, const char16_t* more);
// Makes path the process's current directory; failures are ignored.
void MakeCurrentDirectory(const std::u16string& path);
// True when an entry of that name exists (file or folder).
bool PathExists(const std::u16string& path);
bool IsFolder(const std::u16string& path);
// The names of a folder's entries, "." and ".." included where the platform
// lists them, in the platform's order (sorted by code unit where it has none).
// False when the folder cannot be listed.
bool ListFolder(const std::u16string& folder, std::vector<std::u16string>& names);
// The folders where installed programs keep their data, most personal first:
// none on Windows; $XDG_DATA_HOME, then each of $XDG_DATA_DIRS on Linux (read
// once per process).
std::vector<std::u16string> SharedDataFolders();

}  // namespace tickora
