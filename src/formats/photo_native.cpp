// photo_native.cpp — PNG and JPEG through libpng and libjpeg-turbo (photo_native.h).
//
// Both libraries report errors by longjmp. Each setjmp lives in a small function
// whose state is all in a job record of its caller, so nothing it changed is lost
// when the jump lands, and the caller releases whatever the job holds.
#include "formats/photo_native.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <png.h>
#include <jpeglib.h>
#include <jerror.h>
#include "platform/refusal.h"

namespace {

const uint8_t PNG_SIGNATURE[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
const uint8_t JPEG_SIGNATURE[3] = {0xFF, 0xD8, 0xFF};
// Working memory a JPEG may claim (progressive files keep every coefficient).
const long JPEG_MAX_MEMORY = 512L << 20;

void ComplementAlpha(Surface* s) {
    for (uint32_t y = 0; y < s->height; y++) {
        uint32_t* row = s->pixels + (size_t)y * s->stride;
        for (uint32_t x = 0; x < s->width; x++) row[x] ^= 0xFF000000u;
    }
}

int Accept(Surface* out, Surface* made, ImageFileInfo* info) {
    if (info) {
        info->width = made->width;
        info->height = made->height;
        info->isProtected = 0;
    }
    srf_Install(out, made);
    return 1;
}

// ---- PNG ----

struct PngBytes {
    const uint8_t* at;
    size_t left;
};

void PngRead(png_structp png, png_bytep out, size_t n) {
    PngBytes* in = (PngBytes*)png_get_io_ptr(png);
    if (n > in->left) png_error(png, "cut");
    std::memcpy(out, in->at, n);
    in->at += n;
    in->left -= n;
}

void PngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void PngWarning(png_structp, png_const_charp) {}

struct PngJob {
    png_structp png;
    png_infop info;
    PngBytes in;
    Surface made;
    png_bytep* rows;
    const char* reason;
};

int DecodePng(PngJob* j) {
    if (setjmp(png_jmpbuf(j->png))) return 0;
    png_set_read_fn(j->png, &j->in, PngRead);
    png_set_user_limits(j->png, SRF_MAX_SIDE, SRF_MAX_SIDE);
    png_read_info(j->png, j->info);
    const uint32_t w = png_get_image_width(j->png, j->info), h = png_get_image_height(j->png, j->info);
    size_t pixels;
    if (!srf_SizeAccepted(w, h, &pixels)) {
        j->reason = "size not held";
        return 0;
    }
    // Every colour type and depth as 8-bit B, G, R, opacity.
    png_set_expand(j->png);
    png_set_scale_16(j->png);
    png_set_gray_to_rgb(j->png);
    png_set_bgr(j->png);
    png_set_filler(j->png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(j->png);
    png_read_update_info(j->png, j->info);
    if (png_get_rowbytes(j->png, j->info) != (size_t)w * 4) {
        j->reason = "unexpected png layout";
        return 0;
    }
    if (!srf_CreateExact(w, h, &j->made)) {
        j->reason = "out of memory";
        return 0;
    }
    j->rows = (png_bytep*)std::malloc(sizeof(png_bytep) * h);
    if (!j->rows) {
        j->reason = "out of memory";
        return 0;
    }
    for (uint32_t y = 0; y < h; y++) j->rows[y] = (png_bytep)(j->made.pixels + (size_t)y * j->made.stride);
    png_read_image(j->png, j->rows);
    return 1;
}

// ---- JPEG ----

struct JpegError {
    jpeg_error_mgr mgr;
    jmp_buf jump;
    int cut;
};

void JpegExit(j_common_ptr c) { longjmp(((JpegError*)c->err)->jump, 1); }

void JpegMessage(j_common_ptr c, int level) {
    if (level < 0 && c->err->msg_code == JWRN_JPEG_EOF) ((JpegError*)c->err)->cut = 1;
}

// A progressive file may announce scan after scan that each cost a pass over the image.
void JpegProgress(j_common_ptr c) {
    if (c->is_decompressor && ((j_decompress_ptr)c)->input_scan_number > PHOTO_MAX_SCANS) JpegExit(c);
}

struct JpegJob {
    jpeg_decompress_struct cinfo;
    JpegError err;
    jpeg_progress_mgr progress;
    Surface made;
    uint8_t* cmykRow;
    const char* reason;
};

// CMYK samples as libjpeg hands them over (inverted when the Adobe marker says so).
void CmykToBgr(const uint8_t* cmyk, uint32_t* row, uint32_t w, int inverted) {
    for (uint32_t x = 0; x < w; x++) {
        uint32_t c = cmyk[4 * x], m = cmyk[4 * x + 1], y = cmyk[4 * x + 2], k = cmyk[4 * x + 3];
        if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
        row[x] = (c * k + 127) / 255 << 16 | (m * k + 127) / 255 << 8 | (y * k + 127) / 255;
    }
}

int DecodeJpeg(JpegJob* j, const uint8_t* data, size_t size) {
    j->cinfo.err = jpeg_std_error(&j->err.mgr);
    j->err.mgr.error_exit = JpegExit;
    j->err.mgr.emit_message = JpegMessage;
    if (setjmp(j->err.jump)) return 0;
    jpeg_create_decompress(&j->cinfo);
    j->cinfo.mem->max_memory_to_use = JPEG_MAX_MEMORY;
    j->progress.progress_monitor = JpegProgress;
    j->cinfo.progress = &j->progress;
    jpeg_mem_src(&j->cinfo, data, (unsigned long)size);
    if (jpeg_read_header(&j->cinfo, TRUE) != JPEG_HEADER_OK || j->err.cut) {
        j->reason = "jpeg without image";
        return 0;
    }
    size_t pixels;
    if (!srf_SizeAccepted(j->cinfo.image_width, j->cinfo.image_height, &pixels)) {
        j->reason = "size not held";
        return 0;
    }
    const int cmyk = j->cinfo.jpeg_color_space == JCS_CMYK || j->cinfo.jpeg_color_space == JCS_YCCK;
    j->cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRX;
    jpeg_start_decompress(&j->cinfo);
    const uint32_t w = j->cinfo.output_width, h = j->cinfo.output_height;
    if (j->cinfo.output_components != 4 || w != j->cinfo.image_width || h != j->cinfo.image_height) {
        j->reason = "unexpected jpeg layout";
        return 0;
    }
    if (!srf_CreateExact(w, h, &j->made) || (cmyk && !(j->cmykRow = (uint8_t*)std::malloc((size_t)w * 4)))) {
        j->reason = "out of memory";
        return 0;
    }
    while (j->cinfo.output_scanline < h) {
        uint32_t* row = j->made.pixels + (size_t)j->cinfo.output_scanline * j->made.stride;
        JSAMPROW target = cmyk ? j->cmykRow : (JSAMPROW)row;
        if (jpeg_read_scanlines(&j->cinfo, &target, 1) != 1) break;
        if (cmyk) CmykToBgr(j->cmykRow, row, w, j->cinfo.saw_Adobe_marker);
    }
    if (j->cinfo.output_scanline < h || j->err.cut) {
        j->reason = "jpeg cut short";
        return 0;
    }
    jpeg_finish_decompress(&j->cinfo);
    return 1;
}

// ---- writers ----

struct PngOut {
    uint8_t* data;
    size_t size, room;
};

void PngWrite(png_structp png, png_bytep bytes, size_t n) {
    PngOut* o = (PngOut*)png_get_io_ptr(png);
    if (n > o->room - o->size) {
        size_t room = o->room ? o->room : 64 * 1024;
        while (room - o->size < n) {
            if (room > SIZE_MAX / 2) png_error(png, "too large");
            room *= 2;
        }
        uint8_t* grown = (uint8_t*)std::realloc(o->data, room);
        if (!grown) png_error(png, "out of memory");
        o->data = grown;
        o->room = room;
    }
    std::memcpy(o->data + o->size, bytes, n);
    o->size += n;
}

void PngFlush(png_structp) {}

struct PngWriteJob {
    png_structp png;
    png_infop info;
    PngOut out;
    uint32_t* row;  // a translucent image's row with opacity for translucency
};

int EncodePng(PngWriteJob* j, const Surface* s, int translucent) {
    if (setjmp(png_jmpbuf(j->png))) return 0;
    png_set_write_fn(j->png, &j->out, PngWrite, PngFlush);
    png_set_IHDR(j->png, j->info, s->width, s->height, 8, translucent ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(j->png, j->info);
    png_set_bgr(j->png);
    if (!translucent) png_set_filler(j->png, 0, PNG_FILLER_AFTER);
    for (uint32_t y = 0; y < s->height; y++) {
        const uint32_t* src = s->pixels + (size_t)y * s->stride;
        if (translucent)
            for (uint32_t x = 0; x < s->width; x++) j->row[x] = src[x] ^ 0xFF000000u;
        png_write_row(j->png, (png_const_bytep)(translucent ? j->row : src));
    }
    png_write_end(j->png, j->info);
    return 1;
}

struct JpegWriteJob {
    jpeg_compress_struct cinfo;
    JpegError err;
    unsigned char* data;
    unsigned long size;
};

int EncodeJpeg(JpegWriteJob* j, const Surface* s, int quality) {
    j->cinfo.err = jpeg_std_error(&j->err.mgr);
    j->err.mgr.error_exit = JpegExit;
    if (setjmp(j->err.jump)) return 0;
    jpeg_create_compress(&j->cinfo);
    jpeg_mem_dest(&j->cinfo, &j->data, &j->size);
    j->cinfo.image_width = s->width;
    j->cinfo.image_height = s->height;
    j->cinfo.input_components = 4;
    j->cinfo.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&j->cinfo);
    jpeg_set_quality(&j->cinfo, quality, TRUE);
    jpeg_start_compress(&j->cinfo, TRUE);
    while (j->cinfo.next_scanline < s->height) {
        JSAMPROW row = (JSAMPROW)(s->pixels + (size_t)j->cinfo.next_scanline * s->stride);
        jpeg_write_scanlines(&j->cinfo, &row, 1);
    }
    jpeg_finish_compress(&j->cinfo);
    return 1;
}

int Translucent(const Surface* s) {
    for (uint32_t y = 0; y < s->height; y++) {
        const uint32_t* row = s->pixels + (size_t)y * s->stride;
        for (uint32_t x = 0; x < s->width; x++)
            if (row[x] >> 24) return 1;
    }
    return 0;
}

}  // namespace

int photo_IsPng(const uint8_t* data, size_t size) {
    return size >= sizeof PNG_SIGNATURE && std::memcmp(data, PNG_SIGNATURE, sizeof PNG_SIGNATURE) == 0;
}

int photo_IsJpeg(const uint8_t* data, size_t size) {
    return size >= sizeof JPEG_SIGNATURE && std::memcmp(data, JPEG_SIGNATURE, sizeof JPEG_SIGNATURE) == 0;
}

int photo_LoadPngBytes(Surface* out, const uint8_t* data, size_t size, ImageFileInfo* info) {
    if (!photo_IsPng(data, size)) return refuse_With("not a png file");
    PngJob j;
    std::memset(&j, 0, sizeof j);
    j.in = {data, size};
    j.reason = "broken png";
    j.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
    j.info = j.png ? png_create_info_struct(j.png) : nullptr;
    const int ok = j.info && DecodePng(&j);
    if (j.png) png_destroy_read_struct(&j.png, j.info ? &j.info : nullptr, nullptr);
    std::free(j.rows);
    if (!ok) {
        if (j.made.created) srf_Destroy(&j.made);
        return refuse_With(j.info ? j.reason : "out of memory");
    }
    ComplementAlpha(&j.made);
    return Accept(out, &j.made, info);
}

int photo_LoadJpegBytes(Surface* out, const uint8_t* data, size_t size, ImageFileInfo* info) {
    if (!photo_IsJpeg(data, size)) return refuse_With("not a jpeg file");
    JpegJob* j = (JpegJob*)std::calloc(1, sizeof(JpegJob));
    if (!j) return refuse_With("out of memory");
    j->reason = "broken jpeg";
    const int ok = DecodeJpeg(j, data, size);
    jpeg_destroy_decompress(&j->cinfo);
    std::free(j->cmykRow);
    Surface made = j->made;
    const char* reason = j->reason;
    std::free(j);
    if (!ok) {
        if (made.created) srf_Destroy(&made);
        return refuse_With(reason);
    }
    // The deconverter fills the fourth byte with 0xFF: JPEG has no transparency.
    for (uint32_t y = 0; y < made.height; y++) {
        uint32_t* row = made.pixels + (size_t)y * made.stride;
        for (uint32_t x = 0; x < made.width; x++) row[x] &= 0x00FFFFFFu;
    }
    return Accept(out, &made, info);
}

int photo_LoadBytes(Surface* out, const uint8_t* data, size_t size, ImageFileInfo* info) {
    if (photo_IsPng(data, size)) return photo_LoadPngBytes(out, data, size, info);
    if (photo_IsJpeg(data, size)) return photo_LoadJpegBytes(out, data, size, info);
    return refuse_With("neither png nor jpeg");
}

int photo_SavePngBytes(Surface* s, uint8_t** data, size_t* size) {
    *data = nullptr;
    *size = 0;
    if (!s || !srf_Lock(s)) return refuse_With("surface not valid");
    PngWriteJob j;
    std::memset(&j, 0, sizeof j);
    const int translucent = Translucent(s);
    j.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
    j.info = j.png ? png_create_info_struct(j.png) : nullptr;
    j.row = translucent ? (uint32_t*)std::malloc((size_t)s->width * 4) : nullptr;
    const int ok = j.info && (!translucent || j.row) && EncodePng(&j, s, translucent);
    if (j.png) png_destroy_write_struct(&j.png, j.info ? &j.info : nullptr);
    std::free(j.row);
    srf_Unlock(s);
    if (!ok) {
        std::free(j.out.data);
        return refuse_With("png encoding failed");
    }
    *data = j.out.data;
    *size = j.out.size;
    return 1;
}

int photo_SaveJpegBytes(Surface* s, int quality, uint8_t** data, size_t* size) {
    *data = nullptr;
    *size = 0;
    if (!s || !srf_Lock(s)) return refuse_With("surface not valid");
    JpegWriteJob* j = (JpegWriteJob*)std::calloc(1, sizeof(JpegWriteJob));
    const int ok = j && EncodeJpeg(j, s, quality < 1 ? 1 : quality > 100 ? 100 : quality);
    srf_Unlock(s);
    if (!j) return refuse_With("out of memory");
    jpeg_destroy_compress(&j->cinfo);
    if (ok) {
        *data = j->data;
        *size = j->size;
    } else {
        std::free(j->data);
    }
    std::free(j);
    return ok ? 1 : refuse_With("jpeg encoding failed");
}
