/* Text transcoding through the host's NLS record.  The pipelines and the
 * encoding number live in the host's record; this unit only picks and
 * lazily makes them.
 *
 * The record is shared by every thread and has no lock, so its encoding
 * number and session pipelines are read and written as atomics, and a
 * pipeline that has been stored there is never destroyed by the module: a
 * reader may have just loaded it.  A pipeline that an encoding switch
 * replaces is retired, left to the host, which releases every pipeline it
 * made when it shuts down (with the module).  Sessions switch encoding a
 * handful of times, so what stays behind is two small records per switch. */
#include <atomic>

#include "mk/vxbind.h"
#include "subs/vxnls.h"

namespace {

using PipelineSlot = std::atomic_ref<VXNLSPipelineh>;
using CeiSlot = std::atomic_ref<NLScei>;

NLScei sessionCei(VXNLSRecord* r) { return CeiSlot(r->SessCei).load(std::memory_order_acquire); }

/* The session pipeline of one direction, made on first use.  Threads that
 * make one at the same moment agree on the first stored; the others destroy
 * theirs, which no one else has seen.  A pipeline made for an encoding that
 * was switched away meanwhile is taken out again (and retired) so that it
 * cannot stand for the new one. */
VXNLSPipelineh sessionPipeline(VXHndlp h, VXNLSRecord* r, VXNLSPipelineh& field, bool toVx)
{
    PipelineSlot slot(field);
    if (VXNLSPipelineh p = slot.load(std::memory_order_acquire)) return p;
    const NLScei cei = sessionCei(r);
    VXNLSExth ext = h->vxnls;
    VXNLSPipelineh made = ext ? (toVx ? ext->makeToVXChar : ext->makeFromVXChar)(ext, cei, 0, 0) : nullptr;
    if (!made) return nullptr;
    VXNLSPipelineh expected = nullptr;
    if (!slot.compare_exchange_strong(expected, made, std::memory_order_acq_rel)) {
        made->destroy(made);
        return expected;
    }
    if (sessionCei(r) != cei) {
        VXNLSPipelineh stale = made;
        slot.compare_exchange_strong(stale, nullptr, std::memory_order_acq_rel);
    }
    return made;
}

VXNLSRecord* record(VXHndlp h) { return h ? h->nls : nullptr; }

bool serverRole(VXHndlp h) { return h && h->server && h->server->server_role != 0; }

VXNLSPipelineh toUtf8(VXHndlp h)
{
    VXNLSRecord* r = record(h);
    return r && r->extended ? r->extended->toUTF8 : nullptr;
}

VXNLSPipelineh fromUtf8(VXHndlp h)
{
    VXNLSRecord* r = record(h);
    return r && r->extended ? r->extended->fromUTF8 : nullptr;
}

/* Decodes UTF-8; a byte that does not start a well-formed sequence becomes
 * U+FFFD on its own so that the output never outgrows the input. */
int decodeUtf8(const unsigned char* in, int n, VXChar* out)
{
    int k = 0;
    for (int i = 0; i < n;) {
        unsigned char b = in[i];
        int extra = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
        VXChar c = extra == 0 ? b : extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
        bool ok = extra >= 0 && i + extra < n;
        for (int j = 1; ok && j <= extra; ++j) {
            ok = (in[i + j] & 0xC0) == 0x80;
            c = (c << 6) | (in[i + j] & 0x3F);
        }
        static constexpr VXChar kMin[4] = {0, 0x80, 0x800, 0x10000};
        if (ok && (c < kMin[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))) ok = false;
        if (ok) {
            out[k++] = c;
            i += extra + 1;
        } else {
            out[k++] = 0xFFFD;
            ++i;
        }
    }
    return k;
}

} // namespace

extern "C" {

VXAPI VXStatus zpvnls(NLScei cei)
{
    if (cei == 0) cei = U_WLATIN1_CE;
    VXHndlp h = Exported_VXHandle;
    if (!h) return 0;
    if (h->nameSet) {
        QORLONG value = cei;
        h->nameSet(h, VXT("VXNLS.DRO_SESSION_CEI"), 21, 4, VXNameQORLong, &value, 0, nullptr, 0);
    }
    VXNLSRecord* r = record(h);
    if (!r || CeiSlot(r->SessCei).exchange(cei, std::memory_order_acq_rel) == cei) return 0;
    /* The replaced pipelines are retired, not destroyed (see the top). */
    VXNLSExth ext = h->vxnls;
    PipelineSlot(r->SessToVXChar).store(ext ? ext->makeToVXChar(ext, cei, 0, 0) : nullptr, std::memory_order_release);
    PipelineSlot(r->SessFromVXChar)
        .store(ext ? ext->makeFromVXChar(ext, cei, 0, 0) : nullptr, std::memory_order_release);
    return 0;
}

VXAPI NLScei zSessCei(void)
{
    VXHndlp h = Exported_VXHandle;
    if (serverRole(h)) return U_UTF8_CE;
    VXNLSRecord* r = record(h);
    const NLScei cei = r ? sessionCei(r) : 0;
    return cei != 0 ? cei : U_WLATIN1_CE;
}

VXAPI VXNLSPipelineh zSessToVXChar(void)
{
    VXHndlp h = Exported_VXHandle;
    if (serverRole(h)) return fromUtf8(h);
    VXNLSRecord* r = record(h);
    if (!r) return nullptr;
    if (sessionCei(r) == 0) return r->fromCompiler;
    VXNLSPipelineh p = sessionPipeline(h, r, r->SessToVXChar, true);
    return p ? p : r->fromCompiler;
}

VXAPI VXNLSPipelineh zSessFromVXChar(void)
{
    VXHndlp h = Exported_VXHandle;
    if (serverRole(h)) return toUtf8(h);
    VXNLSRecord* r = record(h);
    if (!r) return nullptr;
    if (sessionCei(r) == 0) return r->toCompiler;
    VXNLSPipelineh p = sessionPipeline(h, r, r->SessFromVXChar, false);
    return p ? p : r->toCompiler;
}

VXAPI VXNLSPipelineh zCompToVXChar(void)
{
    VXNLSRecord* r = record(Exported_VXHandle);
    return r ? r->fromCompiler : nullptr;
}

VXAPI VXNLSPipelineh zCompFromVXChar(void)
{
    VXNLSRecord* r = record(Exported_VXHandle);
    return r ? r->toCompiler : nullptr;
}

VXAPI VXLocaleh zLocaleh(void)
{
    VXNLSRecord* r = record(Exported_VXHandle);
    return r ? r->Localeh : nullptr;
}

/* Without a pipeline (no NLS record, or none could be made) the text is
 * converted here: UTF-8 when the active encoding is UTF-8 (a server host),
 * Latin-1 otherwise, Latin-1 being the host's default encoding and the one
 * in which every byte is a character. */
VXAPI int zCharToVXChar(char* in, VXChar* out, int n)
{
    if (!in || !out || n <= 0) return 0;
    if (VXNLSPipelineh p = zSessToVXChar()) {
        VXMemSize written = 0;
        VXMemSize capacity = static_cast<VXMemSize>(n) * sizeof(VXChar);
        VXStatus s = p->Transcode(p, in, static_cast<VXMemSize>(n), out, capacity, &written, 0);
        if (s != 0) {
            VXHndlp h = Exported_VXHandle;
            if (VXJnlh jnl = h ? h->vxjnl : nullptr) vxlStatusToJnl(jnl, VXSeverityError, s);
        }
        if (written > capacity) written = capacity;
        return static_cast<int>(written / sizeof(VXChar));
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(in);
    if (zSessCei() == U_UTF8_CE) return decodeUtf8(bytes, n, out);
    for (int i = 0; i < n; ++i) out[i] = bytes[i];
    return n;
}

VXAPI VXNLSPipelineh vxzGetTpToUTF8(VXHndlp handle) { return toUtf8(handle); }

VXAPI VXNLSPipelineh vxzGetTpFromUTF8(VXHndlp handle) { return fromUtf8(handle); }

} // extern "C"
