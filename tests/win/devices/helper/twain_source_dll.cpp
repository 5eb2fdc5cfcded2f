// twain_source_dll.cpp — a stand-in TWAIN source manager (built as TWAINDSM.DLL) with
// one source that has an image ready as soon as it is enabled: it hands over, as the
// native transfer, a copy of whatever block the test gave it with twfake_SetImage.
// No block given: the transfer fails. Every other call succeeds.
#include <windows.h>
#include <stdint.h>
#include <string.h>

namespace {

#pragma pack(push, 2)
struct TwEvent {
    void* message;
    uint16_t tmessage;
};
#pragma pack(pop)

const uint16_t DAT_EVENT = 2, DAT_USERINTERFACE = 9, DAT_IMAGENATIVEXFER = 0x0104;
const uint16_t MSG_XFERREADY = 0x0101, MSG_ENABLEDS = 0x0502;
const uint16_t TWRC_SUCCESS = 0, TWRC_FAILURE = 1, TWRC_DSEVENT = 4, TWRC_XFERDONE = 6;

const uint8_t* g_image;
size_t g_size;

}  // namespace

extern "C" __declspec(dllexport) void twfake_SetImage(const uint8_t* image, size_t size) {
    g_image = image;
    g_size = size;
}

extern "C" __declspec(dllexport) uint16_t WINAPI DSM_Entry(void*, void*, uint32_t, uint16_t dat, uint16_t msg,
                                                           void* data) {
    switch (dat) {
    case DAT_USERINTERFACE:
        // The program waits for a message before it asks for events.
        if (msg == MSG_ENABLEDS) PostThreadMessageA(GetCurrentThreadId(), WM_NULL, 0, 0);
        return TWRC_SUCCESS;
    case DAT_EVENT:
        ((TwEvent*)data)->tmessage = MSG_XFERREADY;
        return TWRC_DSEVENT;
    case DAT_IMAGENATIVEXFER: {
        HGLOBAL block = g_image ? GlobalAlloc(GMEM_MOVEABLE, g_size ? g_size : 1) : nullptr;
        void* p = block ? GlobalLock(block) : nullptr;
        if (!p) return TWRC_FAILURE;
        memcpy(p, g_image, g_size);
        GlobalUnlock(block);
        *(HGLOBAL*)data = block;
        return TWRC_XFERDONE;
    }
    default: return TWRC_SUCCESS;
    }
}
