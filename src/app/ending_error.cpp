#include "app/ending_error.h"

#include <cstdio>
#include <sstream>
#include <vector>

#include "script/error_report.h"

namespace bw {

namespace {

// A rule frames a report: a line made only of '#' or only of '-'.
bool IsRule(const std::string& word)
{
    return word.find_first_not_of('#') == std::string::npos || word.find_first_not_of('-') == std::string::npos;
}

}  // namespace

std::string EndingError_Line(const std::string& report)
{
    std::istringstream lines(report);
    std::string joined;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::vector<std::string> lineWords;
        for (std::string word; words >> word;) {
            lineWords.push_back(word);
        }
        if (lineWords.size() == 1 && IsRule(lineWords[0])) {
            continue;
        }
        // Indentation of quoted source lines means nothing on one line.
        for (const std::string& word : lineWords) {
            joined += joined.empty() ? word : " " + word;
        }
    }
    return "The game ended on an error: " + joined + "\n";
}

void EndingError_Report()
{
    const char* report = Code_Error_LastText();
    if (!Code_Error_GameAborted() || report == nullptr) {
        return;
    }
    // The console's lines go first, so that the line ends the output.
    std::fflush(stdout);
    std::fputs(EndingError_Line(report).c_str(), stderr);
}

}  // namespace bw
