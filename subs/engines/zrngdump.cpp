#include "subs/engines/zrngdump.h"

#include <cstdint>
#include <cstring>
#include <type_traits>

#include "mk/vxbind.h"

namespace {

VXJnlh journal()
{
    VXHndlp h = Exported_VXHandle;
    return h != nullptr ? h->vxjnl : nullptr;
}

template <class T>
void dump(const void* blob, VXMemSize blob_size, int max_len)
{
    constexpr bool k32 = sizeof(T) == 4;
    const int count = static_cast<int>(blob_size / sizeof(T));
    const int shown = max_len <= 0 ? 0 : (max_len < count ? max_len : count);
    const auto* bytes = static_cast<const uint8_t*>(blob);
    using Arg = std::conditional_t<k32, unsigned int, unsigned long long>;
    for (int i = 0; i < shown; i += 4) {
        Arg v[4] = {0, 0, 0, 0};
        const int m = (shown - i) < 4 ? (shown - i) : 4;
        for (int j = 0; j < m; ++j) {
            T w;
            std::memcpy(&w, bytes + static_cast<size_t>(i + j) * sizeof(T), sizeof(T));
            v[j] = static_cast<Arg>(w);
        }
        VXJnlh jnl = journal();
        if (jnl == nullptr) continue;
        /* Chosen by a switch rather than a table: a static table of
         * VXT() pointers would need run-time initialisation. */
        const VXChar* fmt = nullptr;
        if constexpr (k32) {
            switch (m) {
            case 1: fmt = VXT("   %3i: %8x"); break;
            case 2: fmt = VXT("   %3i: %8x  %3i: %8x"); break;
            case 3: fmt = VXT("   %3i: %8x  %3i: %8x  %3i: %8x"); break;
            default: fmt = VXT("   %3i: %8x  %3i: %8x  %3i: %8x  %3i: %8x"); break;
            }
        } else {
            switch (m) {
            case 1: fmt = VXT("   %3i: %16llx"); break;
            case 2: fmt = VXT("   %3i: %16llx  %3i: %16llx"); break;
            case 3: fmt = VXT("   %3i: %16llx  %3i: %16llx  %3i: %16llx"); break;
            default: fmt = VXT("   %3i: %16llx  %3i: %16llx  %3i: %16llx  %3i: %16llx"); break;
            }
        }
        /* Unused trailing arguments are ignored by the formatter. */
        vxlMessageToJnl(jnl, VXSeverityNull, fmt, 0, i, v[0], i + 1, v[1], i + 2, v[2], i + 3, v[3]);
    }
    if (max_len < count) {
        VXJnlh jnl = journal();
        if (jnl != nullptr) vxlMessageToJnl(jnl, VXSeverityNull, VXT("        Further elements omitted."), 0);
    }
}

} // namespace

void vxeng::dumpWords32(const void* blob, VXMemSize blob_size, int max_len)
{
    dump<uint32_t>(blob, blob_size, max_len);
}

void vxeng::dumpWords64(const void* blob, VXMemSize blob_size, int max_len)
{
    dump<uint64_t>(blob, blob_size, max_len);
}
