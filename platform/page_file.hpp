#pragma once
// The file `--html` writes its page to. It is opened before the run, so that a name that
// cannot be written is known before any work is done, but it is emptied and written only
// at the end: a run that fails leaves a page that was there as it was, and takes away
// again a file it created.

#include <initializer_list>
#include <string>
#include <string_view>

namespace torvane {

class page_file {
public:
    enum class opening { opened, refused, failed };

    page_file() = default;
    page_file(const page_file&) = delete;
    page_file& operator=(const page_file&) = delete;
    // A page never written is taken back: the file is removed when this created it.
    ~page_file();

    // Opens `path` for writing, creating it when it is missing, without emptying it.
    // refused: it turned out to be one of the files `refused` names (a hard link to one,
    // say), and is closed again untouched.
    opening open(const std::string& path, std::initializer_list<const char*> refused);
    // Closes the file unwritten, and removes it when open() created it.
    void close_untouched();
    // Replaces what the file holds with `text` and closes it; false when that failed.
    bool write(std::string_view text);
    // The system's error number of the failed open() or write().
    int error_number() const { return error_; }

private:
    std::string path_;
    int descriptor_ = -1;
    bool created_ = false;
    int error_ = 0;
};

} // namespace torvane
