/* Text transcoding through the host's NLS record.  The pipelines and the
 * encoding number live in the host's record; this unit only picks and
 * lazily makes them. */
#include "mk/vxbind.h"
#include "subs/vxnls.h"

namespace {

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
    if (!r || r->SessCei == cei) return 0;
    r->SessCei = cei;
    if (VXNLSPipelineh p = r->SessToVXChar) p->destroy(p);
    if (VXNLSPipelineh p = r->SessFromVXChar) p->destroy(p);
    r->SessToVXChar = nullptr;
    r->SessFromVXChar = nullptr;
    if (VXNLSExth ext = h->vxnls) {
        r->SessToVXChar = ext->makeToVXChar(ext, cei, 0, 0);
        r->SessFromVXChar = ext->makeFromVXChar(ext, cei, 0, 0);
    }
    return 0;
}

VXAPI NLScei zSessCei(void)
{
    VXHndlp h = Exported_VXHandle;
    if (serverRole(h)) return U_UTF8_CE;
    VXNLSRecord* r = record(h);
    return r && r->SessCei != 0 ? r->SessCei : U_WLATIN1_CE;
}

VXAPI VXNLSPipelineh zSessToVXChar(void)
{
    VXHndlp h = Exported_VXHandle;
    if (serverRole(h)) return fromUtf8(h);
    VXNLSRecord* r = record(h);
    if (!r) return nullptr;
    if (r->SessCei == 0) return r->fromCompiler;
    if (r->SessToVXChar) return r->SessToVXChar;
    VXNLSPipelineh p = h->vxnls ? h->vxnls->makeToVXChar(h->vxnls, r->SessCei, 0, 0) : nullptr;
    r->SessToVXChar = p;
    return p ? p : r->fromCompiler;
}

VXAPI VXNLSPipelineh zSessFromVXChar(void)
{
    VXHndlp h = Exported_VXHandle;
    if (serverRole(h)) return toUtf8(h);
    VXNLSRecord* r = record(h);
    if (!r) return nullptr;
    if (r->SessCei == 0) return r->toCompiler;
    if (r->SessFromVXChar) return r->SessFromVXChar;
    VXNLSPipelineh p = h->vxnls ? h->vxnls->makeFromVXChar(h->vxnls, r->SessCei, 0, 0) : nullptr;
    r->SessFromVXChar = p;
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
