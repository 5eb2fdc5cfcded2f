// wic_filter.cpp — decoding and encoding through the Windows Imaging Component.
#include "wic_filter.h"

#include <cstdlib>
#include <cstring>

namespace {

template <typename T>
void Release(T*& p) {
    if (p) p->Release();
    p = nullptr;
}

// COM for the length of one call; a thread the host set up otherwise keeps its model.
struct ComScope {
    HRESULT hr;
    ComScope() : hr(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(hr)) CoUninitialize();
    }
};

IWICImagingFactory* Factory() {
    IWICImagingFactory* f = nullptr;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                (void**)&f)))
        return nullptr;
    return f;
}

int StartsWith(const char* path, const uint8_t* signature, size_t n) {
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 0;
    uint8_t head[16];
    DWORD got = 0;
    const int ok = n <= sizeof head && ReadFile(h, head, (DWORD)n, &got, nullptr) && got == n &&
                   std::memcmp(head, signature, n) == 0;
    CloseHandle(h);
    return ok;
}

int SizeAccepted(uint64_t w, uint64_t h) {
    return w >= 1 && h >= 1 && w <= WIC_MAX_SIDE && h <= WIC_MAX_SIDE && w * h <= WIC_MAX_PIXELS;
}

// The header of a 32-bit top-down uncompressed bitmap of w x h.
BITMAPINFO TopDown32(uint64_t w, uint64_t h) {
    BITMAPINFO bmi;
    std::memset(&bmi, 0, sizeof bmi);
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = (LONG)w;
    bmi.bmiHeader.biHeight = -(LONG)h;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    return bmi;
}

HBITMAP NewDib(UINT w, UINT h, void** bits) {
    BITMAPINFO bmi = TopDown32(w, h);
    return CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, bits, nullptr, 0);
}

void FlipAlpha(uint32_t* px, size_t n) {
    for (size_t i = 0; i < n; i++) px[i] ^= 0xFF000000u;
}

// The bitmap's pixels as 32-bit top-down rows (w * 4 bytes each, fourth byte
// translucency), malloc'd; null when it is no bitmap or too large. GDI does the
// reading: a DIB section's own header does not reliably tell which way up its rows
// lie. Bitmaps of fewer bits have no alpha and count as opaque.
uint32_t* ReadBitmap(HBITMAP bitmap, UINT* wOut, UINT* hOut) {
    if (!bitmap || GetObjectType(bitmap) != OBJ_BITMAP) return nullptr;
    GdiFlush();
    BITMAP bm;
    if (!GetObjectA(bitmap, sizeof bm, &bm)) return nullptr;
    const uint64_t w = bm.bmWidth > 0 ? (uint64_t)bm.bmWidth : 0;
    const uint64_t h = bm.bmHeight < 0 ? (uint64_t)-(int64_t)bm.bmHeight : (uint64_t)bm.bmHeight;
    if (!SizeAccepted(w, h)) return nullptr;
    uint32_t* px = (uint32_t*)std::malloc((size_t)(w * h * 4));
    if (!px) return nullptr;
    BITMAPINFO bmi = TopDown32(w, h);
    HDC screen = GetDC(nullptr);
    const int rows = screen ? GetDIBits(screen, bitmap, 0, (UINT)h, px, &bmi, DIB_RGB_COLORS) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    if (rows != (int)h) {
        std::free(px);
        return nullptr;
    }
    if (bm.bmBitsPixel != 32)
        for (uint64_t i = 0; i < w * h; i++) px[i] &= 0x00FFFFFFu;
    *wOut = (UINT)w;
    *hOut = (UINT)h;
    return px;
}

// Encodes w × h pixels of `format` (rows of `stride` bytes) into a new memory stream.
IStream* Encode(IWICImagingFactory* f, const WicSave& how, UINT w, UINT h, REFGUID format, UINT stride, BYTE* rows) {
    IStream* mem = nullptr;
    IWICBitmapEncoder* enc = nullptr;
    IWICBitmapFrameEncode* frame = nullptr;
    IPropertyBag2* props = nullptr;
    bool ok = SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, &mem)) &&
              SUCCEEDED(f->CreateEncoder(how.container, nullptr, &enc)) &&
              SUCCEEDED(enc->Initialize(mem, WICBitmapEncoderNoCache)) &&
              SUCCEEDED(enc->CreateNewFrame(&frame, &props));
    if (ok && how.quality >= 0 && props) {
        PROPBAG2 option;
        std::memset(&option, 0, sizeof option);
        option.pstrName = (LPOLESTR)L"ImageQuality";
        VARIANT value;
        VariantInit(&value);
        value.vt = VT_R4;
        value.fltVal = how.quality > 1 ? 1.0f : how.quality;
        ok = SUCCEEDED(props->Write(1, &option, &value));
    }
    WICPixelFormatGUID asked = format;
    ok = ok && SUCCEEDED(frame->Initialize(props)) && SUCCEEDED(frame->SetSize(w, h)) &&
         SUCCEEDED(frame->SetPixelFormat(&asked)) && IsEqualGUID(asked, format) &&
         SUCCEEDED(frame->WritePixels(h, stride, stride * h, rows)) && SUCCEEDED(frame->Commit()) &&
         SUCCEEDED(enc->Commit());
    Release(props);
    Release(frame);
    Release(enc);
    if (!ok) Release(mem);
    return mem;
}

// Writes the stream's bytes as the file; a short write removes what was written.
int WriteStream(IStream* mem, const char* path) {
    HGLOBAL block = nullptr;
    STATSTG st;
    if (FAILED(GetHGlobalFromStream(mem, &block)) || FAILED(mem->Stat(&st, STATFLAG_NONAME)) ||
        st.cbSize.QuadPart > 0xFFFFFFFFu || st.cbSize.QuadPart > GlobalSize(block))
        return 0;
    const DWORD size = (DWORD)st.cbSize.QuadPart;
    const void* bytes = GlobalLock(block);
    if (!bytes) return 0;
    int ok = 0;
    HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        DWORD put = 0;
        ok = WriteFile(h, bytes, size, &put, nullptr) && put == size;
        ok = CloseHandle(h) && ok;
        if (!ok) DeleteFileA(path);
    }
    GlobalUnlock(block);
    return ok;
}

}  // namespace

int wic_ExtensionListed(const char* ext, const char* const* list) {
    if (!ext || !*ext) return 0;
    for (; *list; list++)
        if (lstrcmpiA(ext, *list) == 0) return 1;
    return 0;
}

int wic_PathListed(const char* path, const char* const* list) {
    if (!path) return 0;
    const char* name = path;
    for (const char* p = path; *p; p++)
        if (*p == '\\' || *p == '/') name = p + 1;
    return wic_ExtensionListed(std::strrchr(name, '.'), list);
}

namespace {

// The first frame of an opened decoder as a new bitmap, translucency complemented.
HBITMAP DecodeFirstFrame(IWICImagingFactory* f, IWICBitmapDecoder* dec) {
    IWICBitmapFrameDecode* frame = nullptr;
    IWICFormatConverter* conv = nullptr;
    HBITMAP bitmap = nullptr;
    UINT w = 0, h = 0;
    void* bits = nullptr;
    if (SUCCEEDED(dec->GetFrame(0, &frame)) && SUCCEEDED(frame->GetSize(&w, &h)) && SizeAccepted(w, h))
        bitmap = NewDib(w, h, &bits);
    if (bitmap) {
        const int ok = SUCCEEDED(f->CreateFormatConverter(&conv)) &&
                       SUCCEEDED(conv->Initialize(frame, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone,
                                                  nullptr, 0.0, WICBitmapPaletteTypeCustom)) &&
                       SUCCEEDED(conv->CopyPixels(nullptr, w * 4, w * 4 * h, (BYTE*)bits));
        if (ok) {
            FlipAlpha((uint32_t*)bits, (size_t)w * h);
        } else {
            DeleteObject(bitmap);
            bitmap = nullptr;
        }
    }
    Release(conv);
    Release(frame);
    return bitmap;
}

int ContainerListed(REFGUID container, const GUID* const* list) {
    for (; *list; list++)
        if (IsEqualGUID(container, **list)) return 1;
    return 0;
}

int WidePath(const char* path, wchar_t* wide) {
    return path && MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH) != 0;
}

}  // namespace

HBITMAP wic_Load(const char* path, REFGUID container, const uint8_t* signature, size_t signatureSize) {
    wchar_t wide[MAX_PATH];
    if (!WidePath(path, wide) || !StartsWith(path, signature, signatureSize)) return nullptr;
    ComScope com;
    IWICImagingFactory* f = Factory();
    IWICStream* stream = nullptr;
    IWICBitmapDecoder* dec = nullptr;
    HBITMAP bitmap = nullptr;
    if (f && SUCCEEDED(f->CreateStream(&stream)) && SUCCEEDED(stream->InitializeFromFilename(wide, GENERIC_READ)) &&
        SUCCEEDED(f->CreateDecoder(container, nullptr, &dec)) &&
        SUCCEEDED(dec->Initialize(stream, WICDecodeMetadataCacheOnDemand)))
        bitmap = DecodeFirstFrame(f, dec);
    Release(dec);
    Release(stream);
    Release(f);
    return bitmap;
}

HBITMAP wic_LoadAnyBut(const char* path, const GUID* const* refused) {
    wchar_t wide[MAX_PATH];
    if (!WidePath(path, wide)) return nullptr;
    ComScope com;
    IWICImagingFactory* f = Factory();
    IWICBitmapDecoder* dec = nullptr;
    GUID container;
    HBITMAP bitmap = nullptr;
    // The decoder is picked by the file's content, not by its name.
    if (f && SUCCEEDED(f->CreateDecoderFromFilename(wide, nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand, &dec)) &&
        SUCCEEDED(dec->GetContainerFormat(&container)) && !ContainerListed(container, refused))
        bitmap = DecodeFirstFrame(f, dec);
    Release(dec);
    Release(f);
    return bitmap;
}

size_t wic_DecoderExtensions(char* out, size_t cap, const GUID* const* refused) {
    if (!out || cap == 0) return 0;
    out[0] = 0;
    size_t n = 0;
    ComScope com;
    IWICImagingFactory* f = Factory();
    IEnumUnknown* all = nullptr;
    if (f && SUCCEEDED(f->CreateComponentEnumerator(WICDecoder, WICComponentEnumerateDefault, &all))) {
        IUnknown* item = nullptr;
        ULONG got = 0;
        while (all->Next(1, &item, &got) == S_OK && got == 1) {
            IWICBitmapCodecInfo* info = nullptr;
            GUID container;
            wchar_t wide[256];
            UINT len = 0;
            if (SUCCEEDED(item->QueryInterface(IID_IWICBitmapCodecInfo, (void**)&info)) &&
                SUCCEEDED(info->GetContainerFormat(&container)) && !ContainerListed(container, refused) &&
                SUCCEEDED(info->GetFileExtensions(256, wide, &len))) {
                char ansi[256];
                const int k = WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi, sizeof ansi, nullptr, nullptr);
                // Whole lists only: a list cut short would name an extension that is not there.
                if (k > 1 && n + (n ? 1 : 0) + (size_t)(k - 1) < cap) {
                    if (n) out[n++] = ',';
                    // Some systems separate a codec's extensions with ';'.
                    for (int i = 0; i < k; i++) out[n + i] = ansi[i] == ';' ? ',' : ansi[i];
                    n += (size_t)(k - 1);
                }
            }
            Release(info);
            Release(item);
        }
    }
    Release(all);
    Release(f);
    return n;
}

int wic_ExtensionInList(const char* ext, const char* commaList) {
    if (!ext || !*ext || !commaList) return 0;
    const size_t len = std::strlen(ext);
    for (const char* p = commaList; *p;) {
        const char* end = std::strchr(p, ',');
        const size_t n = end ? (size_t)(end - p) : std::strlen(p);
        if (n == len && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, p, (int)n, ext, (int)len) == CSTR_EQUAL)
            return 1;
        p += n + (end ? 1 : 0);
    }
    return 0;
}

int wic_Save(HBITMAP bitmap, const char* path, const WicSave& how) {
    if (!path) return 0;
    UINT w, h;
    uint32_t* px = ReadBitmap(bitmap, &w, &h);
    if (!px) return 0;
    const size_t n = (size_t)w * h;
    bool translucent = false;
    for (size_t i = 0; how.keepAlpha && i < n && !translucent; i++) translucent = (px[i] >> 24) != 0;

    // Opaque pictures go out as 24-bit colour: smaller files, read alike everywhere.
    UINT stride;
    if (translucent) {
        FlipAlpha(px, n);
        stride = w * 4;
    } else {
        stride = (w * 3 + 3) & ~3u;
        BYTE* out = (BYTE*)px;
        for (UINT y = 0; y < h; y++) {
            const uint32_t* in = px + (size_t)y * w;
            BYTE* row = out + (size_t)y * stride;  // never ahead of the row it reads
            for (UINT x = 0; x < w; x++) {
                const uint32_t v = in[x];
                row[3 * x] = (BYTE)v;
                row[3 * x + 1] = (BYTE)(v >> 8);
                row[3 * x + 2] = (BYTE)(v >> 16);
            }
        }
    }

    int ok = 0;
    {
        ComScope com;
        IWICImagingFactory* f = Factory();
        IStream* mem = f ? Encode(f, how, w, h, translucent ? GUID_WICPixelFormat32bppBGRA : GUID_WICPixelFormat24bppBGR,
                                  stride, (BYTE*)px)
                         : nullptr;
        if (mem) ok = WriteStream(mem, path);
        Release(mem);
        Release(f);
    }
    std::free(px);
    return ok;
}
