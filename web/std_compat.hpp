#pragma once
// Debian's emscripten (3.1.6) comes with libc++ 13, which lacks three C++20 pieces the
// engine and the views use: std::bit_cast and the floating-point std::from_chars and
// std::to_chars. The page's build includes this file ahead of every source file (and only
// that build: GCC's library has them all), so the code stays the same for every platform.
// Reading goes through the C library's strtof/strtod, which round correctly as from_chars
// does; the results and errors are those of GCC's library for the tokens the engine gives.
// A double with a precision is written in the general and fixed forms only, the two the
// accuracy check's sentences use.

#ifdef __cplusplus
#include <version>
#endif
#if defined(__cplusplus) && defined(_LIBCPP_VERSION) && _LIBCPP_VERSION < 14000

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>
#include <type_traits>

namespace torvane_std_compat {

inline bool decimal_char(char c) { return (c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '+' || c == '-'; }

// Whether the mantissa of the number in [first, last) has a digit other than 0: a value
// that reads as zero from it underflowed.
inline bool nonzero_mantissa(const char* first, const char* last)
{
    for (; first != last && *first != 'e' && *first != 'E'; ++first)
        if (*first >= '1' && *first <= '9')
            return true;
    return false;
}

template <class T> std::from_chars_result read_number(const char* first, const char* last, T& value)
{
    // from_chars takes no blanks, no '+' and no hexadecimal; strtof would.
    if (first == last || !(*first == '-' || *first == '.' || (*first >= '0' && *first <= '9')))
        return {first, std::errc::invalid_argument};
    const char* end = first;
    while (end != last && decimal_char(*end))
        ++end;
    const std::string text(first, end);
    char* stop = nullptr;
    T parsed;
    if constexpr (std::is_same_v<T, float>)
        parsed = std::strtof(text.c_str(), &stop);
    else
        parsed = std::strtod(text.c_str(), &stop);
    const char* read_to = first + (stop - text.c_str());
    if (read_to == first)
        return {first, std::errc::invalid_argument};
    if (std::isinf(parsed) || (parsed == 0 && nonzero_mantissa(first, read_to)))
        return {read_to, std::errc::result_out_of_range};
    value = parsed;
    return {read_to, std::errc()};
}

// The fewest significant digits that read back as `value` (positive, finite), closest to
// it, and the decimal exponent of the first.
inline std::string shortest_digits(float value, int& exponent)
{
    exponent = static_cast<int>(std::floor(std::log10(static_cast<double>(value))));
    for (int count = 1;; ++count) {
        for (int first_exponent : {exponent, exponent + 1, exponent - 1}) {
            const int scale = first_exponent - count + 1;
            long double scaled = static_cast<long double>(value);
            const long double power = std::pow(10.0L, static_cast<long double>(scale < 0 ? -scale : scale));
            scaled = scale < 0 ? scaled * power : scaled / power;
            const long double rounded = std::nearbyint(scaled);
            const long double low = std::pow(10.0L, static_cast<long double>(count - 1));
            if (rounded < low || rounded >= low * 10)
                continue;
            const std::string digits = std::to_string(static_cast<unsigned long long>(rounded));
            const std::string written = digits + "e" + std::to_string(scale);
            if (std::strtof(written.c_str(), nullptr) == value) {
                exponent = first_exponent;
                return digits;
            }
        }
    }
}

inline std::string plain_text(float value)
{
    if (std::isnan(value))
        return std::signbit(value) ? "-nan" : "nan";
    const std::string sign = std::signbit(value) ? "-" : "";
    if (std::isinf(value))
        return sign + "inf";
    if (value == 0)
        return sign + "0";
    int exponent = 0;
    std::string digits = shortest_digits(std::fabs(value), exponent);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    const int count = static_cast<int>(digits.size());
    const std::string exponent_digits = std::to_string(exponent < 0 ? -exponent : exponent);
    const std::string scientific = digits.substr(0, 1) + (count > 1 ? "." + digits.substr(1) : "") + "e" +
                                   (exponent < 0 ? "-" : "+") + (exponent_digits.size() < 2 ? "0" : "") +
                                   exponent_digits;
    std::string fixed;
    if (exponent >= count - 1)  // a whole number: written exactly, as GCC's library does
        fixed = exponent < 19 ? std::to_string(static_cast<unsigned long long>(std::fabs(value)))
                              : digits + std::string(static_cast<std::size_t>(exponent - count + 1), '0');
    else if (exponent >= 0)
        fixed = digits.substr(0, static_cast<std::size_t>(exponent + 1)) + "." + digits.substr(static_cast<std::size_t>(exponent + 1));
    else
        fixed = "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    return sign + (scientific.size() < fixed.size() ? scientific : fixed);
}


// |value| rounded to `count` significant digits (an integer of `count` digits) and the
// decimal exponent of its first digit; `value` is finite and not zero. long double is
// binary128 in WebAssembly, so the scaling is exact for the ties that matter.
inline unsigned long long rounded_digits(double value, int count, int& exponent)
{
    const long double magnitude = std::fabs(static_cast<long double>(value));
    exponent = static_cast<int>(std::floor(std::log10(magnitude)));
    const long double low = std::pow(10.0L, static_cast<long double>(count - 1));
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int scale = count - 1 - exponent;
        const long double power = std::pow(10.0L, static_cast<long double>(scale < 0 ? -scale : scale));
        const long double rounded = std::nearbyint(scale < 0 ? magnitude / power : magnitude * power);
        if (rounded >= low * 10)
            ++exponent;
        else if (rounded < low)
            --exponent;
        else
            return static_cast<unsigned long long>(rounded);
    }
    return static_cast<unsigned long long>(low);
}

// What printf's %.{precision}g writes (without '#'), and %.{precision}f for values whose
// scaled digits fit in 64 bits.
inline std::string general_text(double value, int precision)
{
    const std::string sign = std::signbit(value) ? "-" : "";
    if (std::isnan(value))
        return sign + "nan";
    if (std::isinf(value))
        return sign + "inf";
    if (value == 0)
        return sign + "0";
    const int count = precision < 1 ? 1 : precision;
    int exponent = 0;
    std::string digits = std::to_string(rounded_digits(value, count, exponent));
    std::string text;
    if (exponent < -4 || exponent >= count) {
        while (digits.size() > 1 && digits.back() == '0')
            digits.pop_back();
        const std::string power = std::to_string(exponent < 0 ? -exponent : exponent);
        text = digits.substr(0, 1) + (digits.size() > 1 ? "." + digits.substr(1) : "") + "e" +
               (exponent < 0 ? "-" : "+") + (power.size() < 2 ? "0" : "") + power;
    } else {
        if (exponent < 0)
            digits = std::string(static_cast<std::size_t>(-exponent), '0') + digits;
        const std::size_t whole = static_cast<std::size_t>(exponent < 0 ? 1 : exponent + 1);
        std::string fraction = digits.substr(whole);
        while (!fraction.empty() && fraction.back() == '0')
            fraction.pop_back();
        text = digits.substr(0, whole) + (fraction.empty() ? "" : "." + fraction);
    }
    return sign + text;
}

inline std::string fixed_text(double value, int precision)
{
    const std::string sign = std::signbit(value) ? "-" : "";
    if (std::isnan(value) || std::isinf(value))
        return sign + (std::isnan(value) ? "nan" : "inf");
    const long double scaled = std::nearbyint(std::fabs(static_cast<long double>(value)) *
                                              std::pow(10.0L, static_cast<long double>(precision)));
    if (scaled >= 1e19L)
        return {};
    std::string digits = std::to_string(static_cast<unsigned long long>(scaled));
    if (digits.size() <= static_cast<std::size_t>(precision))
        digits = std::string(static_cast<std::size_t>(precision) + 1 - digits.size(), '0') + digits;
    const std::size_t whole = digits.size() - static_cast<std::size_t>(precision);
    return sign + digits.substr(0, whole) + (precision > 0 ? "." + digits.substr(whole) : "");
}

} // namespace torvane_std_compat

namespace std {

template <class To, class From> constexpr To bit_cast(const From& from) noexcept { return __builtin_bit_cast(To, from); }

inline from_chars_result from_chars(const char* first, const char* last, float& value)
{
    return torvane_std_compat::read_number(first, last, value);
}

inline from_chars_result from_chars(const char* first, const char* last, double& value)
{
    return torvane_std_compat::read_number(first, last, value);
}

inline to_chars_result to_chars(char* first, char* last, float value)
{
    const string text = torvane_std_compat::plain_text(value);
    if (static_cast<size_t>(last - first) < text.size())
        return {last, errc::value_too_large};
    memcpy(first, text.data(), text.size());
    return {first + text.size(), errc()};
}


inline to_chars_result to_chars(char* first, char* last, double value, chars_format format, int precision)
{
    const string text = format == chars_format::fixed ? torvane_std_compat::fixed_text(value, precision)
                                                      : torvane_std_compat::general_text(value, precision);
    if (text.empty() || static_cast<size_t>(last - first) < text.size())
        return {last, errc::value_too_large};
    memcpy(first, text.data(), text.size());
    return {first + text.size(), errc()};
}

} // namespace std

#endif
