#include "terminal.hpp"

#include <clocale>
#include <initializer_list>
#include <cstring>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <langinfo.h>
#include <unistd.h>
#endif

namespace torvane {

#ifdef _WIN32

terminal_encoding locale_terminal_encoding()
{
    return GetConsoleOutputCP() == 936 ? terminal_encoding::gbk : terminal_encoding::utf8;
}

bool is_terminal(std::FILE* stream) { return _isatty(_fileno(stream)) != 0; }

void write_unchanged(std::FILE* stream) { _setmode(_fileno(stream), _O_BINARY); }

void widen_pipe(std::FILE*) {}

#else

terminal_encoding locale_terminal_encoding()
{
    std::setlocale(LC_CTYPE, "");
    const char* codeset = nl_langinfo(CODESET);
    if (codeset == nullptr)
        return terminal_encoding::other;
    for (const char* gb : {"GBK", "GB18030", "GB2312", "CP936", "EUC-CN"})
        if (std::strcmp(codeset, gb) == 0)
            return terminal_encoding::gbk;
    return std::strcmp(codeset, "UTF-8") == 0 ? terminal_encoding::utf8 : terminal_encoding::other;
}

bool is_terminal(std::FILE* stream) { return isatty(fileno(stream)) != 0; }

void write_unchanged(std::FILE*) {}

void widen_pipe([[maybe_unused]] std::FILE* stream)
{
#ifdef F_SETPIPE_SZ
    fcntl(fileno(stream), F_SETPIPE_SZ, 1 << 20);
#endif
}

#endif

} // namespace torvane
