// The number scanner against a C++ stream in the classic locale, which it stands in for:
// on the same text, a run of extractions must agree on success, on the value (to the bit,
// so the sign of a zero counts) and on where the next extraction starts. The order is read
// once; floats are read one after another, as the entries are, until one fails.

#include "fuzz_check.hpp"

#include "number_scan.hpp"

#include <bit>
#include <sstream>

namespace {

// One extraction of T both ways from where the last one left off; false when it failed.
template <class T, class Scan>
bool agree_once(std::istringstream& stream, const char*& pos, const std::string& text, Scan scan)
{
    T expected{}, value{};
    const bool stream_ok = static_cast<bool>(stream >> expected);
    stream.clear();
    FUZZ_CHECK(scan(pos, text.data() + text.size(), value) == stream_ok);
    FUZZ_CHECK(pos - text.data() == stream.rdbuf()->pubseekoff(0, std::ios::cur, std::ios::in));
    FUZZ_CHECK(!stream_ok || std::bit_cast<std::uint32_t>(value) == std::bit_cast<std::uint32_t>(expected));
    return stream_ok;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(bytes), size);
    std::istringstream order_stream(text), entry_stream(text);
    const char* order_pos = text.data();
    const char* entry_pos = text.data();
    agree_once<std::int32_t>(order_stream, order_pos, text, torvane::scan_int);
    for (int entry = 0; entry < 256 && agree_once<float>(entry_stream, entry_pos, text, torvane::scan_float); ++entry) {
    }
    return 0;
}
