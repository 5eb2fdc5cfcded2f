// corpus_index.h — the shared image corpus as its INDEX.md describes it: one row per
// file (path, format, stated size, kind, expected outcome, notes), the reference
// rendering a row names, and the comparison of loaded pixels with a reference.
// Header-only so that native and Windows-side tests share it; paths in rows are
// relative to the corpus and use "/".
#pragma once
#include <sys/stat.h>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <regex>
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
        if (f.size() >= 5) rows.push_back({f[0], f[1], f[2], f[3], f[4], f.size() >= 7 ? f[6] : ""});
    }
    return rows;
}

inline std::string RootOf(const std::string& path) { return path.substr(0, path.find('/')); }
inline std::string DirOf(const std::string& path) { return path.substr(0, path.rfind('/')); }
inline bool Exists(const std::string& root, const std::string& rel) {
    struct stat st;
    return stat((root + rel).c_str(), &st) == 0;
}

// Reference rows name the files they render: "... for g/a.bmp, g/b.bmp" (relative to
// their source); a name cut short by the index is left out.
inline std::map<std::string, std::string> ListedReferences(const std::vector<Row>& rows) {
    std::map<std::string, std::string> listed;
    for (const Row& r : rows) {
        const size_t at = r.notes.find(" for ");
        if (r.expect != "ref" || at == std::string::npos || r.path.find(".png") == std::string::npos) continue;
        std::stringstream ss(r.notes.substr(at + 5));
        std::string name;
        while (std::getline(ss, name, ',')) {
            name = Trim(name);
            if (name.size() < 4 || name.find('.') == std::string::npos || name.back() == '.') continue;
            if ((unsigned char)name.back() >= 0x80) break;  // "…": the list was cut here
            listed.emplace(RootOf(r.path) + "/" + name, r.path);
        }
    }
    return listed;
}

// The reference PNG of a row (relative to the corpus), or "" when the index names
// none: a name after "Ref:", "ref" or "must equal" in its notes (relative to its
// source, else to its folder), "the same-named .png", or a reference row listing it.
inline std::string ReferenceOf(const std::string& root, const Row& r,
                               const std::map<std::string, std::string>& listed) {
    static const std::regex named(R"((?:Ref:|ref|must equal)\s+([^\s;,()]+\.png))");
    std::smatch m;
    if (std::regex_search(r.notes, m, named))
        for (const std::string& base : {RootOf(r.path), DirOf(r.path)})
            if (Exists(root, base + "/" + m[1].str())) return base + "/" + m[1].str();
    if (r.notes.find("same-named .png") != std::string::npos) {
        const std::string same = r.path.substr(0, r.path.rfind('.')) + ".png";
        if (Exists(root, same)) return same;
    }
    auto it = listed.find(r.path);
    return it == listed.end() ? "" : it->second;
}

// "" when loaded pixel words (w x h, 0xAARRGGBB) show the reference (8-bit RGBA,
// rw x rh): the colour of every pixel the reference does not make fully transparent,
// and alpha as the file stores it (opacity) or in the engine's convention
// (255 - opacity), one of them throughout.
inline std::string Mismatch(const std::vector<uint32_t>& words, uint32_t w, uint32_t h,
                            const std::vector<uint8_t>& rgba, uint32_t rw, uint32_t rh,
                            const std::string& ref) {
    if (w != rw || h != rh || rgba.size() < (size_t)w * h * 4) return "size differs from " + ref;
    bool stored = true, engine = true;
    for (size_t i = 0; i < words.size(); i++) {
        const uint8_t* p = &rgba[i * 4];
        const uint32_t v = words[i], a = v >> 24;
        const uint32_t rgb = (uint32_t)p[0] << 16 | (uint32_t)p[1] << 8 | p[2];
        if (p[3] != 0 && (v & 0xFFFFFF) != rgb) {
            char at[96];
            std::snprintf(at, sizeof at, "colour %06X instead of %06X at %zu,%zu", (unsigned)(v & 0xFFFFFF),
                          (unsigned)rgb, i % w, i / w);
            return at;
        }
        stored = stored && a == p[3];
        engine = engine && a == 255u - p[3];
    }
    return stored || engine ? "" : "alpha differs from " + ref;
}

}  // namespace corpus
