// oplist.cpp — names, arguments and calls of the command line's operations (oplist.h).
#include "batch/oplist.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>
#include "document/document.h"
#include "effects/fx_filter.h"
#include "effects/palette.h"
#include "effects/transform.h"
#include "formats/fileio.h"
#include "pixcode/pix_compile.h"
#include "pixcode/pix_program.h"
#include "pixcode/pix_run.h"

namespace {

// The transforms of the transform dialog; the edge buttons become part of the name.
struct TransformRow {
    const char* name;
    uint32_t code;
    int edge;
    int usesLevel;
    const char* what;
};
const TransformRow TRANSFORMS[] = {
    {"rotate", TFC_ROTATE, 0, 1, "(LEVEL - 500) x 0.36 degrees anticlockwise"},
    {"flip-h", TFC_FLIP, 0, 0, "mirrors the columns (left becomes right)"},
    {"flip-v", TFC_FLIP, 1, 0, "mirrors the rows (top becomes bottom)"},
    {"perspective-left", TFC_PERSPECTIVE, 0, 1, "the left edge shortened by LEVEL"},
    {"perspective-top", TFC_PERSPECTIVE, 1, 1, "the top edge shortened by LEVEL"},
    {"perspective-right", TFC_PERSPECTIVE, 2, 1, "the right edge shortened by LEVEL"},
    {"perspective-bottom", TFC_PERSPECTIVE, 3, 1, "the bottom edge shortened by LEVEL"},
    {"skew-h", TFC_SKEW, 0, 1, "top against bottom, (LEVEL - 500) x 0.18 degrees"},
    {"skew-v", TFC_SKEW, 1, 1, "right against left, (LEVEL - 500) x 0.18 degrees"},
    {"stretch-width", TFC_STRETCH, 0, 1, "width times 10^((LEVEL - 500) / 500)"},
    {"stretch-height", TFC_STRETCH, 1, 1, "height times 10^((LEVEL - 500) / 500)"},
    {"stretch", TFC_STRETCH, 2, 1, "both sides times 10^((LEVEL - 500) / 500)"},
    {"rotate90", TFC_ROTATE90, 0, 1, "LEVEL 125-374 clockwise, 625-874 anticlockwise,\n"
                          "                            375-624 none, 0-124 and 875-1000 half a turn"},
};

const char* const FIELD_NAMES[3] = {"LEVEL", "DISTANCE", "PARAMETER"};
const unsigned FIELD_USES[3] = {CAT_USES_LEVEL, CAT_USES_DISTANCE, CAT_USES_PARAMETER};

std::vector<std::string> SplitFields(const char* text) {
    std::vector<std::string> fields(1);
    for (const char* p = text; *p; p++) {
        if (*p == ':') fields.emplace_back();
        else fields.back() += *p;
    }
    return fields;
}

// What follows "Effect - " / "Transform - " in a catalogue caption.
const char* AfterDash(const char* caption) {
    const char* dash = std::strstr(caption, " - ");
    return dash ? dash + 3 : caption;
}

int Fail(std::string* error, const std::string& text) {
    *error = text;
    return 0;
}

int ParseChannels(const std::string& text, int* mask) {
    *mask = 0;
    for (char c : text) {
        const char* at = std::strchr("rgba", c);
        if (!at || (*mask & (1 << (at - "rgba")))) return 0;
        *mask |= 1 << (at - "rgba");
    }
    return *mask != 0;
}

int ParseEffect(const char* arg, BatchOp* op, std::string* error) {
    std::vector<std::string> f = SplitFields(arg);
    const EffectInfo* row = cat_EffectByKey(f[0].c_str());
    if (!row) return Fail(error, "unknown effect '" + f[0] + "' (kvbatch --help lists them)");
    op->kind = BOP_EFFECT;
    op->code = row->code;
    op->fx.lastCode = ~0u;
    cat_OpenEffect(&op->fx, row->code);   // another effect than the last: the dialog's defaults
    if (row->run != CAT_RUN_DIALOG && f.size() > 1) return Fail(error, f[0] + " takes no parameters");
    if (f.size() > 5) return Fail(error, "too many fields in '" + std::string(arg) + "'");
    int* values[3] = {&op->fx.level, &op->fx.distance, &op->fx.parameter};
    for (size_t i = 1; i < f.size() && i <= 3; i++) {
        if (f[i].empty()) continue;
        if (!(row->uses & FIELD_USES[i - 1])) return Fail(error, f[0] + " does not use " + FIELD_NAMES[i - 1]);
        int lo, hi;
        cat_EffectRange((int)i - 1, &lo, &hi);
        if (!bop_ParseNumber(f[i].c_str(), lo, hi, values[i - 1]))
            return Fail(error, f[0] + ": " + FIELD_NAMES[i - 1] + " must be " + std::to_string(lo) + ".." +
                                   std::to_string(hi) + ", not '" + f[i] + "'");
    }
    if (f.size() == 5 && !f[4].empty()) {
        if (!(row->uses & CAT_USES_CHANNELS)) return Fail(error, f[0] + " does not use CHANNELS");
        if (!ParseChannels(f[4], &op->fx.channelMask))
            return Fail(error, f[0] + ": CHANNELS are letters of 'rgba', not '" + f[4] + "'");
    }
    return 1;
}

int ParseTransform(const char* arg, BatchOp* op, std::string* error) {
    std::vector<std::string> f = SplitFields(arg);
    const TransformRow* row = nullptr;
    for (const TransformRow& r : TRANSFORMS)
        if (f[0] == r.name) row = &r;
    if (!row) return Fail(error, "unknown transform '" + f[0] + "' (kvbatch --help lists them)");
    op->kind = BOP_TRANSFORM;
    op->code = row->code;
    op->tf.lastCode = ~0u;
    cat_OpenTransform(&op->tf, row->code);
    op->tf.edge = row->edge;
    if (f.size() > 2) return Fail(error, "too many fields in '" + std::string(arg) + "'");
    if (f.size() == 2 && !row->usesLevel) return Fail(error, f[0] + " takes no LEVEL");
    if (f.size() == 2 && !bop_ParseNumber(f[1].c_str(), 0, 1000, &op->tf.level))
        return Fail(error, f[0] + ": LEVEL must be 0..1000, not '" + f[1] + "'");
    return 1;
}

int ParseResize(const char* arg, BatchOp* op, std::string* error) {
    std::vector<std::string> f = SplitFields(arg);
    const size_t x = f[0].find('x');
    unsigned w = 0, h = 0;
    int ok = f.size() <= 2 && x != std::string::npos;
    if (ok) {
        int iw, ih;
        ok = bop_ParseNumber(f[0].substr(0, x).c_str(), 4, 65535, &iw) &&
             bop_ParseNumber(f[0].substr(x + 1).c_str(), 4, 65535, &ih);
        w = ok ? (unsigned)iw : 0;
        h = ok ? (unsigned)ih : 0;
    }
    size_t pixels;
    // The size dialogs' limit: 4096 x 4096 pixels in all.
    if (!ok || !srf_SizeAccepted(w, h, &pixels) || pixels > SRF_MAX_PIXELS)
        return Fail(error, "--resize wants WxH, each side 4.." + std::to_string(SRF_MAX_SIDE) + " and at most " +
                               std::to_string(SRF_MAX_PIXELS) + " pixels in all, not '" + arg + "'");
    op->kind = BOP_RESIZE;
    op->width = (int)w;
    op->height = (int)h;
    op->mode = 2;   // the resize dialog's "Resample image / sprite for best quality"
    if (f.size() == 2 && f[1] == "nearest") op->mode = 3;
    else if (f.size() == 2 && f[1] != "smooth")
        return Fail(error, "--resize: MODE is smooth or nearest, not '" + f[1] + "'");
    return 1;
}

// Reads a whole small file as text; 0 when it cannot be read or is longer than max.
int ReadText(const char* path, size_t max, std::string* text, std::string* error) {
    uint8_t* data;
    size_t size;
    if (!fio_ReadPrefix(path, max + 1, &data, &size)) return Fail(error, std::string("cannot read '") + path + "'");
    text->assign((const char*)data, size);
    std::free(data);
    if (size > max) return Fail(error, std::string("'") + path + "' is longer than " + std::to_string(max) + " bytes");
    return 1;
}

std::string OneLine(const char* text) {
    std::string s = text;
    for (char& c : s)
        if (c == '\n' || c == '\r') c = ' ';
    return s;
}

int ParsePixcode(const char* path, BatchOp* op, std::string* error) {
    std::string text;
    if (!ReadText(path, PIX_TEXT_MAX, &text, error)) return 0;
    auto program = std::make_shared<BopProgram>();
    PixCompileOut out;
    if (!pix_Compile(text.c_str(), program->cells, &program->machine, nullptr, &out)) {
        std::string why = std::string(path) + ": " + OneLine(out.error);
        if (out.badToken[0]) why += std::string(" ('") + out.badToken + "')";
        return Fail(error, why);
    }
    op->kind = BOP_PIXCODE;
    op->program = program;
    return 1;
}

int ParseMatrix(const char* path, BatchOp* op, std::string* error) {
    std::string text;
    if (!ReadText(path, 4096, &text, error)) return 0;
    double m[9];
    int count = 0;
    for (size_t at = 0; at < text.size();) {
        if (std::strchr(" \t\r\n,;", text[at])) {
            at++;
            continue;
        }
        size_t end = at;
        while (end < text.size() && !std::strchr(" \t\r\n,;", text[end])) end++;
        const std::string word = text.substr(at, end - at);
        char* stop;
        const double v = std::strtod(word.c_str(), &stop);
        if (*stop || !std::isfinite(v)) return Fail(error, std::string(path) + ": '" + word + "' is not a number");
        if (count == 9) return Fail(error, std::string(path) + ": more than nine numbers");
        m[count++] = v;
        at = end;
    }
    if (count != 9) return Fail(error, std::string(path) + ": a matrix is nine numbers, row by row");
    const int made = fx_MatrixWeights(m, op->weights);
    if (made == FX_CONV_ZERO_SUM) return Fail(error, std::string(path) + ": the values of the matrix add up to zero");
    if (made != 1) return Fail(error, std::string(path) + ": the values of the matrix are too large or too unequal");
    op->kind = BOP_MATRIX;
    return 1;
}

void Pad(std::string* out, size_t column) {
    const size_t lineStart = out->rfind('\n') + 1;
    out->append(out->size() - lineStart < column ? column - (out->size() - lineStart) : 1, ' ');
}

}  // namespace

int bop_ParseNumber(const char* text, int lo, int hi, int* value) {
    if (!text || !*text || std::strlen(text) > 9) return 0;
    long v = 0;
    for (const char* p = text; *p; p++) {
        if (*p < '0' || *p > '9') return 0;
        v = v * 10 + (*p - '0');
    }
    if (v < lo || v > hi) return 0;
    *value = (int)v;
    return 1;
}

int bop_IsOperation(const char* option) {
    for (const char* o : {"--effect", "--transform", "--pixcode", "--matrix", "--resize", "--reduce256"})
        if (std::strcmp(option, o) == 0) return 1;
    return 0;
}

int bop_Parse(const char* option, const char* arg, BatchOp* op, std::string* error) {
    *op = BatchOp{};
    op->label = arg ? std::string(option) + " " + arg : option;
    if (std::strcmp(option, "--reduce256") == 0) {
        op->kind = BOP_REDUCE256;
        return 1;
    }
    if (!arg) return Fail(error, std::string(option) + " needs a value");
    if (std::strcmp(option, "--effect") == 0) return ParseEffect(arg, op, error);
    if (std::strcmp(option, "--transform") == 0) return ParseTransform(arg, op, error);
    if (std::strcmp(option, "--resize") == 0) return ParseResize(arg, op, error);
    if (std::strcmp(option, "--pixcode") == 0) return ParsePixcode(arg, op, error);
    if (std::strcmp(option, "--matrix") == 0) return ParseMatrix(arg, op, error);
    return Fail(error, std::string("unknown operation ") + option);
}

int bop_Apply(const BatchOp& op, Surface* s, uint32_t colour1, uint32_t colour2) {
    switch (op.kind) {
    case BOP_EFFECT:
        // Some effects need transparent pixels; the check says so.
        return doc_CheckTransparencyFor(op.code, s) && cat_ApplyEffect(s, op.code, op.fx, colour1, colour2);
    case BOP_TRANSFORM:
        // Flipping the image itself gives what the dialog's copy-then-flip gives.
        if (op.code == TFC_FLIP) return tf_Flip(s, tf_EdgeIsVertical(op.tf.edge));
        return cat_ApplyTransform(s, s, op.code, op.tf);
    case BOP_PIXCODE: {
        PixMachine m = op.program->machine;
        return pix_RunPixels(s, op.program->cells, &m);
    }
    case BOP_RESIZE: return srf_Resize(s, op.width, op.height, op.mode);
    case BOP_REDUCE256: return pal_SmartDither(s);
    case BOP_MATRIX: return fx_Convolve(s, op.weights, 3, 0xF) == 1;
    }
    return 0;
}

void bop_AppendHelp(std::string* out) {
    std::string& o = *out;
    o += "Operations, run in the order given:\n"
         "  --effect NAME[:LEVEL[:DISTANCE[:PARAMETER[:CHANNELS]]]]\n"
         "      LEVEL 0..1000 (500), DISTANCE 2..64 (4), PARAMETER 0..255 (0), CHANNELS letters\n"
         "      of rgba (all); an empty field keeps its default. Each effect takes only what\n"
         "      it uses:\n";
    int count;
    const EffectInfo* effects = cat_Effects(&count);
    for (const EffectInfo* r = effects; r < effects + count; r++) {
        o += "      ";
        o += r->key;
        Pad(&o, 24);
        std::string uses;
        for (int i = 0; i < 3; i++)
            if (r->uses & FIELD_USES[i]) uses += std::string(" ") + FIELD_NAMES[i];
        if (r->uses & CAT_USES_CHANNELS) uses += " CHANNELS";
        o += uses.empty() ? "-" : uses.substr(1);
        Pad(&o, 50);
        o += AfterDash(r->caption);
        const unsigned colours = r->uses & (CAT_USES_COLOUR1 | CAT_USES_COLOUR2);
        if (colours) o += colours == CAT_USES_COLOUR1 ? " (colour #1)" : " (colours #1 and #2)";
        o += "\n";
    }
    o += "  --transform NAME[:LEVEL]   LEVEL 0..1000 (500)\n";
    for (const TransformRow& r : TRANSFORMS) {
        o += "      ";
        o += r.name;
        Pad(&o, 28);
        o += AfterDash(cat_TransformCaption(r.code));
        o += ": ";
        o += r.what;
        o += r.usesLevel ? "\n" : " (no LEVEL)\n";
    }
    o += "  --pixcode FILE      runs the Pixcode program of FILE over every pixel\n"
         "  --matrix FILE       3 x 3 convolution; FILE holds nine numbers, row by row\n"
         "  --resize WxH[:MODE] resamples to W x H (each at least 4); MODE smooth (default)\n"
         "                      or nearest\n"
         "  --reduce256         smart dither to an optimised palette of 256 colours\n";
}
