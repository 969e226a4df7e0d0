// Transcoding through the host NLS record: the active encoding, pipeline choice and reuse,
// 8-bit text to VXChar compared with glibc iconv, and back.
#include <gtest/gtest.h>

#include <iconv.h>

#include <memory>
#include <string>
#include <vector>

#include "host/vxhost_api.h"
#include "subs/vxnls.h"
#include "subs/vxnr.h"
#include "support/host_fixture.h"

namespace {

using vxtest::JournalEntry;
using vxtest::VxText;

/* glibc's UTF-32LE of well-formed UTF-8. */
std::u32string iconvUtf32(const std::string& in)
{
    iconv_t cd = iconv_open("UTF-32LE", "UTF-8");
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
    std::u32string out(in.size() + 1, 0);
    char* ip = const_cast<char*>(in.data());
    size_t il = in.size();
    char* op = reinterpret_cast<char*>(out.data());
    size_t ol = out.size() * 4;
    EXPECT_NE(iconv(cd, &ip, &il, &op, &ol), static_cast<size_t>(-1));
    EXPECT_EQ(il, 0u);
    iconv_close(cd);
    out.resize(out.size() - ol / 4);
    return out;
}

/* zCharToVXChar on a std::string; the returned count trims the result. */
std::u32string toVx(const std::string& in, int* count = nullptr)
{
    std::vector<VXChar> out(in.size() + 1, 0xDEADu);
    int n = zCharToVXChar(const_cast<char*>(in.data()), out.data(), static_cast<int>(in.size()));
    if (count) *count = n;
    return std::u32string(reinterpret_cast<const char32_t*>(out.data()), n < 0 ? 0 : static_cast<size_t>(n));
}

/* A stand-in NLS extension in front of the host's: it records how pipelines
 * are asked for, wraps each one to see its calls, and counts destructions. */
class NlsSpy : public VXNLSExt {
public:
    struct Made { bool toVx; NLScei cei; int32_t a, b; bool operator==(const Made&) const = default; };
    struct Call { VXMemSize in, capacity; VXFlags options; bool operator==(const Call&) const = default; };
    std::vector<Made> made;
    std::vector<Call> calls;
    int destroyed = 0, destroyedTwice = 0;

    explicit NlsSpy(VXHndlp h) : h_(h), real_(h->vxnls)
    {
        makeToVXChar = [](VXNLSExth e, NLScei c, int32_t a, int32_t b) { return static_cast<NlsSpy*>(e)->make(true, c, a, b); };
        makeFromVXChar = [](VXNLSExth e, NLScei c, int32_t a, int32_t b) { return static_cast<NlsSpy*>(e)->make(false, c, a, b); };
        toUpper = [](VXNLSExth e, VXChar c) { VXNLSExth r = static_cast<NlsSpy*>(e)->real_; return r->toUpper(r, c); };
        h->vxnls = this;
    }
    /* Pipelines the module left in the record are destroyed here, while their wrappers still exist. */
    ~NlsSpy()
    {
        h_->vxnls = real_;
        if (VXNLSRecord* r = h_->nls)
            for (VXNLSPipelineh* slot : {&r->SessToVXChar, &r->SessFromVXChar})
                for (const auto& w : pipes_)
                    if (*slot && w.get() == *slot) (*slot)->destroy(*slot), *slot = nullptr;
    }
    NlsSpy(const NlsSpy&) = delete;

private:
    struct Wrapped : VXNLSPipeline {
        NlsSpy* spy = nullptr;
        VXNLSPipelineh inner = nullptr;
        bool dead = false;
    };

    VXNLSPipelineh make(bool toVx, NLScei cei, int32_t a, int32_t b)
    {
        made.push_back({toVx, cei, a, b});
        VXNLSPipelineh inner = toVx ? real_->makeToVXChar(real_, cei, a, b) : real_->makeFromVXChar(real_, cei, a, b);
        if (!inner) return nullptr;
        auto w = std::make_unique<Wrapped>();
        w->spy = this, w->inner = inner;
        w->Transcode = [](VXNLSPipelineh p, const void* in, VXMemSize n, void* out, VXMemSize cap, VXMemSize* written,
                          VXFlags options) {
            auto* w = static_cast<Wrapped*>(p);
            w->spy->calls.push_back({n, cap, options});
            return w->inner->Transcode(w->inner, in, n, out, cap, written, options);
        };
        w->destroy = [](VXNLSPipelineh p) {
            auto* w = static_cast<Wrapped*>(p);
            if (w->dead) return void(++w->spy->destroyedTwice);
            w->dead = true, ++w->spy->destroyed;
            w->inner->destroy(w->inner);
        };
        return pipes_.emplace_back(std::move(w)).get();
    }

    VXHndlp h_;
    VXNLSExth real_;
    std::vector<std::unique_ptr<Wrapped>> pipes_;
};

class Nls : public vxtest::HostFixture {
protected:
    VXNLSRecord* record() const { return handle()->nls; }
    size_t made() const { return vxhost_nls_pipelines_made(host()); }
};

TEST_F(Nls, TheActiveEncodingIsStoredAndItsPipelinesRemadeOnlyOnChange)
{
    NlsSpy spy(handle());
    vxtest::RegistrySpy registry(handle());
    VXNLSRecord* r = record();
    const auto store = [](QORLONG cei) {
        return vxtest::RegistrySpy::Call{'s', "VXNLS.DRO_SESSION_CEI", 21, VXNameQORLong, 4, 0, cei};
    };

    EXPECT_EQ(zpvnls(0), 0);
    EXPECT_EQ(r->SessCei, U_WLATIN1_CE);
    EXPECT_EQ(longValue("VXNLS.DRO_SESSION_CEI"), U_WLATIN1_CE);
    EXPECT_EQ(spy.made, (std::vector<NlsSpy::Made>{{true, 62, 0, 0}, {false, 62, 0, 0}}));
    ASSERT_TRUE(r->SessToVXChar && r->SessFromVXChar);
    VXNLSPipelineh to = r->SessToVXChar, from = r->SessFromVXChar;
    EXPECT_EQ(zSessToVXChar(), to);
    EXPECT_EQ(zSessFromVXChar(), from);

    EXPECT_EQ(zpvnls(U_WLATIN1_CE), 0);
    EXPECT_EQ(spy.made.size(), 2u) << "the same encoding keeps its pipelines";
    EXPECT_EQ(r->SessToVXChar, to);
    EXPECT_EQ(spy.destroyed, 0);

    EXPECT_EQ(zpvnls(U_UTF8_CE), 0);
    EXPECT_EQ(r->SessCei, U_UTF8_CE);
    EXPECT_EQ(zSessCei(), U_UTF8_CE);
    EXPECT_EQ(spy.destroyed, 0) << "replaced pipelines are retired, never destroyed under a reader";
    EXPECT_EQ(spy.made, (std::vector<NlsSpy::Made>{{true, 62, 0, 0}, {false, 62, 0, 0}, {true, 20, 0, 0},
                                                    {false, 20, 0, 0}}));
    EXPECT_TRUE(r->SessToVXChar && r->SessToVXChar != to);

    /* An encoding the host does not know: no pipelines, and the getters
     * retry and fall back to the module-text pipelines. */
    EXPECT_EQ(zpvnls(99), 0);
    EXPECT_EQ(spy.destroyed, 0);
    EXPECT_EQ(r->SessToVXChar, nullptr);
    EXPECT_EQ(r->SessFromVXChar, nullptr);
    EXPECT_EQ(zSessCei(), 99);
    EXPECT_EQ(zSessToVXChar(), r->fromCompiler);
    EXPECT_EQ(zSessFromVXChar(), r->toCompiler);
    EXPECT_EQ(spy.made.size(), 8u);
    EXPECT_EQ(spy.destroyedTwice, 0);

    EXPECT_EQ(registry.of('s'), (std::vector<vxtest::RegistrySpy::Call>{store(62), store(62), store(20), store(99)}));
    EXPECT_EQ(journalCount(), 0u) << journalDump();
    EXPECT_EQ(vxhost_host_errors(host()), 0u);
}

TEST_F(Nls, GettersPickTheServerTheSessionOrTheModuleTextPipelines)
{
    VXNLSRecord* r = record();
    VXNLSExtended* x = r->extended;
    ASSERT_TRUE(x && x->toUTF8 && x->fromUTF8);

    /* Never set: the module's own text encoding. */
    EXPECT_EQ(zSessCei(), U_WLATIN1_CE);
    EXPECT_EQ(zSessToVXChar(), r->fromCompiler);
    EXPECT_EQ(zSessFromVXChar(), r->toCompiler);
    EXPECT_EQ(zCompToVXChar(), r->fromCompiler);
    EXPECT_EQ(zCompFromVXChar(), r->toCompiler);
    EXPECT_EQ(zLocaleh(), r->Localeh);
    EXPECT_EQ(vxzGetTpToUTF8(handle()), x->toUTF8);
    EXPECT_EQ(vxzGetTpFromUTF8(handle()), x->fromUTF8);
    EXPECT_EQ(vxzGetTpToUTF8(nullptr), nullptr);
    EXPECT_EQ(vxzGetTpFromUTF8(nullptr), nullptr);
    EXPECT_EQ(made(), 0u);

    /* Set by the host without pipelines: made on first use, then reused. */
    r->SessCei = U_WLATIN1_CE;
    VXNLSPipelineh to = zSessToVXChar();
    EXPECT_EQ(made(), 1u);
    EXPECT_EQ(zSessToVXChar(), to);
    EXPECT_EQ(r->SessToVXChar, to);
    VXNLSPipelineh from = zSessFromVXChar();
    EXPECT_EQ(zSessFromVXChar(), from);
    EXPECT_EQ(made(), 2u);
    EXPECT_TRUE(to && from && to != r->fromCompiler && from != r->toCompiler);

    /* A server works in UTF-8 whatever the session says. */
    vxhost_set_server_role(host(), 1);
    EXPECT_EQ(zSessCei(), U_UTF8_CE);
    EXPECT_EQ(zSessToVXChar(), x->fromUTF8);
    EXPECT_EQ(zSessFromVXChar(), x->toUTF8);
    vxhost_set_server_role(host(), 0);
    EXPECT_EQ(zSessToVXChar(), to);

    /* Without the extension nothing can be made: module-text pipelines,
     * until it is back. */
    r->SessToVXChar = nullptr;
    r->SessFromVXChar = nullptr;
    vxhost_nls_detach(host(), 1);
    EXPECT_EQ(zpvnls(U_UTF8_CE), 0);
    EXPECT_EQ(r->SessCei, U_UTF8_CE);
    EXPECT_EQ(zSessToVXChar(), r->fromCompiler);
    EXPECT_EQ(zSessFromVXChar(), r->toCompiler);
    EXPECT_EQ(made(), 2u);
    /* Nor module-text pipelines: the 8-bit registry reader encodes UTF-8
     * itself, one to four bytes a character, and never splits one. */
    VXNLSPipelineh toCompiler = r->toCompiler;
    r->toCompiler = nullptr;
    VXChar text[] = {0xE9, 0x20AC, 0x1F600, 'x', 0x110000, 0};
    VxText name("T");
    ASSERT_EQ(vxnrtset(name, 0, text, 0), 0);
    char narrow[16];
    std::string got;
    for (int capacity : {3, 9, 10, 12}) got += std::to_string(vxnrcget(name, 0, narrow, capacity)) + ":" + narrow + " ";
    EXPECT_EQ(got, "2:\u00E9 5:\u00E9\u20AC 9:\u00E9\u20AC\U0001F600 11:\u00E9\u20AC\U0001F600x? ");
    r->toCompiler = toCompiler;
    vxhost_nls_detach(host(), 0);
    VXNLSPipelineh utf8 = zSessToVXChar();
    EXPECT_NE(utf8, r->fromCompiler);
    EXPECT_EQ(zSessToVXChar(), utf8);
    EXPECT_EQ(made(), 3u);
    to->destroy(to);
    from->destroy(from);

    /* No record at all, or no host. */
    VXHndlp h = handle();
    VXNLSRecord* saved = h->nls;
    h->nls = nullptr;
    EXPECT_EQ(zSessCei(), U_WLATIN1_CE);
    EXPECT_EQ(zSessToVXChar(), nullptr);
    EXPECT_EQ(zSessFromVXChar(), nullptr);
    EXPECT_EQ(zCompToVXChar(), nullptr);
    EXPECT_EQ(zLocaleh(), nullptr);
    EXPECT_EQ(zpvnls(U_UTF8_CE), 0);
    h->nls = saved;
    VXHndl bare{};
    EXPECT_EQ(vxzGetTpToUTF8(&bare), nullptr);
    vxextent(nullptr);
    EXPECT_EQ(zpvnls(U_UTF8_CE), 0);
    EXPECT_EQ(zSessCei(), U_WLATIN1_CE);
    EXPECT_EQ(zSessToVXChar(), nullptr);
    vxextent(h);
    EXPECT_EQ(vxhost_host_errors(host()), 0u);
}

TEST_F(Nls, Utf8TextAgreesWithIconvAndCountsUnitsNotBytes)
{
    const std::string samples[] = {
        "MT64",
        "caf\xC3\xA9",
        "\xE2\x82\xAC" "100",
        "\xF0\x9F\x98\x80 \xE4\xB8\x80\xE4\xBA\x8C",
        "\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", /* edges of each length */
    };
    for (int mode = 0; mode < 3; ++mode) {
        /* 0: the UTF-8 session, 1: a server with a Latin-1 session, 2: never
         * set (the host's module text is UTF-8). */
        SCOPED_TRACE(mode);
        vxhost_set_server_role(host(), mode == 1);
        if (mode == 0) zpvnls(U_UTF8_CE);
        if (mode == 1) zpvnls(U_WLATIN1_CE);
        if (mode == 2) {
            zpvnls(U_WLATIN1_CE);
            record()->SessCei = 0;
        }
        for (const std::string& s : samples) {
            SCOPED_TRACE(s);
            int count = 0;
            const std::u32string want = iconvUtf32(s);
            EXPECT_EQ(toVx(s, &count), want);
            EXPECT_EQ(count, static_cast<int>(want.size()));
        }
        EXPECT_EQ(journalCount(), 0u) << journalDump();
    }
    vxhost_set_server_role(host(), 0);

    /* The pipeline sees the byte count and a capacity of four bytes a byte;
     * ill-formed input is reported and the partial result kept. */
    NlsSpy spy(handle());
    zpvnls(99);
    zpvnls(U_UTF8_CE);
    clearJournal();
    int count = 0;
    EXPECT_EQ(toVx("a\xC3\xA9z", &count), U"a\u00E9z");
    EXPECT_EQ(toVx("x\xFF" "y", &count), U"x\uFFFDy");
    EXPECT_EQ(count, 3);
    EXPECT_EQ(spy.calls, (std::vector<NlsSpy::Call>{{4, 16, 0}, {3, 12, 0}}));
    EXPECT_EQ(journal(), (std::vector<JournalEntry>{{VXSeverityError, VXHOST_STATUS_INVALID_TEXT,
                                                     vxhost_catalogue_text(VXHOST_STATUS_INVALID_TEXT)}}));

    EXPECT_EQ(zCharToVXChar(nullptr, nullptr, 5), 0);
    VXChar out[4] = {7, 7, 7, 7};
    EXPECT_EQ(zCharToVXChar(const_cast<char*>("abc"), out, 0), 0);
    EXPECT_EQ(zCharToVXChar(const_cast<char*>("abc"), out, -2), 0);
    EXPECT_EQ(zCharToVXChar(const_cast<char*>("abc"), nullptr, 3), 0);
    EXPECT_EQ(out[0], 7u);
    EXPECT_EQ(spy.calls.size(), 2u);
}

/* With no NLS record the module writes 8-bit text itself: Latin-1 with '?'
 * for what it cannot hold, or UTF-8 on a server, never cutting a character. */
TEST_F(Nls, WithoutARecordTextIsLatin1OrServerUtf8)
{
    VXHndlp h = handle();
    VXNLSRecord* saved = h->nls;
    h->nls = nullptr;
    VxText name("T");
    setText("T", "\u00E9\u20ACx");
    char buf[16];
    EXPECT_EQ(vxnrcget(name, 0, buf, sizeof buf), 3);
    EXPECT_STREQ(buf, "\xE9?x");
    vxhost_set_server_role(host(), 1);
    EXPECT_EQ(vxnrcget(name, 0, buf, sizeof buf), 6);
    EXPECT_STREQ(buf, "\xC3\xA9\xE2\x82\xACx");
    EXPECT_EQ(vxnrcget(name, 0, buf, 5), 2);
    EXPECT_STREQ(buf, "\xC3\xA9");
    vxhost_set_server_role(host(), 0);
    h->nls = saved;
    EXPECT_EQ(journalCount(), 0u) << journalDump();
}

} // namespace
