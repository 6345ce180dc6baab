#include "file_system.hpp"

#include "open_for_writing.hpp"
#include "report_file_open.hpp"
#include "write_pieces.hpp"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <new>
#include <system_error>

namespace torvane {
namespace {

// The errno of a call that failed, or EIO where it left none.
int failure_errno() { return errno != 0 ? errno : EIO; }

// `file` owned by a new T, or closed when there is no memory for one.
template <class T, class... Arguments>
std::unique_ptr<T> owning(std::FILE* file, Arguments... arguments)
{
    try {
        return std::make_unique<T>(file, arguments...);
    } catch (const std::bad_alloc&) {
        std::fclose(file);
        throw;
    }
}

class system_file final : public written_file {
public:
    explicit system_file(std::FILE* file) : file_(file) {}
    ~system_file() override
    {
        if (file_)
            std::fclose(file_);
    }
    system_file(const system_file&) = delete;
    system_file& operator=(const system_file&) = delete;

    int write(std::string_view bytes) override
    {
        errno = 0;
        if (std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size())
            return 0;
        return failure_errno();
    }
    int write_pieces(const std::vector<std::string_view>& pieces) override
    {
        return torvane::write_pieces(file_, pieces);
    }
    int close() override
    {
        std::FILE* file = file_;
        file_ = nullptr;
        errno = 0;
        if (std::fclose(file) == 0)
            return 0;
        return failure_errno();
    }

private:
    std::FILE* file_;
};

class system_read_back_file final : public read_back_file {
public:
    system_read_back_file(std::FILE* file, bool held_steady) : file_(file), held_steady_(held_steady) {}
    ~system_read_back_file() override { std::fclose(file_); }
    system_read_back_file(const system_read_back_file&) = delete;
    system_read_back_file& operator=(const system_read_back_file&) = delete;

    bool reads_at_offsets() const override { return torvane::reads_at_offsets; }
    piece_read read_at(char* into, std::size_t size, std::uint64_t offset) override
    {
        return torvane::read_at(file_, into, size, offset);
    }
    piece_read read_next(char* into, std::size_t size) override
    {
        errno = 0;
        piece_read read;
        read.bytes = std::fread(into, 1, size, file_);
        if (read.bytes < size && std::ferror(file_))
            read.error_number = failure_errno();
        return read;
    }
    int rewind() override
    {
        errno = 0;
        std::clearerr(file_);
        if (std::fseek(file_, 0, SEEK_SET) == 0)
            return 0;
        return failure_errno();
    }
    bool held_steady() const override { return held_steady_; }
    std::FILE* stream() override { return file_; }

private:
    std::FILE* file_;
    bool held_steady_;
};

class system_file_system final : public file_system {
public:
    constexpr system_file_system() = default;
    std::unique_ptr<written_file> create(const std::string& path, int& error) const override
    {
        errno = 0;
        std::FILE* file = open_for_writing(path);
        if (!file) {
            error = failure_errno();
            return nullptr;
        }
        std::setvbuf(file, nullptr, _IONBF, 0);  // the stream's own buffers are the only ones
        return owning<system_file>(file);
    }
    std::unique_ptr<read_back_file> open_report(const std::string& path, int& error) const override
    {
        errno = 0;
        bool held_steady = false;
        std::FILE* file = open_for_reading(path, held_steady);
        if (!file) {
            error = failure_errno();
            return nullptr;
        }
        return owning<system_read_back_file>(file, held_steady);
    }
    std::unique_ptr<read_back_file> open_data(const std::string& path, int& error) const override
    {
        // Made a link to a device, it would read back as nothing (/dev/null) or without end
        // (/dev/zero), and a named pipe with no writer would block the opening.
        std::error_code kind_unknown;
        const auto kind = std::filesystem::status(path, kind_unknown).type();
        if (kind != std::filesystem::file_type::regular) {
            error = kind_unknown ? kind_unknown.value() : kind == std::filesystem::file_type::directory ? EISDIR : ESPIPE;
            return nullptr;
        }
        errno = 0;
        std::FILE* file = std::fopen(path.c_str(), "rb");
        if (!file) {
            error = failure_errno();
            return nullptr;
        }
        return owning<system_read_back_file>(file, false);
    }
};

constexpr system_file_system the_system;

} // namespace

const file_system& system_files() { return the_system; }

} // namespace torvane
