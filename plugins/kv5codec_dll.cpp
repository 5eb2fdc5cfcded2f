// kv5codec_dll.cpp — what the two classes of kv5codec.dll share: decoding a stream
// with the program's KV5 reader, the count of live objects, the class objects and
// the DLL's exports.
#include <windows.h>
#include <wincodec.h>
#include <cstdlib>
#include <cstring>
#include "formats/kv5_file.h"
#include "kv5codec.h"
#include "settings/codecreg_win32.h"

namespace {

LONG g_objects, g_locks;
const size_t MAX_FILE = (size_t)512 << 20;

// ---- reading the stream ----

// The file from the stream's start (the component may have read its pattern first),
// as much as the reader can use.
HRESULT ReadKv5(IStream* s, uint8_t** data, size_t* size) {
    uint8_t head[KV5_HEADER_SIZE];
    ULONG got = 0;
    LARGE_INTEGER start = {};
    if (FAILED(s->Seek(start, STREAM_SEEK_SET, nullptr)) || FAILED(s->Read(head, sizeof head, &got)))
        return WINCODEC_ERR_STREAMREAD;
    if (got < 12 || std::memcmp(head, "_KV5", 4) != 0) return WINCODEC_ERR_UNKNOWNIMAGEFORMAT;
    size_t want = kv5_LoadExtent(head, got);
    if (want > MAX_FILE) want = MAX_FILE;
    if (want < got) want = got;
    uint8_t* buf = (uint8_t*)std::malloc(want);
    if (!buf) return E_OUTOFMEMORY;
    std::memcpy(buf, head, got);
    size_t have = got;
    while (have < want && got) {
        const ULONG chunk = (ULONG)(want - have < (1u << 30) ? want - have : (1u << 30));
        if (FAILED(s->Read(buf + have, chunk, &got))) {
            std::free(buf);
            return WINCODEC_ERR_STREAMREAD;
        }
        have += got;
    }
    *data = buf;
    *size = have;
    return S_OK;
}

}  // namespace

void kvc_ObjectMade() { InterlockedIncrement(&g_objects); }
void kvc_ObjectGone() { InterlockedDecrement(&g_objects); }

HRESULT kvc_DecodeStream(IStream* s, uint32_t** pixels, UINT* width, UINT* height) {
    uint8_t* data = nullptr;
    size_t size = 0;
    HRESULT hr = ReadKv5(s, &data, &size);
    if (FAILED(hr)) return hr;
    Surface loaded{};
    ImageFileInfo info{};
    info.quiet = 1;
    const int ok = kv5_LoadBytes(&loaded, data, size, &info);
    std::free(data);
    if (!ok) return info.isProtected ? WINCODEC_ERR_UNSUPPORTEDOPERATION : WINCODEC_ERR_BADIMAGE;
    const uint32_t* px = srf_Lock(&loaded);
    uint32_t* copy = px ? (uint32_t*)std::malloc((size_t)loaded.width * loaded.height * 4) : nullptr;
    if (copy) {
        for (uint32_t y = 0; y < loaded.height; y++)
            for (uint32_t x = 0; x < loaded.width; x++)
                copy[(size_t)y * loaded.width + x] = px[(size_t)y * loaded.stride + x] ^ 0xFF000000u;
        *pixels = copy, *width = loaded.width, *height = loaded.height;
    }
    srf_Unlock(&loaded);
    srf_Destroy(&loaded);
    return copy ? S_OK : E_OUTOFMEMORY;
}

namespace {

// ---- the class object ----

class Kv5Factory final : public IClassFactory {
public:
    explicit Kv5Factory(HRESULT (*make)(REFIID, void**)) : make_(make) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    // A static object: its references keep the DLL through LockServer's count.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return make_(iid, out);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        lock ? InterlockedIncrement(&g_locks) : InterlockedDecrement(&g_locks);
        return S_OK;
    }

private:
    HRESULT (*make_)(REFIID, void**);
};

Kv5Factory g_decoders(kvc_NewDecoder), g_thumbnails(kvc_NewThumbnail);

}  // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (clsid == CREG_CLSID_KV5_DECODER) return g_decoders.QueryInterface(iid, out);
    if (clsid == CREG_CLSID_KV5_THUMBNAIL) return g_thumbnails.QueryInterface(iid, out);
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow() { return g_objects == 0 && g_locks == 0 ? S_OK : S_FALSE; }
