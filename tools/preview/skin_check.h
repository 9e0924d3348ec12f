// Checks a skin folder against the rules the clock draws by, for skin authors.
#pragma once

#include <string>
#include <vector>

namespace preview {

enum class Severity { Error, Warning, Note };

struct Finding {
    Severity severity;
    std::string file;      // the file the finding is about ("" for the folder)
    std::string sentence;  // what is wrong and what the clock makes of it
};

// Loads the folder through the clock's own skin loading and reports what it
// finds. Imaging must be started; the skin is released again.
std::vector<Finding> CheckSkinFolder(const std::string& folder);

// Prints the findings, one line each, and a summary; true when none is an error.
bool ReportFindings(const std::string& folder, const std::vector<Finding>& findings);

}  // namespace preview
