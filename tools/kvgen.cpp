// kvgen.cpp — draws the program's bitmaps, cursors and icons at build time.
//
// Every picture is drawn with the engine's own shapes (or, for the small font of
// the logos, from text pixel maps), so a person changes a picture by editing this
// file. Writes 24-bit BMP, .cur and .ico files into the folder given as argument
// and a resource script "kv_generated.rc" that names them by resource id.
// Usage: kvgen <output folder>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cmath>
#include <string>
#include <vector>
#include "engine/blit.h"
#include "engine/engine.h"
#include "engine/shape.h"
#include "engine/surface.h"
#include "kvfont.h"

static std::string g_out;
static std::string g_rc;

// Colours as pixel words 0x00RRGGBB (opaque).
const uint32_t BG = 0x00D7D7EF;   // the window background (made transparent at load)
const uint32_t INK = 0x00202040;
const uint32_t WHITE = 0x00FFFFFF;

struct Canvas {
    Surface s;
    uint32_t* p;
    int w, h;
};

static void cv_Open(Canvas* c, int w, int h, uint32_t fill) {
    std::memset(&c->s, 0, sizeof c->s);
    srf_Create(w, h, &c->s);
    c->p = srf_Lock(&c->s);
    c->w = w;
    c->h = h;
    drw_FillRect(&c->s, 0, 0, w - 1, h - 1, fill);
}

static void cv_Close(Canvas* c) {
    srf_Unlock(&c->s);
    srf_Destroy(&c->s);
}

static uint32_t cv_Get(Canvas* c, int x, int y) { return c->p[y * c->s.stride + x]; }
static void cv_Set(Canvas* c, int x, int y, uint32_t v) {
    if (x >= 0 && y >= 0 && x < c->w && y < c->h) c->p[y * c->s.stride + x] = v;
}

static void put16(std::vector<uint8_t>& b, unsigned v) { b.push_back(v & 255); b.push_back((v >> 8) & 255); }
static void put32(std::vector<uint8_t>& b, unsigned v) { put16(b, v & 0xFFFF); put16(b, v >> 16); }

static void write_file(const std::string& name, const std::vector<uint8_t>& data) {
    std::string path = g_out + "/" + name;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(data.data(), 1, data.size(), f) != data.size()) {
        std::fprintf(stderr, "kvgen: cannot write %s\n", path.c_str());
        std::exit(1);
    }
    std::fclose(f);
}

// 24-bit bottom-up BMP of a canvas region.
static void save_bmp(Canvas* c, const char* name, const char* id) {
    int row = (c->w * 3 + 3) & ~3;
    std::vector<uint8_t> b;
    b.push_back('B'); b.push_back('M');
    put32(b, 54 + row * c->h); put32(b, 0); put32(b, 54);
    put32(b, 40); put32(b, c->w); put32(b, c->h); put16(b, 1); put16(b, 24);
    put32(b, 0); put32(b, row * c->h); put32(b, 2835); put32(b, 2835); put32(b, 0); put32(b, 0);
    for (int y = c->h - 1; y >= 0; y--) {
        int n = 0;
        for (int x = 0; x < c->w; x++, n += 3) {
            uint32_t v = cv_Get(c, x, y);
            b.push_back(v & 255); b.push_back((v >> 8) & 255); b.push_back((v >> 16) & 255);
        }
        for (; n < row; n++) b.push_back(0);
    }
    write_file(name, b);
    g_rc += std::string(id) + " BITMAP \"" + g_out + "/" + name + "\"\n";
}

// Pixels of a canvas with the alpha byte 0xFF are "transparent" in icons and cursors.
const uint32_t CLEAR = 0xFF000000;

// The image of one icon or cursor entry: its header, the colour plane (32-bit for
// icons, monochrome for cursors) and the AND mask, rows bottom-up.
static std::vector<uint8_t> icon_image(Canvas* c, int cursor) {
    int n = c->w;
    int maskRow = ((n + 31) / 32) * 4;
    int colourBytes = cursor ? maskRow * n : n * n * 4;
    std::vector<uint8_t> b;
    put32(b, 40); put32(b, n); put32(b, n * 2); put16(b, 1); put16(b, cursor ? 1 : 32);
    put32(b, 0); put32(b, colourBytes + maskRow * n); put32(b, 0); put32(b, 0); put32(b, 0); put32(b, 0);
    if (cursor) {
        put32(b, 0); put32(b, 0x00FFFFFF);
        // XOR plane: 1 = white where the AND mask is 0.
        for (int y = n - 1; y >= 0; y--)
            for (int x = 0; x < maskRow * 8; x += 8) {
                uint8_t v = 0;
                for (int k = 0; k < 8; k++) {
                    uint32_t px = x + k < n ? cv_Get(c, x + k, y) : CLEAR;
                    if (px != CLEAR && (px & 0xFFFFFF) > 0x808080) v |= 0x80 >> k;
                }
                b.push_back(v);
            }
    } else {
        for (int y = n - 1; y >= 0; y--)
            for (int x = 0; x < n; x++) {
                uint32_t px = cv_Get(c, x, y);
                uint32_t a = px == CLEAR ? 0 : 255;
                b.push_back(px & 255); b.push_back((px >> 8) & 255); b.push_back((px >> 16) & 255);
                b.push_back(a);
            }
    }
    for (int y = n - 1; y >= 0; y--)
        for (int x = 0; x < maskRow * 8; x += 8) {
            uint8_t v = 0;
            for (int k = 0; k < 8; k++)
                if (x + k >= n || cv_Get(c, x + k, y) == CLEAR) v |= 0x80 >> k;
            b.push_back(v);
        }
    return b;
}

// An .ico (or, with `cursor`, a .cur with the hot spot hx, hy) of the given images,
// largest first, named in the resource script by `id`.
static void save_iconfile(std::vector<Canvas*> images, const char* name, const char* id, int cursor, int hx, int hy) {
    std::vector<std::vector<uint8_t>> data;
    for (Canvas* c : images) data.push_back(icon_image(c, cursor));
    std::vector<uint8_t> b;
    put16(b, 0); put16(b, cursor ? 2 : 1); put16(b, (unsigned)images.size());
    unsigned offset = 6 + 16 * (unsigned)images.size();
    for (size_t i = 0; i < images.size(); i++) {
        int n = images[i]->w;
        b.push_back(n); b.push_back(n); b.push_back(cursor ? 2 : 0); b.push_back(0);
        put16(b, cursor ? hx : 1); put16(b, cursor ? hy : 32);
        put32(b, (unsigned)data[i].size()); put32(b, offset);
        offset += (unsigned)data[i].size();
    }
    for (auto& d : data) b.insert(b.end(), d.begin(), d.end());
    write_file(name, b);
    g_rc += std::string(id) + (cursor ? " CURSOR \"" : " ICON \"") + g_out + "/" + name + "\"\n";
}

static void save_iconlike(Canvas* c, const char* name, const char* id, int cursor, int hx, int hy) {
    save_iconfile({c}, name, id, cursor, hx, hy);
}

// Logo and button texts in the generators' pixel font.
static void draw_text(Canvas* c, int x, int y, const char* text, uint32_t colour) {
    kvfont_Cells(text, [&](int col, int row) { cv_Set(c, x + col, y + row, colour); });
}

// ---- the 36 tool icons, each in a 16 x 16 cell at (x, y) ----
static void tool_icon(Surface* s, int t, int x, int y) {
    const uint32_t red = 0x00D02020, blue = 0x002040C0, green = 0x00209040, yellow = 0x00F0D020;
    const uint32_t grey = 0x00808080, wood = 0x00C08040;
    int X = x + 15, Y = y + 15, cx = x + 8, cy = y + 8;
    switch (t) {
    case 0:  // pencil
        drw_ThickLine(s, x + 3, Y - 3, X - 3, y + 3, 3, wood, 0);
        drw_Line(s, x + 1, Y - 1, x + 3, Y - 3, INK);
        drw_FillRect(s, X - 3, y + 1, X - 1, y + 3, red);
        break;
    case 1:  // calligraphic pen: a slanted nib and a broad stroke
        drw_ThickLine(s, x + 2, Y - 2, x + 7, Y - 7, 4, INK, 0);
        drw_Triangle(s, x + 8, y + 8, X - 1, y + 1, X - 4, y + 11, blue, blue, blue);
        break;
    case 2:  // line
        drw_ThickLine(s, x + 1, Y - 1, X - 1, y + 1, 2, INK, 0);
        break;
    case 3:  // curve through points
        for (int i = 0; i < 15; i++) {
            int yy = cy + (int)(5 * std::sin(i * 0.45));
            drw_FillRect(s, x + i, yy, x + i + 1, yy + 1, INK);
        }
        drw_FillRect(s, x + 1, cy - 1, x + 3, cy + 1, red);
        drw_FillRect(s, X - 2, cy - 4, X, cy - 2, red);
        break;
    case 4:  // brush
        drw_ThickLine(s, X - 1, y + 1, cx, cy, 3, wood, 0);
        drw_FillEllipse(s, x + 2, cy - 1, cx + 1, Y - 1, INK);
        break;
    case 5:  // shadowing brush: soft dark blot
        drw_RadialEllipse(s, x + 1, y + 1, X - 1, Y - 1, 0x00404040, BG);
        break;
    case 6:  // spray gun: can and dots
        drw_FillRect(s, x + 2, cy - 2, x + 7, Y - 1, grey);
        drw_FillRect(s, x + 3, cy - 4, x + 5, cy - 3, INK);
        for (int i = 0; i < 9; i++) drw_FillRect(s, cx + 1 + (i * 5) % 6, y + 2 + (i * 7) % 10, cx + 1 + (i * 5) % 6, y + 2 + (i * 7) % 10, red);
        break;
    case 7:  // texturizer: rough grain
        for (int i = 0; i < 16; i++)
            for (int j = 0; j < 16; j++)
                if (((i * 7 + j * 13) ^ (i * j)) % 5 == 0) drw_FillRect(s, x + i, y + j, x + i, y + j, wood);
        break;
    case 8:  // filling paint: a bucket
        drw_Quad(s, x + 3, y + 5, X - 3, y + 5, X - 4, Y - 1, x + 4, Y - 1, grey, grey, grey, grey);
        drw_FillRect(s, x + 4, y + 6, X - 4, y + 8, blue);
        drw_Line(s, x + 3, y + 5, cx, y + 1, INK);
        drw_Line(s, cx, y + 1, X - 3, y + 5, INK);
        break;
    case 9:  // border fill: a ring filled inside
        drw_FillEllipse(s, x + 2, y + 2, X - 2, Y - 2, green);
        drw_Ellipse(s, x + 1, y + 1, X - 1, Y - 1, INK);
        break;
    case 10:  // smoother: a droplet
        drw_FillEllipse(s, x + 4, cy - 1, X - 4, Y - 1, blue);
        drw_Triangle(s, cx, y + 1, x + 4, cy + 2, X - 4, cy + 2, blue, blue, blue);
        break;
    case 11:  // directional smooth: arrows both ways
        drw_Line(s, x + 1, cy, X - 1, cy, INK);
        drw_Triangle(s, x + 1, cy, x + 5, cy - 4, x + 5, cy + 4, blue, blue, blue);
        drw_Triangle(s, X - 1, cy, X - 5, cy - 4, X - 5, cy + 4, blue, blue, blue);
        break;
    case 12:  // ruler
        drw_FillRect(s, x + 1, cy - 3, X - 1, cy + 3, yellow);
        drw_Rect(s, x + 1, cy - 3, X - 1, cy + 3, INK);
        for (int i = 3; i < 15; i += 3) drw_Line(s, x + i, cy - 3, x + i, cy - (i % 6 ? 1 : 0), INK);
        break;
    case 13:  // lens
        drw_Ellipse(s, x + 1, y + 1, cx + 3, cy + 3, INK);
        drw_FillEllipse(s, x + 2, y + 2, cx + 2, cy + 2, 0x00C0E0FF);
        drw_ThickLine(s, cx + 3, cy + 3, X - 1, Y - 1, 3, INK, 0);
        break;
    case 14:  // rectangle selection: dashed frame
        for (int i = 1; i < 15; i += 3) {
            drw_Line(s, x + i, y + 2, x + i + 1, y + 2, INK);
            drw_Line(s, x + i, Y - 2, x + i + 1, Y - 2, INK);
            drw_Line(s, x + 1, y + i + 1, x + 1, y + i + 2, INK);
            drw_Line(s, X - 1, y + i + 1, X - 1, y + i + 2, INK);
        }
        break;
    case 15:  // elliptical selection
        for (int a = 0; a < 24; a += 2) {
            double r = a * 3.14159265 / 12;
            int px = cx + (int)(6.5 * std::cos(r)), py = cy + (int)(5.5 * std::sin(r));
            drw_FillRect(s, px, py, px, py, INK);
        }
        break;
    case 16:  // free-form selection: a lasso
        for (int a = 0; a < 32; a += 2) {
            double r = a * 3.14159265 / 16;
            int px = cx + (int)((5 + 2 * std::sin(3 * r)) * std::cos(r)), py = cy - 2 + (int)(4 * std::sin(r));
            drw_FillRect(s, px, py, px, py, INK);
        }
        drw_Line(s, cx, cy + 2, x + 5, Y - 1, INK);
        break;
    case 17:  // intelli-select: points joined into a region
        drw_Line(s, x + 2, y + 3, X - 3, y + 2, INK);
        drw_Line(s, X - 3, y + 2, X - 1, Y - 3, INK);
        drw_Line(s, X - 1, Y - 3, x + 3, Y - 1, INK);
        drw_Line(s, x + 3, Y - 1, x + 2, y + 3, INK);
        drw_FillRect(s, x + 1, y + 2, x + 3, y + 4, red);
        drw_FillRect(s, X - 2, Y - 4, X, Y - 2, red);
        break;
    case 18:  // no tool
        drw_Ellipse(s, x + 2, y + 2, X - 2, Y - 2, grey);
        drw_Line(s, x + 4, Y - 4, X - 4, y + 4, grey);
        break;
    case 19:  // text-art: a big "A"
        drw_ThickLine(s, x + 2, Y - 1, cx, y + 1, 2, INK, 0);
        drw_ThickLine(s, X - 2, Y - 1, cx, y + 1, 2, INK, 0);
        drw_Line(s, x + 5, cy + 2, X - 5, cy + 2, INK);
        break;
    case 20:  // rectangle
        drw_FillRect(s, x + 5, y + 5, X - 1, Y - 1, blue);
        drw_Rect(s, x + 1, y + 1, X - 5, Y - 5, INK);
        break;
    case 21:  // ellipse
        drw_FillEllipse(s, x + 5, y + 5, X - 1, Y - 1, blue);
        drw_Ellipse(s, x + 1, y + 1, X - 5, Y - 5, INK);
        break;
    case 22:  // gradient rectangle
        drw_GradientRect(s, x + 1, y + 2, X - 1, Y - 2, red, yellow, blue, green);
        break;
    case 23:  // gradient ellipse
        drw_RadialEllipse(s, x + 1, y + 1, X - 1, Y - 1, yellow, red);
        break;
    case 24:  // gradient angular rectangle: a slanted bar
        drw_Quad(s, x + 1, Y - 6, X - 6, y + 1, X - 1, y + 6, x + 6, Y - 1, red, yellow, yellow, red);
        break;
    case 25:  // free-form gradient: a streak from one colour to another
        drw_LineGradient(s, x + 1, Y - 2, X - 1, y + 2, red, blue);
        drw_LineGradient(s, x + 1, Y - 1, X - 1, y + 3, red, blue);
        drw_LineGradient(s, x + 2, Y - 1, X - 1, y + 4, red, blue);
        break;
    case 26:  // tinted rectangle: translucent over a stripe
        drw_FillRect(s, x + 1, cy - 1, X - 1, cy + 1, INK);
        drw_FillRectBlend(s, x + 3, y + 3, X - 3, Y - 3, 0x80FF4040);
        break;
    case 27:  // tinted ellipse
        drw_FillRect(s, x + 1, cy - 1, X - 1, cy + 1, INK);
        drw_FillEllipseOp(s, x + 2, y + 2, X - 2, Y - 2, 0x804040FF, 0);
        break;
    case 28:  // tinted angular rectangle
        drw_FillRect(s, cx - 1, y + 1, cx + 1, Y - 1, INK);
        drw_QuadBlend(s, x + 1, Y - 6, X - 6, y + 1, X - 1, y + 6, x + 6, Y - 1,
                      0x8040C040, 0x8040C040, 0x8040C040, 0x8040C040);
        break;
    case 29:  // freelance tinting: a translucent swirl
        drw_ThickLine(s, x + 2, Y - 3, cx, y + 3, 4, 0x00FF9090, 0);
        drw_ThickLine(s, cx, y + 3, X - 2, Y - 3, 4, 0x009090FF, 0);
        break;
    case 30:  // sparkle: a star
        drw_Line(s, cx, y, cx, Y, yellow);
        drw_Line(s, x, cy, X, cy, yellow);
        drw_Line(s, x + 3, y + 3, X - 3, Y - 3, 0x00E0A000);
        drw_Line(s, x + 3, Y - 3, X - 3, y + 3, 0x00E0A000);
        drw_FillEllipse(s, cx - 2, cy - 2, cx + 2, cy + 2, WHITE);
        break;
    case 31:  // colour picker: a pipette
        drw_ThickLine(s, x + 2, Y - 2, X - 4, y + 4, 2, INK, 0);
        drw_FillEllipse(s, X - 6, y + 1, X - 1, y + 6, red);
        break;
    case 32:  // triangle fan
        drw_Triangle(s, x + 1, Y - 1, cx, y + 1, X - 1, cy, red, yellow, blue);
        drw_Triangle(s, x + 1, Y - 1, X - 1, cy, X - 2, Y - 1, blue, blue, green);
        break;
    case 33:  // triangle strip
        drw_Triangle(s, x + 1, Y - 1, x + 4, y + 2, x + 8, Y - 1, red, yellow, blue);
        drw_Triangle(s, x + 4, y + 2, x + 8, Y - 1, x + 11, y + 2, yellow, blue, green);
        drw_Triangle(s, x + 8, Y - 1, x + 11, y + 2, X - 1, Y - 1, blue, green, red);
        break;
    case 34:  // eraser
        drw_Quad(s, x + 1, Y - 5, x + 8, y + 2, X - 1, y + 7, cx, Y - 1, 0x00F0A0C0, 0x00F0A0C0,
                 0x00F0A0C0, 0x00F0A0C0);
        drw_Line(s, x + 4, Y - 8, x + 11, Y - 1 - 2, INK);
        break;
    default:  // 35, opaquer: checkerboard half filled solid
        for (int i = 0; i < 16; i += 4)
            for (int j = 0; j < 16; j += 4)
                drw_FillRect(s, x + i, y + j, x + i + 3, y + j + 3, ((i + j) & 4) ? WHITE : 0x00C0C0C0);
        drw_Triangle(s, x, Y, X, y, X, Y, blue, blue, blue);
        break;
    }
}

// Tool bar 121: two columns of 20 x 20 cells, 18 rows, from y = 2.
static void make_toolbar() {
    Canvas c;
    cv_Open(&c, 40, 364, BG);
    for (int t = 0; t < 36; t++) {
        int x = (t & 1) * 20, y = 2 + (t >> 1) * 20;
        drw_FillRect(&c.s, x + 1, y + 1, x + 18, y + 18, 0x00F4F0FA);
        drw_Rect(&c.s, x + 1, y + 1, x + 18, y + 18, 0x00B8A8C8);
        tool_icon(&c.s, t, x + 2, y + 2);
    }
    save_bmp(&c, "toolbar.bmp", "121");
    cv_Close(&c);
}

// Colour bar 126: the well of the two current colours at the left, the 16 fixed
// colours (row 0) and the frames of the 16 custom colours (row 1), then four quick
// buttons: tool settings, colour palette, image preview, help.
static void make_colorbar() {
    Canvas c;
    cv_Open(&c, 500, 40, BG);
    drw_Rect(&c.s, 3, 3, 36, 36, 0x00808080);
    drw_Rect(&c.s, 4, 4, 35, 35, WHITE);
    draw_text(&c, 10, 8, "1 2", INK);
    const uint32_t fixed[16] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0,
                                0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
    for (int k = 0; k < 16; k++) {
        int x = 55 + 20 * k;
        drw_Rect(&c.s, x, 2, x + 15, 17, INK);
        drw_FillRect(&c.s, x + 1, 3, x + 14, 16, fixed[k]);
        drw_Rect(&c.s, x, 22, x + 15, 37, 0x00808080);
        drw_Rect(&c.s, x + 1, 23, x + 14, 36, WHITE);
    }
    const int left[4] = {389, 413, 437, 462};
    for (int b = 0; b < 4; b++) {
        int x = left[b], y = 11;
        drw_FillRect(&c.s, x, y, x + 19, y + 19, 0x00E8E0F0);
        drw_Rect(&c.s, x, y, x + 19, y + 19, INK);
        switch (b) {
        case 0:  // tool settings: three sliders
            for (int i = 0; i < 3; i++) {
                drw_Line(&c.s, x + 3, y + 5 + 5 * i, x + 16, y + 5 + 5 * i, INK);
                drw_FillRect(&c.s, x + 5 + 4 * i, y + 3 + 5 * i, x + 7 + 4 * i, y + 7 + 5 * i, 0x003050C0);
            }
            break;
        case 1:  // colour palette: four colour squares
            drw_FillRect(&c.s, x + 3, y + 3, x + 9, y + 9, 0x00FF0000);
            drw_FillRect(&c.s, x + 10, y + 3, x + 16, y + 9, 0x0000C000);
            drw_FillRect(&c.s, x + 3, y + 10, x + 9, y + 16, 0x000000FF);
            drw_FillRect(&c.s, x + 10, y + 10, x + 16, y + 16, 0x00FFD000);
            break;
        case 2:  // image preview: a framed picture
            drw_Rect(&c.s, x + 3, y + 4, x + 16, y + 15, INK);
            drw_GradientRect(&c.s, x + 4, y + 5, x + 15, y + 14, 0x0080C0FF, 0x0080C0FF, 0x0040A040, 0x0040A040);
            break;
        default:  // help
            for (int dx = 0; dx < 2; dx++) draw_text(&c, x + 7 + dx, y + 5, "?", INK);
            break;
        }
    }
    save_bmp(&c, "colorbar.bmp", "126");
    cv_Close(&c);
}

// Link bar 280: two buttons, the web page (a globe) and help (a question mark).
static void make_linkbar() {
    Canvas c;
    cv_Open(&c, 40, 64, BG);
    drw_FillEllipse(&c.s, 8, 4, 31, 27, 0x003070D0);
    drw_FillEllipse(&c.s, 12, 8, 22, 16, 0x0040A040);
    drw_FillEllipse(&c.s, 20, 17, 28, 24, 0x0040A040);
    drw_Ellipse(&c.s, 8, 4, 31, 27, INK);
    drw_FillEllipse(&c.s, 8, 36, 31, 59, 0x00F0C030);
    drw_Ellipse(&c.s, 8, 36, 31, 59, INK);
    for (int dy = 0; dy < 2; dy++)
        for (int dx = 0; dx < 2; dx++) draw_text(&c, 17 + dx, 44 + dy, "?", INK);
    save_bmp(&c, "linkbar.bmp", "280");
    cv_Close(&c);
}

static void make_logo(const char* name, const char* id, const char* text, uint32_t a, uint32_t b) {
    Canvas c;
    cv_Open(&c, 64, 20, BG);
    drw_GradientRect(&c.s, 0, 0, 63, 19, a, b, b, a);
    int x = (64 - (int)std::strlen(text) * 6) / 2 + 1;
    draw_text(&c, x + 1, 7, text, 0x00000000);
    draw_text(&c, x, 6, text, WHITE);
    save_bmp(&c, name, id);
    cv_Close(&c);
}

// Background pattern 160: a soft diamond weave.
static void make_pattern() {
    Canvas c;
    cv_Open(&c, 8, 8, 0x00C8C0D8);
    for (int i = 0; i < 8; i++) {
        cv_Set(&c, i, i, 0x00B8B0CC);
        cv_Set(&c, 7 - i, i, 0x00D4CEE2);
    }
    save_bmp(&c, "pattern.bmp", "160");
    cv_Close(&c);
}

// Start image 139: a lake in the hills at sunset.
static void make_start() {
    Canvas c;
    const int W = 640, H = 480, horizon = 300;
    cv_Open(&c, W, H, 0);
    Surface* s = &c.s;
    drw_GradientRect(s, 0, 0, W - 1, horizon / 2, 0x002A3C7A, 0x002A3C7A, 0x00C86E8C, 0x00C86E8C);
    drw_GradientRect(s, 0, horizon / 2, W - 1, horizon, 0x00C86E8C, 0x00C86E8C, 0x00FFC070, 0x00FFC070);
    drw_RadialEllipseBlend(s, 330, 130, 530, 330, 0x40FFF0B0, 0xFFFFC070);
    drw_FillEllipse(s, 395, 195, 465, 265, 0x00FFF4C8);
    for (int i = 0; i < 60; i++) {
        int x = (i * 137) % W, y = (i * 71) % 110;
        drw_FillRect(s, x, y, x, y, 0x00E8E8FF);
    }
    drw_Triangle(s, -40, horizon, 150, 150, 340, horizon, 0x004A4A78, 0x006A5A88, 0x004A4A78);
    drw_Triangle(s, 220, horizon, 420, 175, 640, horizon, 0x00584A7A, 0x00786A96, 0x00584A7A);
    drw_Triangle(s, 480, horizon, 620, 200, 760, horizon, 0x004A4070, 0x005E5484, 0x004A4070);
    drw_FillEllipse(s, -120, horizon - 40, 300, horizon + 30, 0x00305838);
    drw_FillEllipse(s, 380, horizon - 30, 820, horizon + 30, 0x00284C30);
    // The lake mirrors the sky, darker, with the sun's path on it.
    drw_GradientRect(s, 0, horizon, W - 1, H - 1, 0x00B07090, 0x00B07090, 0x00203060, 0x00203060);
    for (int y = horizon + 4, k = 0; y < H - 60; y += 6, k++) {
        int half = 20 + k * 3;
        drw_FillRectBlend(s, 430 - half, y, 430 + half, y + 1, 0x60FFE8B0);
    }
    drw_FillEllipse(s, -80, H - 70, 280, H + 60, 0x00203820);
    drw_FillEllipse(s, 200, H - 40, 700, H + 80, 0x00182C18);
    // Reeds on the near shore.
    for (int i = 0; i < 14; i++) {
        int x = 20 + i * 11 + (i * 7) % 5, top = H - 120 + (i * 13) % 30;
        drw_Line(s, x, H - 30, x + (i % 3) - 1, top, 0x00304A20);
        drw_FillEllipse(s, x - 2 + (i % 3) - 1, top, x + 2 + (i % 3) - 1, top + 12, 0x00503820);
    }
    // A small sailing boat.
    drw_Quad(s, 200, 360, 260, 360, 252, 370, 208, 370, 0x00402818, 0x00402818, 0x00402818, 0x00402818);
    drw_Triangle(s, 230, 300, 230, 356, 256, 356, 0x00FFF8F0, 0x00F0E0D0, 0x00F0E0D0);
    drw_Line(s, 229, 298, 229, 360, 0x00402818);
    save_bmp(&c, "start.bmp", "139");
    cv_Close(&c);
}

// The program's own emblem in a cell of `size` pixels at (x, y): a framed colour
// gradient crossed by a brush stroke.
static void emblem(Canvas* c, int x, int y, int size) {
    int m = size - 1;
    drw_FillRect(&c->s, x + 1, y + 1, x + m - 1, y + m - 1, WHITE);
    drw_GradientRect(&c->s, x + 2, y + 2, x + m - 2, y + m - 2, 0x00FFB060, 0x00FF6080, 0x004080FF, 0x0040C080);
    drw_Rect(&c->s, x + 1, y + 1, x + m - 1, y + m - 1, INK);
    drw_ThickLine(&c->s, x + size / 5, y + m - size / 5, x + m - size / 5, y + size / 5, size / 8 + 1, INK, 0);
}

static void make_icons() {
    for (int size : {32, 16}) {
        Canvas c;
        cv_Open(&c, size, size, CLEAR);
        emblem(&c, 0, 0, size);
        save_iconlike(&c, size == 32 ? "large.ico" : "small.ico", size == 32 ? "101" : "102", 0, 0, 0);
        cv_Close(&c);
    }
}

// Icons of the file types the program registers: a page with a folded corner, a
// picture of what the file holds and, at 32 pixels, the type's name on a band.
enum DocKind { DOC_KV5, DOC_PICTURE, DOC_GREY, DOC_LIBRARY, DOC_SETTINGS };

static void doc_page(Canvas* c, DocKind kind, const char* label, uint32_t band) {
    Surface* s = &c->s;
    int n = c->w, big = n == 32;
    int x1 = big ? 3 : 1, x2 = n - 1 - x1, y1 = big ? 1 : 0, y2 = n - (big ? 2 : 1), fold = big ? 7 : 4;
    const uint32_t edge = 0x00606878;
    drw_FillRect(s, x1, y1, x2, y2, WHITE);
    drw_Triangle(s, x2 - fold + 1, y1, x2 + 1, y1, x2 + 1, y1 + fold, CLEAR, CLEAR, CLEAR);
    drw_Triangle(s, x2 - fold, y1, x2 - fold, y1 + fold, x2, y1 + fold, 0x00D8DCE8, 0x00B8C0D0, 0x00B8C0D0);
    drw_Line(s, x1, y1, x2 - fold, y1, edge);
    drw_Line(s, x2 - fold, y1, x2, y1 + fold, edge);
    drw_Line(s, x2, y1 + fold, x2, y2, edge);
    drw_Line(s, x2, y2, x1, y2, edge);
    drw_Line(s, x1, y2, x1, y1, edge);
    drw_Line(s, x2 - fold, y1, x2 - fold, y1 + fold, edge);
    drw_Line(s, x2 - fold, y1 + fold, x2, y1 + fold, edge);
    // The picture area, above the band.
    int px1 = x1 + 2, px2 = x2 - (big ? 5 : 3), py1 = y1 + (big ? 4 : 3), py2 = big ? 21 : 10;
    switch (kind) {
    case DOC_KV5:
        emblem(c, px1 - 1, py1 - 1, px2 - px1 + 3);
        break;
    case DOC_PICTURE:
    case DOC_GREY: {
        // A landscape, drawn on its own canvas so that the hills stay inside.
        bool grey = kind == DOC_GREY;
        uint32_t sky = grey ? 0x00C8C8C8 : 0x0070B0F0, ground = grey ? 0x00606060 : 0x0040A040;
        int w = px2 - px1 + 1, h = py2 - py1 + 1;
        Canvas pic;
        cv_Open(&pic, w, h, WHITE);
        drw_GradientRect(&pic.s, 0, 0, w - 1, h - 1, sky, sky, WHITE, WHITE);
        drw_FillEllipse(&pic.s, w * 5 / 8, 1, w * 5 / 8 + h / 3, 1 + h / 3, grey ? 0x00F0F0F0 : 0x00FFD020);
        drw_FillEllipse(&pic.s, -w / 2, h / 2, w, h + h / 2, ground);
        drw_FillEllipse(&pic.s, w / 2, h * 2 / 3, w + w / 2, h + h / 2, grey ? 0x00404040 : 0x00208030);
        drw_Rect(&pic.s, 0, 0, w - 1, h - 1, 0x00808890);
        srf_Unlock(&pic.s);
        blt_Copy(s, px1, py1, px2, py2, &pic.s, 0, 0, w - 1, h - 1, 0);
        srf_Lock(&pic.s);
        cv_Close(&pic);
        break;
    }
    case DOC_LIBRARY: {
        const uint32_t tiles[4] = {0x00E04040, 0x004080E0, 0x0040B050, 0x00F0C020};
        int half = (px2 - px1 + 1) / 2;
        for (int i = 0; i < 4; i++) {
            int tx = px1 + (i & 1) * half, ty = py1 + (i >> 1) * half;
            drw_FillRect(s, tx, ty, tx + half - 2, ty + half - 2, tiles[i]);
            drw_Rect(s, tx, ty, tx + half - 2, ty + half - 2, INK);
        }
        break;
    }
    case DOC_SETTINGS:
        for (int i = 0; i < 3; i++) {
            int y = py1 + 1 + i * (py2 - py1) / 3, knob = px1 + (px2 - px1) * (1 + (i * 5) % 3) / 4;
            drw_Line(s, px1, y, px2, y, 0x00808890);
            drw_FillRect(s, knob - (big ? 2 : 1), y - (big ? 2 : 1), knob + (big ? 2 : 1), y + (big ? 2 : 1), 0x003050C0);
        }
        break;
    }
    // The band with the type's name.
    int by1 = big ? 23 : 12, by2 = big ? 29 : 13;
    drw_FillRect(s, x1 + 1, by1, x2 - 1, by2, band);
    if (big && label) {
        int tx = x1 + (x2 - x1 + 1 - kvfont_Width(label)) / 2;
        draw_text(c, tx, by1, label, WHITE);
    }
}

static void make_document_icon(const char* id, DocKind kind, const char* label, uint32_t band) {
    Canvas big, small;
    cv_Open(&big, 32, 32, CLEAR);
    cv_Open(&small, 16, 16, CLEAR);
    doc_page(&big, kind, label, band);
    doc_page(&small, kind, label, band);
    std::string name = std::string("doc") + id + ".ico";
    save_iconfile({&big, &small}, name.c_str(), id, 0, 0, 0);
    cv_Close(&big);
    cv_Close(&small);
}

// The uninstall shortcut's icon: the program's emblem with a red "remove" badge.
static void make_uninstall_icon() {
    Canvas big, small;
    for (Canvas* c : {&big, &small}) {
        int n = c == &big ? 32 : 16;
        cv_Open(c, n, n, CLEAR);
        emblem(c, 0, 0, n * 3 / 4 + 2);
        int r = n == 32 ? 7 : 4, cx = n - 1 - r, cy = n - 1 - r;
        drw_FillEllipse(&c->s, cx - r - 1, cy - r - 1, cx + r + 1, cy + r + 1, WHITE);
        drw_FillEllipse(&c->s, cx - r, cy - r, cx + r, cy + r, 0x00D02828);
        int k = n == 32 ? 4 : 2;
        if (n == 32) {
            drw_ThickLine(&c->s, cx - k, cy - k, cx + k, cy + k, 3, WHITE, 0);
            drw_ThickLine(&c->s, cx - k, cy + k, cx + k, cy - k, 3, WHITE, 0);
        } else {
            drw_Line(&c->s, cx - k, cy - k, cx + k, cy + k, WHITE);
            drw_Line(&c->s, cx - k, cy + k, cx + k, cy - k, WHITE);
        }
    }
    // The shortcut names its icon by position (the sixth icon of kelvara.exe), so
    // its id must sort between 195 and 222.
    save_iconfile({&big, &small}, "uninstall.ico", "200", 0, 0, 0);
    cv_Close(&big);
    cv_Close(&small);
}

// The icons that the file associations name by id (settings, associations).
static void make_document_icons() {
    make_document_icon("118", DOC_KV5, "KV5", 0x00703890);
    make_document_icon("245", DOC_PICTURE, "BMP", 0x002050C0);
    make_document_icon("224", DOC_PICTURE, "TGA", 0x00208040);
    make_document_icon("223", DOC_PICTURE, "PCX", 0x00D06010);
    make_document_icon("222", DOC_GREY, "PPM", 0x00505060);
    make_document_icon("195", DOC_LIBRARY, "ICL", 0x00B03060);
    make_document_icon("162", DOC_SETTINGS, "KVR", 0x00406080);
    make_uninstall_icon();
}

// Cursors: a cross-hair whose centre is the hot spot, with the tool's icon beside it
// in black and white.
static void cursor_with_icon(const char* name, const char* id, int tool) {
    Canvas icon;
    cv_Open(&icon, 16, 16, BG);
    if (tool >= 0) tool_icon(&icon.s, tool, 0, 0);
    Canvas c;
    cv_Open(&c, 32, 32, CLEAR);
    for (int i = 0; i < 15; i++)
        if (i < 5 || i > 9) {
            for (int k = -1; k <= 1; k++) {
                if (cv_Get(&c, i, 7 + k) == CLEAR) cv_Set(&c, i, 7 + k, WHITE);
                if (cv_Get(&c, 7 + k, i) == CLEAR) cv_Set(&c, 7 + k, i, WHITE);
            }
        }
    for (int i = 0; i < 15; i++)
        if (i < 5 || i > 9) { cv_Set(&c, i, 7, 0); cv_Set(&c, 7, i, 0); }
    if (tool >= 0)
        for (int y = 0; y < 16; y++)
            for (int x = 0; x < 16; x++) {
                uint32_t v = cv_Get(&icon, x, y);
                if (v == BG) continue;
                int lum = ((v >> 16) & 255) + ((v >> 8) & 255) + (v & 255);
                cv_Set(&c, 14 + x, 14 + y, lum > 480 ? WHITE : 0);
            }
    save_iconlike(&c, name, id, 1, 7, 7);
    cv_Close(&c);
    cv_Close(&icon);
}

// An arrow drawn from its outline (slot 3, tool bar and link bar) and the move cross.
static void make_special_cursors() {
    Canvas c;
    cv_Open(&c, 32, 32, CLEAR);
    drw_Triangle(&c.s, 0, 0, 0, 16, 11, 11, 0, 0, 0);
    drw_ThickLine(&c.s, 4, 10, 9, 20, 3, 0, 0);
    drw_Triangle(&c.s, 2, 4, 2, 12, 7, 10, WHITE, WHITE, WHITE);
    save_iconlike(&c, "arrow.cur", "231", 1, 0, 0);
    cv_Close(&c);

    cv_Open(&c, 32, 32, CLEAR);
    drw_FillRect(&c.s, 14, 2, 17, 29, WHITE);
    drw_FillRect(&c.s, 2, 14, 29, 17, WHITE);
    drw_Line(&c.s, 15, 2, 15, 29, 0);
    drw_Line(&c.s, 2, 15, 29, 15, 0);
    drw_Triangle(&c.s, 15, 0, 11, 5, 19, 5, 0, 0, 0);
    drw_Triangle(&c.s, 15, 31, 11, 26, 19, 26, 0, 0, 0);
    drw_Triangle(&c.s, 0, 15, 5, 11, 5, 19, 0, 0, 0);
    drw_Triangle(&c.s, 31, 15, 26, 11, 26, 19, 0, 0, 0);
    save_iconlike(&c, "move.cur", "167", 1, 15, 15);
    cv_Close(&c);
}

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: kvgen <output folder>\n");
        return 2;
    }
    g_out = argv[1];
    eng_Init();
    g_rc = "// Generated by tools/kvgen.cpp at build time; edit that file instead.\n";
    make_toolbar();
    make_colorbar();
    make_linkbar();
    make_logo("logo1.bmp", "128", "KELVARA", 0x00603080, 0x00D06090);
    make_logo("logo2.bmp", "219", "1.80", 0x00305090, 0x0060A0D0);
    make_logo("logo3.bmp", "CUST_LOGO", "PAINT", 0x00306040, 0x0070B070);
    make_pattern();
    make_start();
    make_icons();
    make_document_icons();
    make_special_cursors();
    cursor_with_icon("zoom.cur", "277", 13);
    cursor_with_icon("default.cur", "131", -1);
    static const int kToolCursor[36] = {106, 130, 114, 252, 113, 138, 115, 134, 133, 217, 136, 145,
                                        225, 151, 164, 278, 165, 261, 131, 166, 141, 142, 143, 144,
                                        146, 147, 212, 214, 250, 249, 242, 117, 257, 258, 269, 271};
    for (int t = 0; t < 36; t++) {
        if (kToolCursor[t] == 131) continue;
        char name[32], id[16];
        std::snprintf(name, sizeof name, "tool%02d.cur", t);
        std::snprintf(id, sizeof id, "%d", kToolCursor[t]);
        cursor_with_icon(name, id, t);
    }
    write_file("kv_generated.rc", std::vector<uint8_t>(g_rc.begin(), g_rc.end()));
    eng_Shutdown();
    return 0;
}
