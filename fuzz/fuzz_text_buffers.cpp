// 8-bit text into VXChar (zCharToVXChar) and registry text back out
// (vxnrcget, vxnrtget), every buffer allocated at exactly the size the call
// is given, under each active encoding, the server role and a host without
// NLS: no call writes past its buffer, every result is terminated within
// it, and text read back is a prefix of what was stored that never ends in
// the middle of a character.
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "fuzz_host.h"
#include "host/vxhost_api.h"
#include "mk/vxbind.h"
#include "subs/vxnls.h"
#include "subs/vxnr.h"

namespace {

void trap(bool bad)
{
    if (bad) __builtin_trap();
}

bool scalar(VXChar c) { return c != 0 && c < 0x110000 && !(c >= 0xD800 && c <= 0xDFFF); }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    VXHost* host = fuzzHost();
    if (size < 3) return 0;
    const uint8_t control = data[0];
    const int capacity = data[1] | (data[2] & 0x3) << 8; /* 0 .. 1023 */
    data += 3;
    size -= 3;

    static const NLScei kEncodings[] = {U_WLATIN1_CE, U_UTF8_CE, 99, 0};
    zpvnls(kEncodings[control & 3]);
    vxhost_set_server_role(host, control & 4 ? 1 : 0);
    vxhost_nls_detach(host, control & 8 ? 1 : 0);
    const bool utf8 = zSessCei() == U_UTF8_CE;

    /* Bytes in, code units out, both exactly n long. */
    const int n = static_cast<int>(size);
    auto in = std::make_unique<char[]>(size);
    if (n > 0) std::memcpy(in.get(), data, size);
    auto units = std::make_unique<VXChar[]>(size);
    const int got = zCharToVXChar(in.get(), units.get(), n);
    trap(got < 0 || got > n);

    /* The units stored as registry text (up to their first NUL, as the
     * host keeps text), then read back into exact buffers. */
    int stored = 0;
    while (stored < got && units[stored] != 0) ++stored;
    VXChar name[] = {'F', 'U', 'Z', 'Z', '.', 'T', 'E', 'X', 'T', 0};
    VXHndlp h = vxhost_handle(host);
    h->nameSet(h, name, -1, 1, VXNameString, units.get(), static_cast<VXMemSize>(stored) * sizeof(VXChar), nullptr,
               0);

    auto narrow = std::make_unique<char[]>(static_cast<size_t>(capacity));
    const int len = vxnrcget(name, -1, narrow.get(), capacity);
    trap(len < 0 || (capacity > 0 && (len > capacity - 1 || narrow[len] != 0)) || (capacity == 0 && len != 0));

    /* Under UTF-8 the bytes decode to whole characters of the stored text. */
    bool allScalar = true;
    for (int i = 0; i < stored; ++i) allScalar = allScalar && scalar(units[i]);
    if (utf8 && allScalar && len > 0) {
        auto again = std::make_unique<VXChar[]>(static_cast<size_t>(len));
        const int back = zCharToVXChar(narrow.get(), again.get(), len);
        trap(back > stored || std::memcmp(again.get(), units.get(), static_cast<size_t>(back) * sizeof(VXChar)) != 0);
    }

    const int wideCapacity = capacity % 300;
    auto wide = std::make_unique<VXChar[]>(static_cast<size_t>(wideCapacity));
    const int wlen = vxnrtget(name, -1, wide.get(), wideCapacity);
    trap(wlen < 0 || (wideCapacity > 0 && (wlen > wideCapacity - 1 || wide[wlen] != 0)) ||
         (wideCapacity == 0 && wlen != 0));
    trap(wlen > stored || std::memcmp(wide.get(), units.get(), static_cast<size_t>(wlen) * sizeof(VXChar)) != 0);

    vxhost_set_server_role(host, 0);
    vxhost_nls_detach(host, 0);
    vxhost_journal_clear(host);
    return 0;
}
