// kv5_decoder.cpp — the imaging component's decoder for .kv5 files in kv5codec.dll, so
// that any program that reads pictures through the system (and the system's own
// viewers) opens them: one frame, decoded whole when the decoder is initialised
// (kv5codec.h), which frames then only copy.
#include <windows.h>
#include <wincodec.h>
#include <cstdlib>
#include <cstring>
#include <new>
#include "formats/kv5_file.h"
#include "kv5codec.h"
#include "settings/codecreg_win32.h"

namespace {

template <typename T>
void ReleaseRef(T*& p) {
    if (p) p->Release();
    p = nullptr;
}

// ---- the frame ----

class Kv5Frame final : public IWICBitmapFrameDecode {
public:
    Kv5Frame(IUnknown* owner, const uint32_t* px, UINT w, UINT h) : ref_(1), owner_(owner), px_(px), w_(w), h_(h) {
        owner_->AddRef();
        kvc_ObjectMade();
    }
    ~Kv5Frame() {
        owner_->Release();
        kvc_ObjectGone();
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IWICBitmapSource || iid == IID_IWICBitmapFrameDecode) {
            *out = static_cast<IWICBitmapFrameDecode*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return (ULONG)InterlockedIncrement(&ref_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG n = InterlockedDecrement(&ref_);
        if (n == 0) delete this;
        return (ULONG)n;
    }
    HRESULT STDMETHODCALLTYPE GetSize(UINT* w, UINT* h) override {
        if (!w || !h) return E_INVALIDARG;
        *w = w_, *h = h_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPixelFormat(WICPixelFormatGUID* format) override {
        if (!format) return E_INVALIDARG;
        *format = GUID_WICPixelFormat32bppBGRA;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetResolution(double* x, double* y) override {
        if (!x || !y) return E_INVALIDARG;
        *x = *y = 96.0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CopyPalette(IWICPalette*) override { return WINCODEC_ERR_PALETTEUNAVAILABLE; }
    HRESULT STDMETHODCALLTYPE CopyPixels(const WICRect* rc, UINT stride, UINT size, BYTE* out) override {
        const WICRect all = {0, 0, (INT)w_, (INT)h_};
        if (!rc) rc = &all;
        if (!out || rc->X < 0 || rc->Y < 0 || rc->Width < 0 || rc->Height < 0 || (UINT)rc->X > w_ ||
            (UINT)rc->Y > h_ || (UINT)rc->Width > w_ - (UINT)rc->X || (UINT)rc->Height > h_ - (UINT)rc->Y)
            return E_INVALIDARG;
        if (rc->Width == 0 || rc->Height == 0) return S_OK;
        const uint64_t row = (uint64_t)rc->Width * 4;
        if (stride < row) return E_INVALIDARG;
        if ((uint64_t)stride * (UINT)(rc->Height - 1) + row > size) return WINCODEC_ERR_INSUFFICIENTBUFFER;
        for (INT y = 0; y < rc->Height; y++)
            std::memcpy(out + (size_t)stride * y, px_ + (size_t)(rc->Y + y) * w_ + rc->X, (size_t)row);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetMetadataQueryReader(IWICMetadataQueryReader**) override {
        return WINCODEC_ERR_UNSUPPORTEDOPERATION;
    }
    HRESULT STDMETHODCALLTYPE GetColorContexts(UINT, IWICColorContext**, UINT* actual) override {
        if (!actual) return E_INVALIDARG;
        *actual = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetThumbnail(IWICBitmapSource**) override { return WINCODEC_ERR_CODECNOTHUMBNAIL; }

private:
    LONG ref_;
    IUnknown* owner_;  // the decoder, which owns the pixels
    const uint32_t* px_;
    UINT w_, h_;
};

// ---- the decoder ----

class Kv5Decoder final : public IWICBitmapDecoder {
public:
    Kv5Decoder() : ref_(1), px_(nullptr), w_(0), h_(0) { kvc_ObjectMade(); }
    ~Kv5Decoder() {
        std::free(px_);
        kvc_ObjectGone();
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IWICBitmapDecoder) {
            *out = static_cast<IWICBitmapDecoder*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return (ULONG)InterlockedIncrement(&ref_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG n = InterlockedDecrement(&ref_);
        if (n == 0) delete this;
        return (ULONG)n;
    }
    // Looks at the header only, and leaves the stream where it was.
    HRESULT STDMETHODCALLTYPE QueryCapability(IStream* s, DWORD* caps) override {
        if (!s || !caps) return E_INVALIDARG;
        *caps = 0;
        LARGE_INTEGER zero = {};
        ULARGE_INTEGER at;
        if (FAILED(s->Seek(zero, STREAM_SEEK_CUR, &at))) return WINCODEC_ERR_STREAMREAD;
        uint8_t head[KV5_HEADER_SIZE] = {};
        ULONG got = 0;
        const int read = SUCCEEDED(s->Read(head, sizeof head, &got)) && got == sizeof head;
        LARGE_INTEGER back;
        back.QuadPart = (LONGLONG)at.QuadPart;
        s->Seek(back, STREAM_SEEK_SET, nullptr);
        if (read && std::memcmp(head, "_KV5", 4) == 0 && head[10] == 2 && head[11] == 0 && head[43] != CODEC_PASSWORD)
            *caps = WICBitmapDecoderCapabilityCanDecodeAllImages;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Initialize(IStream* s, WICDecodeOptions) override {
        if (!s) return E_INVALIDARG;
        if (px_) return WINCODEC_ERR_WRONGSTATE;
        return kvc_DecodeStream(s, &px_, &w_, &h_);
    }
    HRESULT STDMETHODCALLTYPE GetContainerFormat(GUID* format) override {
        if (!format) return E_INVALIDARG;
        *format = CREG_CONTAINER_KV5;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDecoderInfo(IWICBitmapDecoderInfo** info) override {
        if (!info) return E_INVALIDARG;
        *info = nullptr;
        IWICImagingFactory* f = nullptr;
        IWICComponentInfo* c = nullptr;
        HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                      (void**)&f);
        if (SUCCEEDED(hr)) hr = f->CreateComponentInfo(CREG_CLSID_KV5_DECODER, &c);
        if (SUCCEEDED(hr)) hr = c->QueryInterface(IID_IWICBitmapDecoderInfo, (void**)info);
        ReleaseRef(c);
        ReleaseRef(f);
        return hr;
    }
    HRESULT STDMETHODCALLTYPE CopyPalette(IWICPalette*) override { return WINCODEC_ERR_PALETTEUNAVAILABLE; }
    HRESULT STDMETHODCALLTYPE GetMetadataQueryReader(IWICMetadataQueryReader**) override {
        return WINCODEC_ERR_UNSUPPORTEDOPERATION;
    }
    HRESULT STDMETHODCALLTYPE GetPreview(IWICBitmapSource**) override { return WINCODEC_ERR_UNSUPPORTEDOPERATION; }
    HRESULT STDMETHODCALLTYPE GetColorContexts(UINT, IWICColorContext**, UINT* actual) override {
        if (!actual) return E_INVALIDARG;
        *actual = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetThumbnail(IWICBitmapSource**) override { return WINCODEC_ERR_CODECNOTHUMBNAIL; }
    HRESULT STDMETHODCALLTYPE GetFrameCount(UINT* count) override {
        if (!count) return E_INVALIDARG;
        if (!px_) return WINCODEC_ERR_NOTINITIALIZED;
        *count = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetFrame(UINT index, IWICBitmapFrameDecode** frame) override {
        if (!frame) return E_INVALIDARG;
        *frame = nullptr;
        if (!px_) return WINCODEC_ERR_NOTINITIALIZED;
        if (index != 0) return E_INVALIDARG;
        *frame = new (std::nothrow) Kv5Frame(this, px_, w_, h_);
        return *frame ? S_OK : E_OUTOFMEMORY;
    }

private:
    LONG ref_;
    uint32_t* px_;  // w_ x h_, BGRA with straight alpha; null until initialised
    UINT w_, h_;
};


}  // namespace

HRESULT kvc_NewDecoder(REFIID iid, void** out) {
    Kv5Decoder* d = new (std::nothrow) Kv5Decoder();
    if (!d) return E_OUTOFMEMORY;
    const HRESULT hr = d->QueryInterface(iid, out);
    d->Release();
    return hr;
}
