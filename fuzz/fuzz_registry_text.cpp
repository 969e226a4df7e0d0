// Registry text as users type it: vxnrstol's grammar, vxnrlook's keywords and
// vxnrlget's text fallback must end with a value and never crash.
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz_host.h"
#include "subs/vxnr.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    VXHost* host = fuzzHost();
    std::vector<VXChar> text(size / 4 + 1, 0);
    std::memcpy(text.data(), data, size / 4 * 4);
    // Code units the registry would never hold as text are still given to the parser.
    const QORLONG v = vxnrstol(text.data());
    if (v > 9007199254740992LL || v < -9007199254740992LL)
        __builtin_trap();

    VXChar name[] = {'F', 'U', 'Z', 'Z', '.', 'K', 'E', 'Y', 0};
    VXHndlp h = vxhost_handle(host);
    h->nameSet(h, name, -1, 1, VXNameString, text.data(), (text.size() - 1) * 4, nullptr, 0);
    vxnrlget(name, -1, 7);
    VXChar kw1[] = {'N', 'O', 'T', 'E', 0}, kw2[] = {'A', 'L', 'L', 0};
    const int look = vxnrlook(name, -1, 5, kw1, 2, kw2, 0, static_cast<VXChar*>(nullptr));
    if (look != 2 && look != 0 && look != 5)
        __builtin_trap();
    VXChar back[128];
    vxnrtget(name, -1, back, 128);
    vxnrlimit(name, -1, 3);
    vxhost_journal_clear(host);
    return 0;
}
