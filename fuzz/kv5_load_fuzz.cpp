// Fuzzes the KV5 reader and probe on arbitrary file bytes, cut where the file reader
// would stop reading. Quiet runs must never ask; loud runs answer the password prompt
// once so the password layer is decoded too.
#include <cstdint>
#include <cstdlib>
#include "formats/kv5_file.h"
#include "formats/kv5_protect.h"
#include "support/ui_script.h"
#include "loader_contract.h"
#include "small_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* raw, size_t size) {
    const uint8_t* data = fz_SmallKv5(raw, size).data();
    size_t use = kv5_LoadExtent(data, size);
    if (use > size) use = size;
    ImageFileInfo info{};
    info.quiet = size && (data[size - 1] & 1);
    uiscript_Reset();
    if (!info.quiet) {
        UiScriptedAnswer a;
        a.result = 1;
        a.text1 = "pw";
        uiscript_QueuePrompt(KV5_PASSWORD_PROMPT, a);
    }
    Surface out{};
    if (fz_CheckLoad(kv5_LoadBytes(&out, data, use, &info), &out, info)) srf_Destroy(&out);
    if (info.quiet && !uiscript_PromptsAsked().empty()) std::abort();
    ImageFileInfo probe{};
    size_t probeUse = kv5_ProbeExtent(data, size);
    kv5_ProbeBytes(data, probeUse < size ? probeUse : size, &probe);
    return 0;
}
