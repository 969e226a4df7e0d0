// Engine state out and back in: an MT64 stream dumps its generator words to
// the host journal, the words are read back from the journal's text and
// imported into a second stream of another seed, which then draws exactly
// what the first one draws.
//
// The imported state is the generator words only, not the read position, so
// the dump is taken where the first stream has used up its block of 312
// words, as it has right after seeding or after any multiple of 312 draws:
// there both streams regenerate from the same words on their next draw.
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include <vxalea/vxalea.hpp>

namespace {

constexpr int kWords = 312;

// Lines "     0: 8f3e...    1: ..." hold index: value pairs in hexadecimal.
std::vector<uint64_t> wordsFromJournal(const vxalea::host& host)
{
    std::vector<uint64_t> words(kWords);
    int found = 0;
    for (size_t i = 0; i < host.journal_size(); ++i) {
        std::istringstream line{std::string(host.journal(i).text)};
        std::string index, value;
        while (line >> index >> value) {
            if (index.empty() || index.back() != ':') break;
            const int k = std::stoi(index);
            if (k < 0 || k >= kWords) continue;
            words[static_cast<size_t>(k)] = std::stoull(value, nullptr, 16);
            ++found;
        }
    }
    if (found != kWords) words.clear();
    return words;
}

} // namespace

int main()
try {
    vxalea::host host;
    vxalea::module mod(host);
    vxalea::pool pool(host);
    vxalea::stream64 a(mod, pool, {.method = "MT64", .seed = 7});
    for (int i = 0; i < 3 * kWords; ++i) a();

    host.clear_journal();
    a.dump_state(kWords);
    std::printf("dump: %zu journal lines, the first\n%s\n", host.journal_size(),
                std::string(host.journal(0).text).c_str());
    const std::vector<uint64_t> words = wordsFromJournal(host);
    if (words.empty() || std::memcmp(words.data(), a.state().data(), a.state().size()) != 0) {
        std::fprintf(stderr, "state_round_trip: the dump does not show the state\n");
        return 1;
    }

    vxalea::stream64 b(mod, pool, {.method = "MT64", .seed = 1});
    const int result = b.import_state(std::as_bytes(std::span(words)));
    std::printf("imported %zu bytes (result %d)\n", words.size() * sizeof(uint64_t), result);
    for (int i = 0; i < 10000; ++i) {
        const uint64_t x = a(), y = b();
        if (x != y) {
            std::fprintf(stderr, "state_round_trip: draw %d differs\n", i);
            return 1;
        }
        if (i < 3) std::printf("draw %d: %" PRIu64 " in both\n", i, x);
    }
    std::printf("10000 draws agree\n");
    return 0;
} catch (const vxalea::error& e) {
    std::fprintf(stderr, "state_round_trip: %s\n", e.what());
    return 1;
}
