// The report's number formatter against the standard library on arbitrary bit patterns:
// every four bytes of the input are one float, whose text must be what std::to_chars
// writes for it widened to double (general notation, six significant digits) and fit in
// max_value_chars. The output buffer is exactly the value_scratch_chars the formatter may
// use, so a write past them is caught by AddressSanitizer.

#include "fuzz_check.hpp"

#include "format_value.hpp"

#include <bit>
#include <charconv>
#include <cstring>
#include <iostream>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    const auto text = std::make_unique<char[]>(torvane::value_scratch_chars);
    for (std::size_t at = 0; at + 4 <= size; at += 4) {
        std::uint32_t bits;
        std::memcpy(&bits, bytes + at, 4);
        const auto value = std::bit_cast<float>(bits);
        const char* end = torvane::format_value(value, text.get());
        FUZZ_CHECK(end > text.get() && end <= text.get() + torvane::max_value_chars);
        char expected[64];
        const char* expected_end =
            std::to_chars(expected, expected + sizeof expected, static_cast<double>(value), std::chars_format::general, 6).ptr;
        if (std::string_view(text.get(), end) != std::string_view(expected, expected_end)) {
            std::cerr << "bits 0x" << std::hex << bits << ": format_value \"" << std::string_view(text.get(), end)
                      << "\", std::to_chars \"" << std::string_view(expected, expected_end) << "\"\n";
            torvane::fuzz::fail("format_value differs from std::to_chars", __FILE__, __LINE__);
        }
    }
    return 0;
}
