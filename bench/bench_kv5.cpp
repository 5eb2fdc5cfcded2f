// kvbench_kv5: KV5 save and load beside PNG (libpng, zlib levels 6 and 9) on real
// images, all memory to memory and in the same run. Throughput is MB/s of raw 32-bit
// pixels over the process's CPU time (user + system, so page faults count and other
// jobs on a shared machine do not); size is bytes per pixel. The ratios at the end
// are the figures we quote.
//   kvbench_kv5 [folder with .png files [name filter]]   (default: the shared benchmark photos)
#include <png.h>
#include <algorithm>
#include <time.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>
#include "engine/blit.h"
#include "engine/surface.h"
#include "formats/kv5_file.h"

namespace {

const char DEFAULT_FOLDER[] = "/work/shared/corpus/bench-photos";
// Large images are timed once, small ones best of a few runs; zlib level 9 is left
// out on the largest image (it alone would take most of a minute).
const size_t ONE_SHOT_BYTES = 4u << 20;
const size_t NO_LEVEL9_BYTES = 32u << 20;

double Now() {
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return (double)t.tv_sec + (double)t.tv_nsec * 1e-9;
}

struct Image {
    std::string name;
    Surface s{};
    bool alpha = false;
};

// PNG into a surface: BGRA in memory, opacity turned into translucency.
bool LoadPng(const std::string& path, Image* img) {
    png_image pi;
    std::memset(&pi, 0, sizeof pi);
    pi.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&pi, path.c_str())) return false;
    pi.format = PNG_FORMAT_BGRA;
    srf_Create(pi.width, pi.height, &img->s);
    uint32_t* px = srf_Lock(&img->s);
    if (!px || !png_image_finish_read(&pi, nullptr, px, (png_int_32)(img->s.stride * 4), nullptr)) return false;
    for (size_t i = 0; i < (size_t)pi.width * pi.height; i++) {
        px[i] ^= 0xFF000000u;
        img->alpha |= (px[i] >> 24) != 0;
    }
    srf_Unlock(&img->s);
    return true;
}

struct MemSink {
    std::vector<uint8_t> bytes;
};
void WriteToSink(png_structp png, png_bytep data, png_size_t n) {
    auto* sink = (MemSink*)png_get_io_ptr(png);
    sink->bytes.insert(sink->bytes.end(), data, data + n);
}
void FlushNothing(png_structp) {}

struct MemSource {
    const uint8_t* p;
    size_t left;
};
void ReadFromSource(png_structp png, png_bytep out, png_size_t n) {
    auto* src = (MemSource*)png_get_io_ptr(png);
    if (n > src->left) png_error(png, "short");
    std::memcpy(out, src->p, n);
    src->p += n;
    src->left -= n;
}

std::vector<png_bytep> Rows(Surface* s) {
    std::vector<png_bytep> rows(s->height);
    for (uint32_t y = 0; y < s->height; y++) rows[y] = (png_bytep)(s->pixels + (size_t)y * s->stride);
    return rows;
}

// RGB when opaque, RGBA (alpha inverted back to opacity) otherwise; default filters.
std::vector<uint8_t> SavePng(Image* img, int level) {
    MemSink sink;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &sink, WriteToSink, FlushNothing);
    png_set_compression_level(png, level);
    png_set_IHDR(png, info, img->s.width, img->s.height, 8,
                 img->alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_set_bgr(png);
    if (img->alpha) png_set_invert_alpha(png);
    else png_set_filler(png, 0, PNG_FILLER_AFTER);
    srf_Lock(&img->s);
    std::vector<png_bytep> rows = Rows(&img->s);
    png_write_image(png, rows.data());
    srf_Unlock(&img->s);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return sink.bytes;
}

bool LoadPngMemory(const std::vector<uint8_t>& file, Surface* out) {
    MemSource src{file.data(), file.size()};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &src, ReadFromSource);
    png_read_info(png, info);
    png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
    png_set_bgr(png);
    if (png_get_color_type(png, info) & PNG_COLOR_MASK_ALPHA) png_set_invert_alpha(png);
    else png_set_filler(png, 0, PNG_FILLER_AFTER);
    // A loader hands back a new surface each time, as kv5_LoadBytes does.
    if (out->created) srf_Destroy(out);
    srf_Create(w, h, out);
    srf_Lock(out);
    std::vector<png_bytep> rows = Rows(out);
    png_read_image(png, rows.data());
    srf_Unlock(out);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

struct Figure {
    double saveMBs = 0, loadMBs = 0, bytesPerPixel = 0;
    bool exact = false;
};

template <class Fn>
double BestTime(size_t rawBytes, Fn fn) {
    int reps = rawBytes >= ONE_SHOT_BYTES ? 1 : 3;
    double best = 1e30;
    for (int r = 0; r < reps; r++) {
        double t0 = Now();
        fn();
        best = std::min(best, Now() - t0);
    }
    return best;
}

bool Same(Surface* a, Surface* b) {
    if (a->width != b->width || a->height != b->height) return false;
    uint32_t* pa = srf_Lock(a);
    uint32_t* pb = srf_Lock(b);
    bool same = true;
    for (uint32_t y = 0; same && y < a->height; y++)
        same = std::memcmp(pa + (size_t)y * a->stride, pb + (size_t)y * b->stride, a->width * 4) == 0;
    srf_Unlock(a);
    srf_Unlock(b);
    return same;
}

Figure MeasureKv5(Image* img, int level, std::string* codecs) {
    Kv5SaveOptions options{};  // no password, no author tag
    options.level = level;
    const double raw = (double)img->s.width * img->s.height * 4;
    std::vector<uint8_t> file;
    double ts = BestTime((size_t)raw, [&] {
        Kv5Encoded e;
        if (!kv5_SaveBytes(&img->s, &options, &e)) return;
        file.assign(e.head, e.head + e.headSize);
        file.insert(file.end(), e.stream, e.stream + e.streamSize);
        kv5_FreeEncoded(&e);
    });
    codecs->clear();
    for (int i = 0; i < 15 && file.size() > 44 && file[28 + i]; i++)
        *codecs += (codecs->empty() ? "" : ",") + std::to_string(file[28 + i]);
    Surface back{};
    double tl = BestTime((size_t)raw, [&] { kv5_LoadBytes(&back, file.data(), file.size(), nullptr); });
    Figure f{raw / ts / 1e6, raw / tl / 1e6, (double)file.size() / (raw / 4), Same(&back, &img->s)};
    srf_Destroy(&back);
    return f;
}

Figure MeasurePng(Image* img, int level) {
    const double raw = (double)img->s.width * img->s.height * 4;
    std::vector<uint8_t> file;
    double ts = BestTime((size_t)raw, [&] { file = SavePng(img, level); });
    Surface back{};
    double tl = BestTime((size_t)raw, [&] { LoadPngMemory(file, &back); });
    Figure f{raw / ts / 1e6, raw / tl / 1e6, (double)file.size() / (raw / 4), Same(&back, &img->s)};
    srf_Destroy(&back);
    return f;
}

}  // namespace

int main(int argc, char** argv) {
    std::string folder = argc > 1 ? argv[1] : DEFAULT_FOLDER;
    std::vector<std::string> paths;
    std::error_code ec;
    for (auto& e : std::filesystem::directory_iterator(folder, ec))
        if (e.path().extension() == ".png" &&
            (argc < 3 || e.path().filename().string().find(argv[2]) != std::string::npos))
            paths.push_back(e.path().string());
    std::sort(paths.begin(), paths.end());
    if (paths.empty()) {
        std::fprintf(stderr, "no .png files in %s\n", folder.c_str());
        return 1;
    }
    std::vector<Image> images;
    for (const std::string& p : paths) {
        Image img;
        img.name = std::filesystem::path(p).stem().string();
        if (LoadPng(p, &img)) images.push_back(img);
        else std::fprintf(stderr, "cannot read %s\n", p.c_str());
    }
    // A 4096 x 4096 photograph-like image: the first photo scaled up bilinearly.
    for (const Image& src : images)
        if (src.name.rfind("photo", 0) == 0) {
            Image big;
            big.name = src.name + "_4096";
            srf_Create(4096, 4096, &big.s);
            Surface from = src.s;
            blt_CopySmooth(&big.s, 0, 0, 4095, 4095, &from, 0, 0, (int)src.s.width - 1, (int)src.s.height - 1, 0);
            images.push_back(big);
            break;
        }

    std::printf("KV5 beside PNG (libpng %s), memory to memory; MB/s of raw 32-bit pixels per CPU second\n",
                PNG_LIBPNG_VER_STRING);
    std::printf("%-28s %-10s %-7s %9s %9s %7s  %s\n", "image", "size", "codec", "save MB/s", "load MB/s", "B/px", "codec list / exact");
    double sumSave = 0, sumLoad = 0, sumSize = 0;
    int count = 0;
    for (Image& img : images) {
        char size[32];
        std::snprintf(size, sizeof size, "%ux%u", img.s.width, img.s.height);
        Figure kv[4];
        for (int level = 1; level <= 3; level++) {
            std::string codecs;
            kv[level] = MeasureKv5(&img, level, &codecs);
            std::printf("%-28s %-10s KV5 L%d %9.1f %9.1f %7.3f  (%s)%s\n", img.name.c_str(), size, level,
                        kv[level].saveMBs, kv[level].loadMBs, kv[level].bytesPerPixel, codecs.c_str(),
                        kv[level].exact ? "" : " NOT EXACT");
        }
        const bool level9 = (size_t)img.s.width * img.s.height * 4 < NO_LEVEL9_BYTES;
        Figure png[2] = {MeasurePng(&img, 6), level9 ? MeasurePng(&img, 9) : Figure{}};
        for (int i = 0; i < (level9 ? 2 : 1); i++)
            std::printf("%-28s %-10s PNG z%d %9.1f %9.1f %7.3f %s\n", img.name.c_str(), size, i ? 9 : 6,
                        png[i].saveMBs, png[i].loadMBs, png[i].bytesPerPixel, png[i].exact ? "" : " NOT EXACT");
        double rs = kv[2].saveMBs / png[0].saveMBs, rl = kv[2].loadMBs / png[0].loadMBs;
        double rz = kv[2].bytesPerPixel / png[0].bytesPerPixel;
        std::printf("%-28s ratios KV5 L2 / PNG z6: save %.2fx  load %.2fx  size %.2fx\n\n", img.name.c_str(), rs, rl, rz);
        sumSave += rs;
        sumLoad += rl;
        sumSize += rz;
        count++;
        srf_Destroy(&img.s);
    }
    std::printf("mean over %d images, KV5 L2 / PNG z6: save %.2fx  load %.2fx  size %.2fx\n", count,
                sumSave / count, sumLoad / count, sumSize / count);
    return 0;
}
