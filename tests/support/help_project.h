// help_project.h — the [FILES] section of the help project (Kelvara.hhp): the pages
// and the stylesheet the help compiler puts into Kelvara.chm, in the project's order.
#pragma once
#include <sstream>
#include <string>
#include <vector>

inline std::vector<std::string> HelpProjectFiles(const std::string& projectText) {
    std::istringstream in(projectText);
    std::vector<std::string> files;
    bool inFiles = false;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] == '[') inFiles = line == "[FILES]";
        else if (inFiles && !line.empty()) files.push_back(line);
    }
    return files;
}
