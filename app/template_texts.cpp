#include "template_texts.hpp"

#include <cstdint>
#include <cstring>
#include <vector>

namespace torvane {
namespace {

constexpr UINT gbk_code_page = 936;

// A reader of the template's words that never reads past its end.
class template_reader {
public:
    template_reader(const BYTE* bytes, std::size_t size) : bytes_(bytes), size_(size) {}
    bool ok() const { return ok_; }
    void skip(std::size_t count) { take(count); }
    WORD word()
    {
        WORD value = 0;
        if (const BYTE* at = take(sizeof value))
            std::memcpy(&value, at, sizeof value);
        return value;
    }
    DWORD dword() { return static_cast<DWORD>(word() | static_cast<DWORD>(word()) << 16); }
    void align_to_dword() { skip((4 - at_ % 4) % 4); }
    // A string-or-ordinal field: the string, or empty for none or an ordinal.
    std::wstring name_or_ordinal()
    {
        const WORD first = word();
        if (first == 0xFFFF) {
            word();
            return {};
        }
        std::wstring text;
        for (WORD unit = first; ok_ && unit != 0; unit = word())
            text += static_cast<wchar_t>(unit);
        return text;
    }

private:
    const BYTE* take(std::size_t count)
    {
        if (!ok_ || size_ - at_ < count) {
            ok_ = false;
            return nullptr;
        }
        const BYTE* at = bytes_ + at_;
        at_ += count;
        return at;
    }
    const BYTE* bytes_;
    std::size_t size_;
    std::size_t at_ = 0;
    bool ok_ = true;
};

// The texts of an extended template's items, in order (empty for items without one).
std::vector<std::wstring> item_texts(template_reader& reader)
{
    std::vector<std::wstring> texts;
    if (reader.word() != 1 || reader.word() != 0xFFFF)
        return texts;  // not an extended template
    reader.skip(8);    // help id, extended style
    const DWORD style = reader.dword();
    const WORD item_count = reader.word();
    reader.skip(8);  // x, y, cx, cy
    reader.name_or_ordinal();  // menu
    reader.name_or_ordinal();  // class
    reader.name_or_ordinal();  // title
    if (style & (DS_SETFONT | DS_SHELLFONT)) {
        reader.skip(6);  // point size, weight, italic, character set
        reader.name_or_ordinal();
    }
    for (WORD item = 0; item < item_count && reader.ok(); ++item) {
        reader.align_to_dword();
        reader.skip(24);  // help id, extended style, style, x, y, cx, cy, id
        reader.name_or_ordinal();  // class
        texts.push_back(reader.name_or_ordinal());
        reader.skip(reader.word());  // creation data
    }
    return reader.ok() ? texts : std::vector<std::wstring>{};
}

} // namespace

void show_template_texts(HWND dialog, HINSTANCE instance, int template_id)
{
    HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(template_id), MAKEINTRESOURCEW(5));  // RT_DIALOG
    HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
    const auto* bytes = static_cast<const BYTE*>(loaded ? LockResource(loaded) : nullptr);
    if (!bytes)
        return;
    template_reader reader(bytes, SizeofResource(instance, found));
    // The dialog manager makes the controls in the template's order, each below the last.
    HWND control = GetWindow(dialog, GW_CHILD);
    for (const std::wstring& text : item_texts(reader)) {
        if (!control)
            break;
        if (!text.empty())
            SetWindowTextW(control, text.c_str());
        control = GetWindow(control, GW_HWNDNEXT);
    }
}

std::wstring wide_from_gbk(std::string_view gbk)
{
    // In pieces that end at a line feed, which is never half of a double-byte character,
    // so that a report of gigabytes is not measured in an int.
    constexpr std::size_t piece_limit = std::size_t{1} << 28;
    std::wstring wide;
    while (!gbk.empty()) {
        std::size_t piece = gbk.size();
        if (piece > piece_limit) {
            const std::size_t line_end = gbk.rfind('\n', piece_limit - 1);
            piece = line_end == std::string_view::npos ? piece_limit : line_end + 1;
        }
        const int size = static_cast<int>(piece);
        const std::size_t at = wide.size();
        wide.resize(at + static_cast<std::size_t>(MultiByteToWideChar(gbk_code_page, 0, gbk.data(), size, nullptr, 0)));
        MultiByteToWideChar(gbk_code_page, 0, gbk.data(), size, wide.data() + at, static_cast<int>(wide.size() - at));
        gbk.remove_prefix(piece);
    }
    return wide;
}

std::string gbk_from_wide(std::wstring_view wide)
{
    if (wide.empty())
        return {};
    const int size = static_cast<int>(wide.size());
    std::string gbk(static_cast<std::size_t>(WideCharToMultiByte(gbk_code_page, 0, wide.data(), size, nullptr, 0, nullptr, nullptr)), '\0');
    WideCharToMultiByte(gbk_code_page, 0, wide.data(), size, gbk.data(), static_cast<int>(gbk.size()), nullptr, nullptr);
    return gbk;
}

} // namespace torvane
