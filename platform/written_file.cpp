#include "written_file.hpp"

#include "open_for_writing.hpp"
#include "write_pieces.hpp"

#include <cerrno>
#include <cstdio>
#include <new>

namespace torvane {
namespace {

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
        return errno != 0 ? errno : EIO;
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
        return errno != 0 ? errno : EIO;
    }

private:
    std::FILE* file_;
};

class system_file_system final : public file_system {
public:
    constexpr system_file_system() = default;
    std::unique_ptr<written_file> create(const std::string& path, int& error) const override
    {
        errno = 0;
        std::FILE* file = open_for_writing(path);
        if (!file) {
            error = errno != 0 ? errno : EIO;
            return nullptr;
        }
        std::setvbuf(file, nullptr, _IONBF, 0);  // the stream's own buffers are the only ones
        try {
            return std::make_unique<system_file>(file);
        } catch (const std::bad_alloc&) {
            std::fclose(file);
            throw;
        }
    }
};

constexpr system_file_system the_system;

} // namespace

const file_system& system_files() { return the_system; }

} // namespace torvane
