// options.cpp — reading and checking kvbatch's command line (options.h).
#include "batch/options.h"

#include <cstdlib>
#include <cstring>
#include "batch/host.h"
#include "formats/plugin_filter.h"

const char BOPT_USAGE_LINE[] =
    "Usage: kvbatch [options] INPUT... (-o OUTDIR | -o OUTFILE | --in-place); see kvbatch --help";

namespace {

const char* const OWN_FORMATS[] = {"kv5", "bmp", "dib", "tga", "pcx", "ppm", "pbm", nullptr};
const char* const ICON_TYPES[] = {"ico", "cur", "icl", "exe", "dll", "scr", nullptr};

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = (char)(c - 'A' + 'a');
    return s;
}

int InList(const char* const* list, const std::string& s) {
    for (; *list; list++)
        if (s == *list) return 1;
    return 0;
}

int Fail(std::string* error, const std::string& text) {
    *error = text;
    return 0;
}

// "RRGGBB" as a COLORREF (0x00BBGGRR).
int ParseColour(const std::string& text, uint32_t* colour) {
    if (text.size() != 6 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return 0;
    const uint32_t rgb = (uint32_t)std::strtoul(text.c_str(), nullptr, 16);
    *colour = (rgb >> 16 & 0xFF) | (rgb & 0xFF00) | (rgb & 0xFF) << 16;
    return 1;
}

int ParseColours(const std::string& text, BatchOptions* o) {
    const size_t colon = text.find(':');
    if (colon == std::string::npos) return ParseColour(text, &o->colour1);
    return ParseColour(text.substr(0, colon), &o->colour1) && ParseColour(text.substr(colon + 1), &o->colour2);
}

// Options that take a value; the others stand alone.
int TakesValue(const std::string& name) {
    for (const char* o : {"-o", "--output", "--format", "--level", "--jobs", "--colours", "--effect", "--transform",
                          "--pixcode", "--matrix", "--resize"})
        if (name == o) return 1;
    return 0;
}

int CheckFormat(const std::string& format, std::string* error) {
    if (InList(ICON_TYPES, format)) return Fail(error, "kvbatch does not write icons (the Icon Creator of Kelvara does)");
    if (format.empty() || format.find_first_of(".\\/:") != std::string::npos)
        return Fail(error, "--format wants a file type such as kv5 or bmp, not '" + format + "'");
    if (!bopt_Writes(format))
        return Fail(error, "--format " + format + ": this build writes kv5, bmp, dib, tga, pcx, ppm, pbm, png and jpg " +
                               "(other types need the filter plug-ins of the Windows build)");
    return 1;
}

}  // namespace

const char* const* bopt_OwnFormats() { return OWN_FORMATS; }
int bopt_IsOwnFormat(const std::string& ext) { return InList(OWN_FORMATS, Lower(ext)); }
int bopt_Writes(const std::string& ext) {
    return bopt_IsOwnFormat(ext) || plugin_FilterWrites(("." + Lower(ext)).c_str());
}

int bopt_Parse(int argc, const char* const* argv, BatchOptions* out, std::string* error) {
    *out = BatchOptions{};
    BatchOptions& o = *out;
    int inputsOnly = 0, haveOutput = 0;
    for (int i = 1; i < argc; i++) {
        const std::string a = argv[i];
        if (inputsOnly || a.size() < 2 || a[0] != '-') {
            o.inputs.push_back(a);
            continue;
        }
        if (a == "--") {
            inputsOnly = 1;
            continue;
        }
        std::string name = a, value;
        int hasValue = 0;
        const size_t eq = a.find('=');
        if (a.compare(0, 2, "--") == 0 && eq != std::string::npos) {
            name = a.substr(0, eq);
            value = a.substr(eq + 1);
            hasValue = 1;
        }
        if (name == "--password" && hasValue)
            return Fail(error, "--password takes no value: the password is read from standard input");
        if (TakesValue(name) && !hasValue) {
            if (i + 1 >= argc) return Fail(error, name + " needs a value");
            value = argv[++i];
            hasValue = 1;
        } else if (!TakesValue(name) && hasValue) {
            return Fail(error, name + " takes no value");
        }

        if (name == "-h" || name == "--help") {
            o.help = 1;
            return 1;
        } else if (bop_IsOperation(name.c_str())) {
            BatchOp op;
            if (!bop_Parse(name.c_str(), hasValue ? value.c_str() : nullptr, &op, error)) return 0;
            o.ops.push_back(op);
        } else if (name == "-o" || name == "--output") {
            if (haveOutput) return Fail(error, "-o is given twice");
            if (value.empty()) return Fail(error, "-o needs a folder or file name");
            o.output = value;
            haveOutput = 1;
        } else if (name == "--format") {
            o.format = Lower(value);
            if (!o.format.empty() && o.format[0] == '.') o.format.erase(0, 1);
            if (!CheckFormat(o.format, error)) return 0;
        } else if (name == "--level") {
            if (!bop_ParseNumber(value.c_str(), 0, 3, &o.level)) return Fail(error, "--level must be 0..3");
        } else if (name == "--jobs") {
            if (!bop_ParseNumber(value.c_str(), 1, 64, &o.jobs)) return Fail(error, "--jobs must be 1..64");
        } else if (name == "--colours") {
            if (!ParseColours(value, &o)) return Fail(error, "--colours wants RRGGBB[:RRGGBB] in hexadecimal");
        } else if (name == "--password") {
            o.password = 1;
        } else if (name == "--quiet") {
            o.quiet = 1;
        } else if (name == "--in-place") {
            o.inPlace = 1;
        } else if (name == "--alpha-as-stored") {
            o.alphaAsStored = 1;
        } else {
            return Fail(error, "unknown option '" + name + "'");
        }
    }
    if (o.inputs.empty()) return Fail(error, "no input given");
    if (o.inPlace && haveOutput) return Fail(error, "--in-place writes over the inputs: it takes no -o");
    if (o.inPlace && !o.format.empty())
        return Fail(error, "--in-place keeps each file's type: it takes no --format");
    if (!o.inPlace && !haveOutput) return Fail(error, "no output given (-o OUTDIR, -o OUTFILE or --in-place)");
    if (!o.format.empty() && o.format != "kv5" && (o.level >= 0 || o.password))
        return Fail(error, "--level and --password are for KV5 output (--format kv5)");
    return 1;
}

std::string bopt_HelpText() {
    std::string t = BOPT_USAGE_LINE;
    t += "\n\nLoads each INPUT (every image file of an INPUT that is a folder), runs the operations\n"
         "on it in the order given and writes the result. Inputs are never overwritten unless\n"
         "--in-place is given; every file is written whole before it replaces an older one.\n\n";
    bop_AppendHelp(&t);
    t += "  --colours C1[:C2]   drawing colours #1 and #2 as RRGGBB (FFFFFF:0000FF)\n\n"
         "Output:\n"
         "  -o OUTDIR           a folder (made when missing): each result keeps its input's name\n"
         "  -o OUTFILE          the result of a single input file: a name with a type, e.g. a.bmp\n"
         "  --in-place          each result replaces its input, in the input's own type\n"
         "  --format TYPE       kv5, bmp, dib, tga, pcx, ppm, pbm";
    t += bh_HasPlugins() ? ", png, jpg and others through\n"
                           "                      the filter plug-ins (default: each input's own type)\n"
                         : ", png or jpg (default:\n                      each input's own type)\n";
    t += "  --level 0..3        KV5 compression (2)\n"
         "  --password          protects KV5 files with the password on the first line of\n"
         "                      standard input (never given on the command line)\n\n"
         "Input:\n"
         "  --alpha-as-stored   takes each input's transparency as its file states it; by\n"
         "                      default an image whose alpha looks like opacity is inverted,\n"
         "                      as Kelvara's \"Auto-detect Alpha Channel Type\" does\n\n"
         "Running:\n"
         "  --jobs N            files worked on at once (default: the number of cores)\n"
         "  --quiet             no progress line on standard error\n"
         "  --help              this text\n\n"
         "A file that fails is named with its reason on standard error and the others go on.\n"
         "Exit status: 0 every file written, 1 some failed, 2 usage error.\n"
         "Example: kvbatch photos --effect greyscale --transform flip-v --format ppm -o out\n";
    return t;
}
