// The shared corpus through the load dispatcher, quiet, with every Windows loader in
// place: files to load load with the stated size (icons at the size the system hands
// out), files to reject are refused, questionable ones may go either way, and the
// kinds beyond this program's readers are refused cleanly. Loaded pixels are compared
// with the reference rendering the index names, decoded by WIC -- and so are those of
// the own BMP reader, which the dispatcher passes over here for the system's.
#include <gtest/gtest.h>
#include <windows.h>
#include <initguid.h>
#include <wincodec.h>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>
#include "platform/sysio.h"
#include "formats/bmp_file.h"
#include "formats/dispatch.h"
#include "settings/settings.h"
#include "support/corpus_index.h"
#include "support/test_surface.h"
#include "support/ui_script.h"

namespace {

const char ROOT[] = "Z:\\work\\shared\\corpus\\";

std::string WinPath(const std::string& rel) {
    std::string p = std::string(ROOT) + rel;
    for (char& c : p)
        if (c == '/') c = '\\';
    return p;
}

bool StartsWith(const std::string& s, const char* head) { return s.rfind(head, 0) == 0; }

bool OfTheseKinds(const std::string& f) {
    for (const char* k : {"BMP", "TGA", "PCX", "PPM", "PGM", "PBM", "ICO", "CUR", "JPEG", "GIF", "WMF"})
        if (StartsWith(f, k)) return true;
    return false;
}

// What the index's scope hints put beyond this program's readers.
bool BeyondScope(const corpus::Row& r) {
    if (StartsWith(r.format, "BMP")) {
        const int bits = std::atoi(r.kind.c_str());
        for (const char* k : {"JPEG", "PNG", "HUFFMAN", "RLE24"})
            if (r.kind.find(k) != std::string::npos) return true;
        return bits == 2 || bits == 64;
    }
    return false;
}

// Icons come as the system's large icon whatever sizes the file holds.
std::string ExpectedSize(const corpus::Row& r) {
    if (StartsWith(r.format, "ICO") || StartsWith(r.format, "CUR")) {
        char s[32];
        std::snprintf(s, sizeof s, "%dx%d", GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
        return s;
    }
    if (StartsWith(r.format, "WMF")) return "";  // stated in metafile units, not pixels
    return r.size;
}

// 8-bit RGBA of a PNG through WIC.
bool DecodePng(const std::string& path, uint32_t* w, uint32_t* h, std::vector<uint8_t>* rgba) {
    IWICImagingFactory* factory = nullptr;
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    IWICFormatConverter* converted = nullptr;
    wchar_t wide[MAX_PATH];
    bool ok = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH) &&
              SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                         IID_IWICImagingFactory, (void**)&factory)) &&
              SUCCEEDED(factory->CreateDecoderFromFilename(wide, nullptr, GENERIC_READ,
                                                           WICDecodeMetadataCacheOnDemand, &decoder)) &&
              SUCCEEDED(decoder->GetFrame(0, &frame)) &&
              SUCCEEDED(factory->CreateFormatConverter(&converted)) &&
              SUCCEEDED(converted->Initialize(frame, GUID_WICPixelFormat32bppRGBA, WICBitmapDitherTypeNone, nullptr,
                                              0.0, WICBitmapPaletteTypeCustom));
    UINT cw = 0, ch = 0;
    if (ok) ok = SUCCEEDED(converted->GetSize(&cw, &ch)) && cw && ch && cw <= 16384 && ch <= 16384;
    if (ok) {
        rgba->assign((size_t)cw * ch * 4, 0);
        ok = SUCCEEDED(converted->CopyPixels(nullptr, cw * 4, (UINT)rgba->size(), rgba->data()));
        *w = cw;
        *h = ch;
    }
    if (converted) converted->Release();
    if (frame) frame->Release();
    if (decoder) decoder->Release();
    if (factory) factory->Release();
    return ok;
}

// Loaders that render at a size of their own (the system's large icon, a metafile
// at screen resolution): a reference of another size is not comparable.
bool RendersItsOwnSize(const corpus::Row& r) {
    return StartsWith(r.format, "ICO") || StartsWith(r.format, "CUR") || StartsWith(r.format, "WMF");
}

// Where a loader the dispatcher hands the file to does otherwise than the index says,
// and why. Listed, counted and printed; anything not listed fails.
const char WIDEN[] = "the system's conversion widens narrow channels by shifting, not by scaling";
const char NO_ALPHA[] = "the system's conversion keeps no alpha from bit-field masks";
const char RLE_SKIP[] = "pixels a run-length file skips come out black from the system's conversion";
const char TGA_ATTR[] = "the TGA attribute bit becomes alpha; the reference ignores it";
const char TGA_MIRROR[] = "right-to-left TGA rows are not mirrored";
const std::map<std::string, std::string> KNOWN = {
    {"bmpsuite/g/rgb16-565.bmp", WIDEN},       {"bmpsuite/g/rgb16-565pal.bmp", WIDEN},
    {"bmpsuite/g/rgb16.bmp", WIDEN},           {"bmpsuite/g/rgb16bfdef.bmp", WIDEN},
    {"bmpsuite/q/rgb16-231.bmp", WIDEN},       {"bmpsuite/q/rgb16-3103.bmp", WIDEN},
    {"bmpsuite/q/rgb16faketrns.bmp", WIDEN},   {"bmpsuite/q/rgba16-1924.bmp", WIDEN},
    {"bmpsuite/q/rgba16-5551.bmp", WIDEN},     {"bmpsuite/q/rgba32-1010102.bmp", WIDEN},
    {"image-rs/bmp/V4_R5_G6_B5.bmp", WIDEN},   {"image-rs/bmp/V5_A1_R5_G5_B5.bmp", WIDEN},
    {"bmpsuite/q/rgba16-4444.bmp", NO_ALPHA},  {"bmpsuite/q/rgba32-2.bmp", NO_ALPHA},
    {"bmpsuite/q/rgba32-61754.bmp", NO_ALPHA}, {"bmpsuite/q/rgba32-81284.bmp", NO_ALPHA},
    {"bmpsuite/q/rgba32h56.bmp", NO_ALPHA},
    {"bmpsuite/q/pal4rlecut.bmp", RLE_SKIP},   {"bmpsuite/q/pal4rletrns.bmp", RLE_SKIP},
    {"bmpsuite/q/pal8rlecut.bmp", RLE_SKIP},   {"bmpsuite/q/pal8rletrns.bmp", RLE_SKIP},
    {"image-rs/ico/bmp_v5_with_icc.ico", "the system's icon extractor refuses this entry"},
    {"image-rs/ico/bmp-24bpp-mask.ico", "the icon's mask does not become the reference's alpha"},
    {"image-rs/ico/png_rgb8.ico", "red and blue come out swapped for this PNG-compressed icon"},
    {"image-rs/tga/testsuite/b5-attrib.tga", TGA_ATTR},
    {"image-rs/tga/testsuite/bottom_right.tga", TGA_MIRROR},
    {"image-rs/tga/testsuite/top_right.tga", TGA_MIRROR},
};
// The own BMP reader takes 16-bit pixels as 5-5-5 and 32-bit ones as stored, whatever
// the bit-field masks say.
const std::set<std::string> OWN_BMP_KNOWN = {
    "bmpsuite/g/rgb16-565.bmp", "bmpsuite/g/rgb16-565pal.bmp", "bmpsuite/q/rgb16-231.bmp", "bmpsuite/q/rgb16-3103.bmp",
    "bmpsuite/q/rgba16-1924.bmp", "bmpsuite/q/rgba16-4444.bmp", "bmpsuite/q/rgba16-5551.bmp",
    "image-rs/bmp/V3_R5_G6_B5.bmp", "image-rs/bmp/V3_R5_G6_B5_Top_Down.bmp", "image-rs/bmp/V4_R5_G6_B5.bmp",
    "image-rs/bmp/V3_X4_R4_G4_B4.bmp", "image-rs/bmp/V3_X4_R4_G4_B4_Top_Down.bmp", "image-rs/bmp/V5_A1_R5_G5_B5.bmp",
    "bmpsuite/g/rgb32bf.bmp", "bmpsuite/q/rgb32-7187.bmp", "bmpsuite/q/rgba32-1010102.bmp", "bmpsuite/q/rgba32-2.bmp",
    "bmpsuite/q/rgba32-61754.bmp", "bmpsuite/q/rgba32-81284.bmp", "bmpsuite/q/rgba32h56.bmp",
    "image-rs/bmp/V3_X8_R8_G8_B8.bmp", "image-rs/bmp/V3_X8_R8_G8_B8_Top_Down.bmp"};

}  // namespace

TEST(CorpusDispatch, EveryFileOfTheseKindsThroughTheDispatcher) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    SettingsRecord saved = g_settings;
    g_settings.autoDetectAlpha = 0;  // pixels as the loaders give them
    uiscript_Reset();
    int loaded = 0, refused = 0, expected = 0, beyond = 0, compared = 0, matched = 0, known = 0, ownCompared = 0;
    const std::vector<corpus::Row> rows = corpus::Rows(ROOT);
    const auto listed = corpus::ListedReferences(rows);
    for (const corpus::Row& r : rows) {
        if (!OfTheseKinds(r.format) || (r.expect != "load" && r.expect != "reject" && r.expect != "questionable"))
            continue;
        const auto k = KNOWN.find(r.path);
        std::string differs;  // what this file does otherwise than the index says
        char path[KV_MAX_PATH];
        std::snprintf(path, sizeof path, "%s", WinPath(r.path).c_str());
        Surface s{};
        ImageFileInfo info{};
        info.quiet = 1;
        const int ok = img_LoadFile(&s, path, &info);
        char got[32] = "";
        const std::string ref = corpus::ReferenceOf(ROOT, r, listed);
        uint32_t rw = 0, rh = 0;
        std::vector<uint8_t> rgba;
        const bool haveRef = !ref.empty() && DecodePng(WinPath(ref), &rw, &rh, &rgba);
        Surface own{};
        ImageFileInfo ownInfo{};
        ownInfo.quiet = 1;
        if (haveRef && StartsWith(r.format, "BMP") && bmp_Load(&own, path, &ownInfo)) {
            const std::string why = corpus::Mismatch(WordsOf(&own), own.width, own.height, rgba, rw, rh, ref);
            ownCompared++;
            if (!why.empty() && !OWN_BMP_KNOWN.count(r.path)) ADD_FAILURE() << "own reader, " << r.path << ": " << why;
            srf_Destroy(&own);
        }
        if (ok) {
            loaded++;
            std::snprintf(got, sizeof got, "%ux%u", s.width, s.height);
            if (haveRef && !(RendersItsOwnSize(r) && (rw != s.width || rh != s.height))) {
                compared++;
                const std::string why = corpus::Mismatch(WordsOf(&s), s.width, s.height, rgba, rw, rh, ref);
                if (why.empty()) matched++;
                else differs = why;
            }
            srf_Destroy(&s);
        } else {
            EXPECT_FALSE(s.created) << r.path;
            refused++;
        }
        const bool out = BeyondScope(r);
        if (r.expect == "load" && out) {
            beyond++;
            if (ok) differs = "loaded although beyond this program's readers";
        } else if (r.expect == "load") {
            const std::string size = ExpectedSize(r);
            if (!ok) differs = "refused";
            else if (!size.empty() && size != got) differs = std::string("loaded as ") + got + ", not " + size;
        } else if (r.expect == "reject" && ok) {
            differs = "loaded although invalid";
        }
        if (!differs.empty() && k != KNOWN.end()) {
            known++;
            std::printf("  known: %s (%s): %s\n", r.path.c_str(), differs.c_str(), k->second.c_str());
        } else if (!differs.empty()) {
            ADD_FAILURE() << r.path << ": " << differs;
        } else if (k != KNOWN.end()) {
            std::printf("  now as the index says: %s\n", r.path.c_str());
        }
        if (r.expect == "questionable" || ok == (r.expect == "load" && !out)) expected++;
    }
    std::printf("corpus through the dispatcher: loaded %d / refused %d / expected %d (of them %d refused as "
                "beyond these readers); known differences %d\n", loaded, refused, expected, beyond, known);
    std::printf("  reference renderings (WIC): compared %d / matched %d; own BMP reader compared %d\n", compared,
                matched, ownCompared);
    EXPECT_TRUE(uiscript_Boxes().empty());  // quiet: nothing asked
    EXPECT_GT(loaded, 0);
    EXPECT_GT(compared, 0);
    EXPECT_GT(ownCompared, 0);
    g_settings = saved;
    CoUninitialize();
}
