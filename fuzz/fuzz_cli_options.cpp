// The command-line tool's argument parser on any argument vector: words
// split at NUL bytes.  Every input either parses or is refused with a usage
// error; the option readers then accept or refuse each value the same way.
#include <cstdint>
#include <string>
#include <vector>

#include "tools/vxalea/options.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<std::string> words{"vxalea"};
    std::string word;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            words.push_back(word);
            word.clear();
        } else {
            word.push_back(static_cast<char>(data[i]));
        }
    }
    words.push_back(word);
    if (words.size() > 64) return 0;
    std::vector<char*> argv;
    for (auto& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);

    try {
        const vxcli::Options o = vxcli::parseCommandLine(static_cast<int>(words.size()), argv.data());
        try { (void)vxcli::streamOptions(o); } catch (const vxcli::UsageError&) {}
        try { (void)vxcli::outputOptions(o); } catch (const vxcli::UsageError&) {}
        try { (void)vxcli::registrySettings(o); } catch (const vxcli::UsageError&) {}
        for (const auto& w : o.positional) {
            try { (void)vxcli::parseDouble(w, "a parameter"); } catch (const vxcli::UsageError&) {}
            try { (void)vxcli::parseI64(w, "a parameter"); } catch (const vxcli::UsageError&) {}
            (void)vxcli::splitList(w);
        }
    } catch (const vxcli::UsageError&) {
    }
    return 0;
}
