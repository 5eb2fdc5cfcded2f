// pipeline.cpp — planning, load-operate-write, and the batch's answers (pipeline.h).
#include "batch/pipeline.h"

#include <cstdio>
#include <cstring>
#include <map>
#include "batch/host.h"
#include "effects/transform.h"
#include "formats/dispatch.h"
#include "formats/kv5_file.h"
#include "formats/ppm_file.h"
#include "platform/refusal.h"
#include "platform/sysio.h"
#include "platform/ui.h"
#include "settings/settings.h"

namespace {

// The run's KV5 options; set once before any file, read-only after.
std::string g_password;
Kv5SaveOptions g_kv5;
thread_local std::string t_note;

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = (char)(c - 'A' + 'a');
    return s;
}

int IsSeparator(char c) { return c == '/' || c == '\\'; }

size_t NameStart(const std::string& path) {
    size_t at = path.size();
    while (at > 0 && !IsSeparator(path[at - 1])) at--;
    return at;
}

// Extension of the name part, lower case without the dot; "" when none.
std::string TypeOf(const std::string& path) {
    const size_t name = NameStart(path), dot = path.rfind('.');
    return dot != std::string::npos && dot > name ? Lower(path.substr(dot + 1)) : "";
}

std::string Stem(const std::string& path) {
    const size_t name = NameStart(path), dot = path.rfind('.');
    return path.substr(name, dot != std::string::npos && dot > name ? dot - name : std::string::npos);
}

int Fail(std::string* error, const std::string& text) {
    *error = text;
    return 0;
}

int Absolute(const std::string& path, std::string* out) {
    char buf[4096];
    if (!bh_AbsolutePath(path.c_str(), buf, sizeof buf)) return 0;
    *out = buf;
    return 1;
}

int IsFolderImage(const std::string& name) {
    const std::string type = "." + TypeOf(name);
    for (const char* const* t = bh_FolderImageTypes(); *t; t++)
        if (type == *t) return 1;
    return 0;
}

int ExpandInputs(const BatchOptions& o, std::vector<BatchFile>* files, int* sawFolder, std::string* error) {
    for (const std::string& in : o.inputs) {
        BatchFile f;
        if (!Absolute(in, &f.source)) return Fail(error, "'" + in + "': path too long");
        if (!sio_FolderExists(f.source.c_str())) {
            f.input = in;
            files->push_back(f);
            continue;
        }
        *sawFolder = 1;
        std::vector<std::string> names;
        if (!bh_ListFolder(f.source.c_str(), &names)) return Fail(error, "cannot read the folder '" + in + "'");
        const std::string folder = IsSeparator(in.back()) ? in : in + bh_Separator();
        const std::string absFolder = IsSeparator(f.source.back()) ? f.source : f.source + bh_Separator();
        for (const std::string& n : names) {
            if (!IsFolderImage(n)) continue;
            BatchFile m;
            m.input = folder + n;
            m.source = absFolder + n;
            files->push_back(m);
        }
    }
    if (files->empty()) return Fail(error, "no image files among the inputs");
    return 1;
}

// Where every result goes and in which type.
// A folder to be made is only named here: nothing is made before every check passed.
int PlaceOutputs(const BatchOptions& o, std::vector<BatchFile>* files, int sawFolder, std::string* folderToMake,
                 std::string* error) {
    if (o.inPlace) {
        for (BatchFile& f : *files) {
            f.target = f.source;
            f.type = TypeOf(f.source);
        }
        return 1;
    }
    std::string out;
    if (!Absolute(o.output, &out)) return Fail(error, "-o: path too long");
    // A name with a type that is no folder is the one result file; anything else a folder.
    const std::string own = TypeOf(out);
    if (!IsSeparator(o.output.back()) && !own.empty() && !sio_FolderExists(out.c_str())) {
        if (o.inputs.size() != 1 || sawFolder)
            return Fail(error, "-o " + o.output + " names one file, but there are several inputs");
        if (!o.format.empty() && own != o.format)
            return Fail(error, "-o " + o.output + " does not end in ." + o.format + " as --format asks");
        BatchFile& f = (*files)[0];
        f.target = out;
        f.type = own;
        if (!bopt_Writes(f.type))
            return Fail(error, "this build does not write ." + f.type + " files");
        return 1;
    }
    if (!sio_FolderExists(out.c_str())) *folderToMake = out;
    if (!IsSeparator(out.back())) out += bh_Separator();
    for (BatchFile& f : *files) {
        f.type = o.format.empty() ? TypeOf(f.source) : o.format;
        if (f.type.empty()) f.refusal = "has no type to keep (give --format)";
        f.target = out + Stem(f.source) + "." + f.type;
    }
    return 1;
}

// Refusals that protect the inputs and keep two results from one name.
void RefuseCollisions(const BatchOptions& o, std::vector<BatchFile>* files) {
    std::map<std::string, size_t> inputs, targets;
    std::string key;
    for (size_t i = 0; i < files->size(); i++)
        if (bh_FileKey((*files)[i].source.c_str(), &key)) inputs.emplace(key, i);
    for (size_t i = 0; i < files->size(); i++) {
        BatchFile& f = (*files)[i];
        if (!f.refusal.empty()) continue;
        if (f.target.size() >= (size_t)KV_MAX_PATH) {
            f.refusal = "the result's path is too long";
            continue;
        }
        if (!bopt_Writes(f.type)) {
            f.refusal = "this build does not write ." + f.type + " files";
            continue;
        }
        auto same = targets.emplace(bh_PathKey(f.target.c_str()), i);
        if (!same.second) {
            f.refusal = (o.inPlace ? "is named twice: as " : "would give the same result file as ") +
                        (*files)[same.first->second].input;
            continue;
        }
        if (!bh_FileKey(f.target.c_str(), &key)) continue;
        auto in = inputs.find(key);
        if (in == inputs.end() || (o.inPlace && in->second == i)) continue;
        f.refusal = in->second == i ? "the result would overwrite the input (--in-place allows that)"
                                    : (o.inPlace ? "is the same file as " : "the result would overwrite the input ") +
                                          (*files)[in->second].input;
    }
}

// stage: what went wrong, from the message kept for this file and the last refusal.
std::string Reason(const std::string& stage) {
    std::string why = stage + ": " + t_note;
    const char* refusal = refuse_Reason();
    if (*refusal && !t_note.empty()) why += std::string(" (") + refusal + ")";
    else if (*refusal) why += refusal;
    else if (t_note.empty()) why += "failed";
    return why;
}

int Save(Surface* s, const BatchFile& f) {
    return img_SaveFile(s, f.target.c_str(), &g_kv5);
}

std::string OneLine(const char* text) {
    std::string s = text ? text : "";
    for (char& c : s)
        if (c == '\n' || c == '\r') c = ' ';
    while (s.find("  ") != std::string::npos) s.erase(s.find("  "), 1);
    while (!s.empty() && s.back() == ' ') s.pop_back();
    while (!s.empty() && s[0] == ' ') s.erase(0, 1);
    return s;
}

}  // namespace

void bpl_Setup(const BatchOptions& o, const std::string& password) {
    g_password = password;
    g_kv5 = Kv5SaveOptions{};
    g_kv5.level = o.level >= 0 ? o.level : BPL_DEFAULT_LEVEL;
    g_kv5.password = g_password.empty() ? nullptr : g_password.c_str();
    if (o.alphaAsStored) {
        SettingsRecord r = g_settings;
        r.autoDetectAlpha = 0;
        set_Record(&r);
    }
}

int bpl_Plan(const BatchOptions& o, std::vector<BatchFile>* files, std::string* error) {
    files->clear();
    int sawFolder = 0;
    std::string folder;
    if (!ExpandInputs(o, files, &sawFolder, error) || !PlaceOutputs(o, files, sawFolder, &folder, error)) return 0;
    if (o.level >= 0 || o.password)
        for (const BatchFile& f : *files)
            if (f.type != "kv5") return Fail(error, "--level and --password are for KV5 output, not ." + f.type);
    if (!folder.empty() && !sio_CreateFolder(folder.c_str()))
        return Fail(error, "cannot make the output folder '" + o.output + "'");
    RefuseCollisions(o, files);
    return 1;
}

int bpl_RunFile(const BatchOptions& o, const BatchFile& f, uint64_t* pixels, std::string* reason) {
    *pixels = 0;
    if (!f.refusal.empty()) {
        *reason = f.refusal;
        return 0;
    }
    t_note.clear();
    refuse_Clear();
    char path[KV_MAX_PATH];
    if (f.source.size() >= sizeof path) {
        *reason = "cannot load: the path is too long";
        return 0;
    }
    std::memcpy(path, f.source.c_str(), f.source.size() + 1);
    Surface s{};
    ImageFileInfo info{};
    info.quiet = 1;
    int ok = img_LoadFile(&s, path, &info);
    if (!ok) *reason = Reason("cannot load");
    if (ok && srf_Refresh(&s)) *pixels = (uint64_t)s.width * s.height;
    for (size_t i = 0; ok && i < o.ops.size(); i++) {
        refuse_Clear();
        t_note.clear();
        ok = bop_Apply(o.ops[i], &s, o.colour1, o.colour2);
        if (!ok) *reason = Reason(o.ops[i].label);
    }
    if (ok) {
        refuse_Clear();
        t_note.clear();
        ok = Save(&s, f);
        if (!ok) *reason = Reason("cannot write " + f.target);
    }
    if (s.created) srf_Destroy(&s);
    tf_ReleaseSpare();
    return ok;
}

int bpl_AnswerBox(const char* text, const char* title, unsigned flags) {
    switch (flags & 0xF) {
    case UI_OK:
        if (t_note.empty()) t_note = OneLine(title) + ": " + OneLine(text);
        return UI_IDOK;
    case UI_YESNO:
    case UI_YESNOCANCEL:
        return title && std::strcmp(title, PPM_BINARY_TITLE) == 0 ? UI_IDYES : UI_IDNO;
    default:
        return UI_IDCANCEL;
    }
}
