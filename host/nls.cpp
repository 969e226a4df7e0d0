/* NLS: transcoding pipelines between 8-bit encodings and VXChar, and the
 * upper-case mapping of one code unit.
 *
 * Encodings offered: 20 (UTF-8) and 62 (Windows Latin-1, cp1252).  Invalid
 * input becomes U+FFFD (towards cp1252, which has no U+FFFD, it becomes
 * '?') and the call answers VXHOST_STATUS_INVALID_TEXT; output that does
 * not fit stops after the last whole unit and answers
 * VXHOST_STATUS_TRUNCATED, which wins over an invalid-text status. */
#include <cstring>
#include <cwctype>
#include <new>

#include "host/host_internal.h"

namespace vxh {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

/* cp1252 bytes 0x80..0x9F; 0 marks the five bytes the code page leaves undefined. */
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

bool toCp1252(char32_t c, unsigned char* b)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        *b = static_cast<unsigned char>(c);
        return true;
    }
    for (int i = 0; i < 32; ++i)
        if (kCp1252High[i] != 0 && kCp1252High[i] == c) {
            *b = static_cast<unsigned char>(0x80 + i);
            return true;
        }
    return false;
}

void storeUnit(unsigned char* out, size_t& w, char32_t c)
{
    std::memcpy(out + w, &c, sizeof c);
    w += sizeof c;
}

VXStatus transcode(VXNLSPipelineh pl, const void* in, VXMemSize in_bytes, void* out, VXMemSize cap,
                   VXMemSize* written, VXFlags /*options: none defined*/)
{
    if (!pl || !written || (!in && in_bytes > 0) || (!out && cap > 0)) {
        if (written) *written = 0;
        return VX_STATUS_NULL_ARGUMENT;
    }
    const Pipeline* p = static_cast<const Pipeline*>(pl);
    const auto* src = static_cast<const unsigned char*>(in);
    auto* dst = static_cast<unsigned char*>(out);
    bool invalid = false;
    bool truncated = false;
    size_t w = 0;
    switch (p->codec) {
    case Codec::Utf8ToVx:
        for (size_t i = 0; i < in_bytes;) {
            if (cap - w < sizeof(VXChar)) { truncated = true; break; }
            char32_t c;
            i += decodeUtf8(src + i, in_bytes - i, &c, &invalid);
            storeUnit(dst, w, c);
        }
        break;
    case Codec::Cp1252ToVx:
        for (size_t i = 0; i < in_bytes; ++i) {
            if (cap - w < sizeof(VXChar)) { truncated = true; break; }
            char32_t c = src[i];
            if (c >= 0x80 && c < 0xA0) {
                c = kCp1252High[c - 0x80];
                if (c == 0) {
                    c = kReplacement;
                    invalid = true;
                }
            }
            storeUnit(dst, w, c);
        }
        break;
    case Codec::VxToUtf8:
    case Codec::VxToCp1252: {
        const size_t units = in_bytes / sizeof(VXChar);
        if (in_bytes % sizeof(VXChar) != 0) invalid = true; /* a trailing partial unit is dropped */
        std::string one;
        for (size_t i = 0; i < units; ++i) {
            char32_t c;
            std::memcpy(&c, src + i * sizeof c, sizeof c);
            one.clear();
            if (p->codec == Codec::VxToUtf8) {
                appendUtf8(one, c, &invalid);
            } else {
                unsigned char b;
                if (!toCp1252(c, &b)) {
                    b = '?';
                    invalid = true;
                }
                one += static_cast<char>(b);
            }
            if (cap - w < one.size()) { truncated = true; break; }
            std::memcpy(dst + w, one.data(), one.size());
            w += one.size();
        }
        break;
    }
    }
    *written = w;
    if (truncated) return VXHOST_STATUS_TRUNCATED;
    return invalid ? VXHOST_STATUS_INVALID_TEXT : 0;
}

void pipelineDestroy(VXNLSPipelineh pl)
{
    if (!pl) return;
    Pipeline* p = static_cast<Pipeline*>(pl);
    Host* host = p->host;
    {
        std::lock_guard<std::mutex> g(host->pipelinesMu);
        if (host->pipelines.erase(p) == 0) {
            host->hostErrors.fetch_add(1);
            return;
        }
    }
    delete p;
}

Pipeline* pipelineMake(Host* host, Codec codec)
{
    Pipeline* p = new (std::nothrow) Pipeline();
    if (!p) return nullptr;
    p->Transcode = transcode;
    p->destroy = pipelineDestroy;
    p->host = host;
    p->codec = codec;
    try {
        std::lock_guard<std::mutex> g(host->pipelinesMu);
        host->pipelines.insert(p);
    } catch (...) {
        delete p;
        return nullptr;
    }
    return p;
}

/* The two trailing arguments select variants (substitution policy, byte
 * order marks) in the kernel; this host has one variant per encoding. */
VXNLSPipelineh makeToVXChar(VXNLSExth ext, NLScei cei, int32_t, int32_t)
{
    if (!ext) return nullptr;
    Host* host = static_cast<NlsExt*>(ext)->host;
    Pipeline* p = nullptr;
    if (cei == U_UTF8_CE) p = pipelineMake(host, Codec::Utf8ToVx);
    else if (cei == U_WLATIN1_CE) p = pipelineMake(host, Codec::Cp1252ToVx);
    if (p) host->pipelinesMade.fetch_add(1);
    return p;
}

VXNLSPipelineh makeFromVXChar(VXNLSExth ext, NLScei cei, int32_t, int32_t)
{
    if (!ext) return nullptr;
    Host* host = static_cast<NlsExt*>(ext)->host;
    Pipeline* p = nullptr;
    if (cei == U_UTF8_CE) p = pipelineMake(host, Codec::VxToUtf8);
    else if (cei == U_WLATIN1_CE) p = pipelineMake(host, Codec::VxToCp1252);
    if (p) host->pipelinesMade.fetch_add(1);
    return p;
}

VXChar toUpper(VXNLSExth ext, VXChar c)
{
    if (!ext || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return c;
    Host* host = static_cast<NlsExt*>(ext)->host;
    if (host->ctypeLocale == (locale_t)0) return c < 0x80 ? static_cast<VXChar>(std::towupper(c)) : c;
    return static_cast<VXChar>(towupper_l(static_cast<wint_t>(c), host->ctypeLocale));
}

} // namespace

void nlsInit(Host* host)
{
    /* A fixed Unicode locale, so the case mapping does not depend on the
     * environment the host runs in. */
    host->ctypeLocale = newlocale(LC_CTYPE_MASK, "C.UTF-8", (locale_t)0);
    host->nlsExt.makeToVXChar = makeToVXChar;
    host->nlsExt.makeFromVXChar = makeFromVXChar;
    host->nlsExt.toUpper = toUpper;
    host->nlsExt.host = host;
    host->vxnls = &host->nlsExt;

    /* The module's own text is ASCII, so UTF-8 serves as its compiler encoding. */
    VXNLSRecord& r = host->nlsRecord;
    r.Localeh = host->ctypeLocale != (locale_t)0 ? static_cast<VXLocaleh>(host->ctypeLocale)
                                                 : static_cast<VXLocaleh>(&host->nlsRecord);
    r.toCompiler = pipelineMake(host, Codec::VxToUtf8);
    r.fromCompiler = pipelineMake(host, Codec::Utf8ToVx);
    r.SessCei = 0;
    r.SessToVXChar = nullptr;
    r.SessFromVXChar = nullptr;
    host->nlsExtended.toUTF8 = pipelineMake(host, Codec::VxToUtf8);
    host->nlsExtended.fromUTF8 = pipelineMake(host, Codec::Utf8ToVx);
    r.extended = &host->nlsExtended;
    host->nls = &host->nlsRecord;
    host->server = &host->serverData;
}

void nlsShutdown(Host* host)
{
    /* Also takes the pipelines the module left in the record. */
    std::unordered_set<Pipeline*> left;
    {
        std::lock_guard<std::mutex> g(host->pipelinesMu);
        left.swap(host->pipelines);
    }
    for (Pipeline* p : left) delete p;
    host->nlsRecord = VXNLSRecord{};
    host->nlsExtended = VXNLSExtended{};
    if (host->ctypeLocale != (locale_t)0) freelocale(host->ctypeLocale);
    host->ctypeLocale = (locale_t)0;
}

} // namespace vxh

using namespace vxh;

extern "C" {

void vxhost_set_server_role(VXHost* host, uint64_t role)
{
    if (host) host->serverData.server_role = role;
}

size_t vxhost_nls_pipelines_made(VXHost* host) { return host ? host->pipelinesMade.load() : 0; }

void vxhost_nls_detach(VXHost* host, int detached)
{
    if (host) host->vxnls = detached ? nullptr : &host->nlsExt;
}

} // extern "C"
