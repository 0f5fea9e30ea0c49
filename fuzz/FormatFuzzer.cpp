// fuzz_format: Format with arguments and a format text taken from the input. The arguments come
// first (their count and kinds from the input's end, texts from its front), the format is the
// rest, so that the dictionary's directives land in it whole. EConvertError, naming the format,
// is the documented outcome of a format that does not fit its arguments; any other exception,
// a crash or a report of a sanitizer is a finding.

#include "fuzz/Check.h"
#include "platform/Format.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <fuzzer/FuzzedDataProvider.h>
#include <string>
#include <string_view>
#include <vector>

namespace vx::fuzz {
namespace {

constexpr int MaxArgs = 8;
constexpr std::size_t MaxArgText = 64;

std::vector<TFormatArg> ConsumeArgs(FuzzedDataProvider& provider) {
    std::vector<TFormatArg> args;
    const int count = provider.ConsumeIntegralInRange(0, MaxArgs);
    for (int i = 0; i < count; ++i) {
        switch (provider.ConsumeIntegralInRange(0, 3)) {
        case 0:
            args.emplace_back(provider.ConsumeIntegral<std::int64_t>());
            break;
        case 1:
            args.emplace_back(provider.ConsumeIntegral<std::uint64_t>());
            break;
        case 2:
            // Every bit pattern: NaNs, infinities and subnormals too.
            args.emplace_back(std::bit_cast<double>(provider.ConsumeIntegral<std::uint64_t>()));
            break;
        default:
            args.emplace_back(provider.ConsumeBytesAsString(
                provider.ConsumeIntegralInRange<std::size_t>(0, MaxArgText)));
            break;
        }
    }
    return args;
}

} // namespace
} // namespace vx::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vx::fuzz;
    FuzzedDataProvider provider(data, size);
    const std::vector<vx::TFormatArg> args = ConsumeArgs(provider);
    const std::string format = provider.ConsumeRemainingBytesAsString();
    try {
        const std::string text = vx::FormatV(format, args);
        if (format.find('%') == std::string::npos && text != format) {
            Fail("a format without directives does not come out as it is");
        }
    } catch (const vx::EConvertError& error) {
        // what() is a C string: a format holding a NUL is named up to it.
        const std::string named = format.substr(0, format.find('\0'));
        if (std::string_view(error.what()).find(named) == std::string_view::npos) {
            Fail("the error does not name the format");
        }
    }
    return 0;
}
