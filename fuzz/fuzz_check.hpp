#pragma once
// What the fuzz targets share: a check that stops the process with a readable reason, so
// that libFuzzer keeps the input that broke it, and the input split into the two box texts.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace torvane::fuzz {

[[noreturn]] inline void fail(const char* what, const char* file, int line)
{
    std::fprintf(stderr, "\n*** fuzz check failed at %s:%d: %s\n", file, line, what);
    std::abort();
}

#define FUZZ_CHECK(condition)                                                                                          \
    do {                                                                                                               \
        if (!(condition))                                                                                              \
            ::torvane::fuzz::fail(#condition, __FILE__, __LINE__);                                                     \
    } while (0)

struct box_texts {
    std::string dimension, data;
};

// An input is the dimension text, a backslash and one more byte other than a backslash,
// then the data text; in the dimension text a doubled backslash stands for one. Without
// that separator it is all dimension text (FuzzedDataProvider's convention, so corpus
// files read the same way).
inline box_texts split_input(const std::uint8_t* bytes, std::size_t size)
{
    box_texts texts;
    std::size_t i = 0;
    for (; i < size; ++i) {
        const char c = static_cast<char>(bytes[i]);
        if (c == '\\' && i + 1 < size) {
            ++i;
            if (bytes[i] != '\\') {
                ++i;
                break;
            }
        }
        texts.dimension += c;
    }
    texts.data.assign(reinterpret_cast<const char*>(bytes) + i, size - i);
    return texts;
}

} // namespace torvane::fuzz
