// kv5_thumbnail.cpp — the shell's thumbnail of a .kv5 file, in kv5codec.dll: the image
// decoded whole (kv5codec.h), reduced so that no side exceeds the size asked for
// (never enlarged), aspect kept, as a 32-bit top-down bitmap with straight alpha.
//
// The reduction is a box filter: each thumbnail pixel is the mean of the source
// pixels whose area it covers, colours weighted by their opacity (a transparent
// pixel's colour does not bleed into its neighbours; a wholly transparent area keeps
// its plain mean), opacity the plain mean. A picture within the size comes back as it is.
#include <windows.h>
#include <propsys.h>
#include <thumbcache.h>
#include <cstdlib>
#include <cstring>
#include <new>
#include "kv5codec.h"

namespace {

// The source span [from, to) that thumbnail index i of n covers in a side of `side`.
void Span(UINT i, UINT n, UINT side, UINT* from, UINT* to) {
    *from = (UINT)((uint64_t)i * side / n);
    *to = (UINT)((uint64_t)(i + 1) * side / n);
    if (*to <= *from) *to = *from + 1;
}

void Reduce(const uint32_t* px, UINT w, UINT h, uint32_t* out, UINT tw, UINT th) {
    for (UINT ty = 0; ty < th; ty++) {
        UINT y0, y1;
        Span(ty, th, h, &y0, &y1);
        for (UINT tx = 0; tx < tw; tx++) {
            UINT x0, x1;
            Span(tx, tw, w, &x0, &x1);
            uint64_t sum[2][3] = {}, a = 0;  // [0] plain, [1] weighted by opacity
            for (UINT y = y0; y < y1; y++)
                for (UINT x = x0; x < x1; x++) {
                    const uint32_t v = px[(size_t)y * w + x], o = v >> 24;
                    for (int c = 0; c < 3; c++) {
                        sum[0][c] += v >> 8 * c & 0xFF;
                        sum[1][c] += (v >> 8 * c & 0xFF) * o;
                    }
                    a += o;
                }
            const uint64_t n = (uint64_t)(x1 - x0) * (y1 - y0), weight = a ? a : n;
            uint32_t v = (uint32_t)((a + n / 2) / n) << 24;
            for (int c = 0; c < 3; c++) v |= (uint32_t)((sum[a ? 1 : 0][c] + weight / 2) / weight) << 8 * c;
            out[(size_t)ty * tw + tx] = v;
        }
    }
}

class Kv5Thumbnail final : public IThumbnailProvider, public IInitializeWithStream {
public:
    Kv5Thumbnail() : ref_(1), px_(nullptr), w_(0), h_(0) { kvc_ObjectMade(); }
    ~Kv5Thumbnail() {
        std::free(px_);
        kvc_ObjectGone();
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid == IID_IUnknown || iid == __uuidof(IThumbnailProvider)) *out = static_cast<IThumbnailProvider*>(this);
        else if (iid == IID_IInitializeWithStream) *out = static_cast<IInitializeWithStream*>(this);
        else return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return (ULONG)InterlockedIncrement(&ref_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG n = InterlockedDecrement(&ref_);
        if (n == 0) delete this;
        return (ULONG)n;
    }
    HRESULT STDMETHODCALLTYPE Initialize(IStream* s, DWORD) override {
        if (!s) return E_INVALIDARG;
        if (px_) return HRESULT_FROM_WIN32(ERROR_ALREADY_INITIALIZED);
        return kvc_DecodeStream(s, &px_, &w_, &h_);
    }
    HRESULT STDMETHODCALLTYPE GetThumbnail(UINT cx, HBITMAP* bitmap, WTS_ALPHATYPE* alpha) override {
        if (!bitmap || !alpha || cx == 0) return E_INVALIDARG;
        *bitmap = nullptr;
        if (!px_) return E_UNEXPECTED;
        UINT tw = w_, th = h_;
        if (w_ > cx || h_ > cx) {
            const bool wide = w_ >= h_;
            tw = wide ? cx : (UINT)(((uint64_t)w_ * cx + h_ / 2) / h_);
            th = wide ? (UINT)(((uint64_t)h_ * cx + w_ / 2) / w_) : cx;
            if (tw == 0) tw = 1;
            if (th == 0) th = 1;
        }
        BITMAPINFO bmi;
        std::memset(&bmi, 0, sizeof bmi);
        bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
        bmi.bmiHeader.biWidth = (LONG)tw;
        bmi.bmiHeader.biHeight = -(LONG)th;
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 32;
        bmi.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        HBITMAP made = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (!made) return E_OUTOFMEMORY;
        Reduce(px_, w_, h_, (uint32_t*)bits, tw, th);
        *bitmap = made;
        *alpha = WTSAT_ARGB;
        return S_OK;
    }

private:
    LONG ref_;
    uint32_t* px_;  // w_ x h_, BGRA with straight alpha; null until initialised
    UINT w_, h_;
};

}  // namespace

HRESULT kvc_NewThumbnail(REFIID iid, void** out) {
    Kv5Thumbnail* t = new (std::nothrow) Kv5Thumbnail();
    if (!t) return E_OUTOFMEMORY;
    const HRESULT hr = t->QueryInterface(iid, out);
    t->Release();
    return hr;
}
