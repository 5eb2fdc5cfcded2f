// corpus_index.h — the shared image corpus as its INDEX.md describes it: one row per
// file (path, format, stated size, kind, expected outcome, notes). Header-only so that
// native and Windows-side tests share it; paths in rows are relative to the corpus
// and use "/".
#pragma once
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace corpus {

inline std::string Trim(const std::string& s) {
    size_t a = s.find_first_not_of(' '), b = s.find_last_not_of(' ');
    return a == std::string::npos ? "" : s.substr(a, b - a + 1);
}

struct Row {
    std::string path, format, size, kind, expect, notes;
};

// Rows of the index's tables (lines starting "| "), cells trimmed.
inline std::vector<Row> Rows(const std::string& root) {
    std::ifstream in(root + "INDEX.md");
    std::vector<Row> rows;
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("| ", 0) != 0) continue;
        std::vector<std::string> f;
        std::stringstream ss(line.substr(1));
        std::string cell;
        while (std::getline(ss, cell, '|')) f.push_back(Trim(cell));
        if (f.size() >= 5) rows.push_back({f[0], f[1], f[2], f[3], f[4], f.size() > 6 ? f[6] : ""});
    }
    return rows;
}

}  // namespace corpus
