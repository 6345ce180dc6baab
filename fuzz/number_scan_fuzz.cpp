// The number scanner against a C++ stream in the classic locale, which is what it stands
// in for: on the same text, a run of extractions must agree on success, on the value (to
// the bit, so a sign of zero counts) and on where the next extraction starts. Floats are
// read one after another as the entries are, until one fails; the order is read once.

#include "fuzz_check.hpp"

#include "number_scan.hpp"

#include <bit>
#include <cstdint>
#include <sstream>
#include <string>

namespace {

using torvane::scan_float;
using torvane::scan_int;

std::size_t stream_position(std::istringstream& stream)
{
    stream.clear();
    return static_cast<std::size_t>(stream.rdbuf()->pubseekoff(0, std::ios::cur, std::ios::in));
}

std::uint32_t bits_of(float value) { return std::bit_cast<std::uint32_t>(value); }
std::uint32_t bits_of(std::int32_t value) { return static_cast<std::uint32_t>(value); }

// One extraction of T both ways from where the last one left off; false when it failed.
template <class T, class Scan>
bool agree_once(std::istringstream& stream, const char*& pos, const std::string& text, Scan scan)
{
    T expected{};
    const bool stream_ok = static_cast<bool>(stream >> expected);
    T value{};
    const bool ok = scan(pos, text.data() + text.size(), value);
    FUZZ_CHECK(ok == stream_ok);
    FUZZ_CHECK(static_cast<std::size_t>(pos - text.data()) == stream_position(stream));
    if (ok)
        FUZZ_CHECK(bits_of(value) == bits_of(expected));
    return ok;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(bytes), size);
    {
        std::istringstream stream(text);
        const char* pos = text.data();
        agree_once<std::int32_t>(stream, pos, text, scan_int);
    }
    std::istringstream stream(text);
    const char* pos = text.data();
    for (int entry = 0; entry < 256 && agree_once<float>(stream, pos, text, scan_float); ++entry) {
    }
    return 0;
}
