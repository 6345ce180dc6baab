#include "file_identity.hpp"

#include <system_error>

#include <sys/stat.h>
#ifndef _WIN32
#include <unistd.h>
#endif

namespace torvane {

bool same_file(const std::filesystem::path& a, const std::filesystem::path& b)
{
    std::error_code error;
    return std::filesystem::equivalent(a, b, error) && !error;
}

bool same_file_name(std::string a, std::string b)
{
#ifdef _WIN32
    for (std::string* text : {&a, &b})
        for (char& c : *text)
            c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
#endif
    return a == b;
}

#ifdef _WIN32

bool same_open_file(int, int) { return false; }
bool descriptor_is_named(int, const char*) { return false; }
bool stream_is_named(std::FILE*, const char*) { return false; }
bool still_named(int, const std::string&) { return true; }

#else

namespace {

bool same_identity(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

} // namespace

bool same_open_file(int first, int second)
{
    struct stat a {}, b {};
    return fstat(first, &a) == 0 && fstat(second, &b) == 0 && same_identity(a, b);
}

bool descriptor_is_named(int descriptor, const char* name)
{
    struct stat opened {}, named {};
    return fstat(descriptor, &opened) == 0 && stat(name, &named) == 0 && same_identity(opened, named);
}

bool stream_is_named(std::FILE* stream, const char* name)
{
    struct stat opened {};
    const int descriptor = fileno(stream);
    return fstat(descriptor, &opened) == 0 && S_ISREG(opened.st_mode) && descriptor_is_named(descriptor, name);
}

bool still_named(int descriptor, const std::string& path) { return descriptor_is_named(descriptor, path.c_str()); }

#endif

} // namespace torvane
