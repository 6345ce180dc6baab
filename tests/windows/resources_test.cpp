// The resources of the built Torvane.exe, read back from the file as one table: each in its
// language, each holding what the row says.

#include "test_support.hpp"

#include <cstring>
#include <functional>

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

void icon_image(const std::string& bytes)
{
    EXPECT_EQ(field<DWORD>(bytes, 0), 40u);
    EXPECT_EQ(field<WORD>(bytes, 14), 32);
}

const resource_row resources[] = {
    {"dialog template", 5, IDD_MAIN, chinese_prc,
     [](const std::string& bytes) {
         EXPECT_EQ(field<DWORD>(bytes, 0), 0xFFFF0001u) << "an extended template";
         // WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_SHELLFONT
         EXPECT_EQ(field<DWORD>(bytes, 12), 0x80CA0048u);
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
    // The images, each an uncompressed bitmap (a BITMAPINFOHEADER, not a PNG) of 32 bits.
    {"icon 48", 3, 1, chinese_prc, icon_image},
    {"icon 32", 3, 2, chinese_prc, icon_image},
    {"icon 24", 3, 3, chinese_prc, icon_image},
    {"icon 16", 3, 4, chinese_prc, icon_image},
    {"version", 16, 1, chinese_prc,
     [](const std::string& bytes) {
         EXPECT_TRUE(holds(bytes, u"080404b0")) << "Chinese (PRC), Unicode";
         EXPECT_TRUE(holds(bytes, u"1, 0, 0, 1"));
         EXPECT_TRUE(holds(bytes, u"Torvane.exe"));
     }},
    {"manifest", 24, 1, english_us,
     [](const std::string& bytes) {
         EXPECT_EQ(bytes, read_file(platform_path(TORVANE_MANIFEST)));
         EXPECT_NE(bytes.find("level=\"asInvoker\" uiAccess=\"false\""), std::string::npos);
         EXPECT_EQ(bytes.find("dependency"), std::string::npos) << "classic controls: no common-controls v6";
         // At 150 % a program that does not say it is DPI-aware is drawn small and stretched.
         EXPECT_NE(bytes.find(">true</dpiAware>"), std::string::npos);
         EXPECT_NE(bytes.find(">system</dpiAwareness>"), std::string::npos);
     }},
};

TEST(torvane_exe_resources, are_those_of_the_table_and_hold_what_it_says)
{
    HMODULE module = LoadLibraryExA(platform_path(TORVANE_EXE).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    for (const resource_row& row : resources) {
        SCOPED_TRACE(row.what);
        HRSRC resource = FindResourceExA(module, MAKEINTRESOURCEA(row.type), MAKEINTRESOURCEA(row.name), row.language);
        ASSERT_NE(resource, nullptr);
        row.check(std::string(static_cast<const char*>(LockResource(LoadResource(module, resource))),
                              SizeofResource(module, resource)));
    }
    FreeLibrary(module);
}

} // namespace
} // namespace torvane::testing
