// The resources of the built Torvane.exe, read back from the file as one table: exactly
// these resources, each in its language, each holding what the row says.

#include "resource.h"
#include "test_support.hpp"
#include "torvane_session.hpp"

#include <cstring>
#include <functional>
#include <set>
#include <tuple>

namespace torvane::testing {
namespace {

constexpr WORD chinese_prc = 0x0804, english_us = 0x0409;

// Whether `bytes` hold `text` as UTF-16, as resources keep their strings.
bool holds(const std::string& bytes, std::u16string_view text)
{
    return bytes.find(std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2)) != std::string::npos;
}

template <class T> T field(const std::string& bytes, std::size_t at)
{
    T value{};
    if (at + sizeof(T) <= bytes.size())
        std::memcpy(&value, bytes.data() + at, sizeof(T));
    return value;
}

struct resource_row {
    const char* what;
    ULONG_PTR type, name;
    WORD language;
    std::function<void(const std::string& bytes)> check;
};

// An icon image: a 32-bit uncompressed bitmap (not a PNG), colour and mask stacked.
auto icon_image(LONG size)
{
    const auto pixels = static_cast<std::size_t>(size) * static_cast<std::size_t>(size);
    const auto mask_bytes = static_cast<std::size_t>((size + 31) / 32 * 4 * size);
    return [=](const std::string& bytes) {
        EXPECT_EQ(field<DWORD>(bytes, 0), 40u);
        EXPECT_EQ(field<LONG>(bytes, 4), size);
        EXPECT_EQ(field<LONG>(bytes, 8), 2 * size);
        EXPECT_EQ(field<WORD>(bytes, 14), 32);
        EXPECT_EQ(bytes.size(), 40 + 4 * pixels + mask_bytes);
    };
}

const resource_row resources[] = {
    {"dialog template", 5, IDD_MAIN, chinese_prc,
     [](const std::string& bytes) {
         EXPECT_EQ(field<DWORD>(bytes, 0), 0xFFFF0001u) << "an extended template";
         EXPECT_EQ(field<DWORD>(bytes, 12), 0x80CA0048u) << "WS_POPUP|WS_CAPTION|WS_SYSMENU|WS_MINIMIZEBOX|DS_SHELLFONT";
         EXPECT_EQ(field<WORD>(bytes, 16), 8) << "controls";
         EXPECT_EQ(field<std::int16_t>(bytes, 22), 259);  // width
         EXPECT_EQ(field<std::int16_t>(bytes, 24), 233);  // height
         int text_number = 0;
         for (const auto text : {u"Torvane", u"MS Shell Dlg", u"输入矩阵维数", u"输入矩阵数据", u"结果输出", u"计算"})
             EXPECT_TRUE(holds(bytes, text)) << "text " << text_number++;
     }},
    {"icon group", 14, IDI_APP, chinese_prc,
     [](const std::string& bytes) {
         ASSERT_EQ(field<WORD>(bytes, 4), 4) << "images";
         const int sizes[] = {48, 32, 24, 16};
         for (std::size_t i = 0; i < 4; ++i) {  // largest first, each 32 bits, numbered 1 to 4
             EXPECT_EQ(field<BYTE>(bytes, 6 + 14 * i), sizes[i]);
             EXPECT_EQ(field<WORD>(bytes, 6 + 14 * i + 6), 32);
             EXPECT_EQ(field<WORD>(bytes, 6 + 14 * i + 12), i + 1);
         }
     }},
    {"icon 48", 3, 1, chinese_prc, icon_image(48)},
    {"icon 32", 3, 2, chinese_prc, icon_image(32)},
    {"icon 24", 3, 3, chinese_prc, icon_image(24)},
    {"icon 16", 3, 4, chinese_prc, icon_image(16)},
    {"version", 16, 1, chinese_prc,
     [](const std::string& bytes) {
         EXPECT_TRUE(holds(bytes, u"080404b0")) << "Chinese (PRC), Unicode";
         EXPECT_TRUE(holds(bytes, u"1, 0, 0, 1"));
         EXPECT_TRUE(holds(bytes, u"Torvane.exe"));
     }},
    {"manifest", 24, 1, english_us,
     [](const std::string& bytes) {
         EXPECT_EQ(bytes, read_file(windows_path(TORVANE_MANIFEST)));
         EXPECT_NE(bytes.find("level=\"asInvoker\" uiAccess=\"false\""), std::string::npos);
         EXPECT_EQ(bytes.find("dependency"), std::string::npos) << "classic controls: no common-controls v6";
     }},
};

using key = std::tuple<ULONG_PTR, ULONG_PTR, WORD>;

BOOL CALLBACK add_language(HMODULE, LPCSTR type, LPCSTR name, WORD language, LONG_PTR found)
{
    reinterpret_cast<std::set<key>*>(found)->insert({reinterpret_cast<ULONG_PTR>(type), reinterpret_cast<ULONG_PTR>(name), language});
    return TRUE;
}

BOOL CALLBACK add_name(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR found)
{
    return EnumResourceLanguagesA(module, type, name, add_language, found);
}

BOOL CALLBACK add_type(HMODULE module, LPSTR type, LONG_PTR found) { return EnumResourceNamesA(module, type, add_name, found); }

TEST(torvane_exe_resources, are_exactly_those_of_the_table_and_hold_what_it_says)
{
    HMODULE module = LoadLibraryExA(windows_path(TORVANE_EXE).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    std::set<key> found, expected;
    EnumResourceTypesA(module, add_type, reinterpret_cast<LONG_PTR>(&found));
    for (const resource_row& row : resources) {
        SCOPED_TRACE(row.what);
        expected.insert({row.type, row.name, row.language});
        HRSRC resource = FindResourceExA(module, MAKEINTRESOURCEA(row.type), MAKEINTRESOURCEA(row.name), row.language);
        ASSERT_NE(resource, nullptr);
        row.check(std::string(static_cast<const char*>(LockResource(LoadResource(module, resource))),
                              SizeofResource(module, resource)));
    }
    EXPECT_EQ(found, expected);
    FreeLibrary(module);
}

} // namespace
} // namespace torvane::testing
