// The resources of the built Torvane.exe, read back from the file: which there are and in
// which language, the dialog template field by field, the icon group and its images, the
// version block and the manifest.

#include "resource.h"
#include "test_support.hpp"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace torvane_test;

constexpr WORD chinese_prc = 0x0804;
constexpr WORD english_us = 0x0409;

// Reads the little-endian fields of a resource in order.
class reader {
public:
    reader(const void* data, std::size_t size) : data_(static_cast<const std::uint8_t*>(data)), size_(size) {}

    template <class T> T get()
    {
        if (pos_ + sizeof(T) > size_)
            throw std::out_of_range("read past the end of the resource");
        T value;
        std::memcpy(&value, data_ + pos_, sizeof(T));
        pos_ += sizeof(T);
        return value;
    }
    std::u16string wide_string()
    {
        std::u16string text;
        while (char16_t c = get<char16_t>())
            text += c;
        return text;
    }
    // A name-or-ordinal field: 0xFFFF then the ordinal, or a string (empty for none).
    std::u16string name_or_ordinal(int& ordinal)
    {
        ordinal = -1;
        if (peek_word() == 0xFFFF) {
            get<WORD>();
            ordinal = get<WORD>();
            return {};
        }
        return wide_string();
    }
    void align_to_dword() { pos_ = (pos_ + 3) & ~std::size_t{3}; }
    std::size_t position() const { return pos_; }

private:
    WORD peek_word() const
    {
        WORD value = 0;
        if (pos_ + 2 <= size_)
            std::memcpy(&value, data_ + pos_, 2);
        return value;
    }

    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

class torvane_exe_resources : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        module_ = LoadLibraryExA(windows_path(TORVANE_EXE).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }
    static void TearDownTestSuite()
    {
        if (module_)
            FreeLibrary(module_);
        module_ = nullptr;
    }
    void SetUp() override { ASSERT_NE(module_, nullptr) << "cannot load " << TORVANE_EXE; }

    static std::string bytes(LPCSTR type, LPCSTR name, WORD language)
    {
        HRSRC found = FindResourceExA(module_, type, name, language);
        if (!found)
            return {};
        HGLOBAL loaded = LoadResource(module_, found);
        const auto* data = static_cast<const char*>(LockResource(loaded));
        return std::string(data, SizeofResource(module_, found));
    }

    static HMODULE module_;
};

HMODULE torvane_exe_resources::module_ = nullptr;

std::string type_key(LPCSTR type)
{
    return IS_INTRESOURCE(type) ? "#" + std::to_string(reinterpret_cast<ULONG_PTR>(type)) : std::string(type);
}

BOOL CALLBACK add_language(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR context)
{
    reinterpret_cast<std::set<WORD>*>(context)->insert(language);
    return TRUE;
}

struct inventory {
    HMODULE module;
    std::map<std::string, std::map<std::string, std::set<WORD>>> found; // type -> name -> languages
};

BOOL CALLBACK add_name(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR context)
{
    auto& all = *reinterpret_cast<inventory*>(context);
    std::set<WORD> languages;
    EnumResourceLanguagesA(module, type, name, add_language, reinterpret_cast<LONG_PTR>(&languages));
    all.found[type_key(type)][type_key(name)] = languages;
    return TRUE;
}

BOOL CALLBACK add_type(HMODULE module, LPSTR type, LONG_PTR context)
{
    EnumResourceNamesA(module, type, add_name, context);
    return TRUE;
}

TEST_F(torvane_exe_resources, are_exactly_the_five_kinds_in_their_languages)
{
    inventory all{module_, {}};
    EnumResourceTypesA(module_, add_type, reinterpret_cast<LONG_PTR>(&all));

    const std::map<std::string, std::map<std::string, std::set<WORD>>> expected = {
        {"#3", {{"#1", {chinese_prc}}, {"#2", {chinese_prc}}, {"#3", {chinese_prc}}, {"#4", {chinese_prc}}}}, // RT_ICON
        {"#5", {{"#101", {chinese_prc}}}},                                                                  // RT_DIALOG
        {"#14", {{"#102", {chinese_prc}}}}, // RT_GROUP_ICON
        {"#16", {{"#1", {chinese_prc}}}},   // RT_VERSION
        {"#24", {{"#1", {english_us}}}},    // RT_MANIFEST
    };
    EXPECT_EQ(all.found, expected);
}

struct dialog_item {
    std::uint32_t help_id, ex_style, style;
    std::int16_t x, y, cx, cy;
    std::int32_t id;
    int class_atom;
    std::u16string text;
    WORD extra;
};

TEST_F(torvane_exe_resources, dialog_template_is_as_drawn)
{
    const std::string data = bytes(RT_DIALOG, MAKEINTRESOURCEA(IDD_MAIN), chinese_prc);
    ASSERT_FALSE(data.empty());
    reader in(data.data(), data.size());

    EXPECT_EQ(in.get<WORD>(), 1);          // template version
    EXPECT_EQ(in.get<WORD>(), 0xFFFF);     // extended template
    EXPECT_EQ(in.get<DWORD>(), 0u);        // help id
    EXPECT_EQ(in.get<DWORD>(), 0u);        // extended style
    EXPECT_EQ(in.get<DWORD>(), 0x80CA0048u); // WS_POPUP|WS_CAPTION|WS_SYSMENU|WS_MINIMIZEBOX|DS_SHELLFONT
    const WORD count = in.get<WORD>();
    EXPECT_EQ(in.get<std::int16_t>(), 0);
    EXPECT_EQ(in.get<std::int16_t>(), 0);
    EXPECT_EQ(in.get<std::int16_t>(), 259);
    EXPECT_EQ(in.get<std::int16_t>(), 233);
    int ordinal = 0;
    EXPECT_EQ(in.name_or_ordinal(ordinal), u"") << "no menu";
    EXPECT_EQ(ordinal, -1);
    EXPECT_EQ(in.name_or_ordinal(ordinal), u"") << "no class";
    EXPECT_EQ(ordinal, -1);
    EXPECT_EQ(in.wide_string(), u"Torvane");
    EXPECT_EQ(in.get<WORD>(), 8);   // points
    EXPECT_EQ(in.get<WORD>(), 400); // weight
    EXPECT_EQ(in.get<BYTE>(), 0);   // not italic
    EXPECT_EQ(in.get<BYTE>(), 1);   // DEFAULT_CHARSET
    EXPECT_EQ(in.wide_string(), u"MS Shell Dlg");

    ASSERT_EQ(count, 8);
    std::vector<dialog_item> items;
    for (int i = 0; i < count; ++i) {
        in.align_to_dword();
        dialog_item item{};
        item.help_id = in.get<std::uint32_t>();
        item.ex_style = in.get<std::uint32_t>();
        item.style = in.get<std::uint32_t>();
        item.x = in.get<std::int16_t>();
        item.y = in.get<std::int16_t>();
        item.cx = in.get<std::int16_t>();
        item.cy = in.get<std::int16_t>();
        item.id = in.get<std::int32_t>();
        const std::u16string class_name = in.name_or_ordinal(item.class_atom);
        EXPECT_EQ(class_name, u"") << "control " << i << " names its class by atom";
        int text_ordinal = 0;
        item.text = in.name_or_ordinal(text_ordinal);
        EXPECT_EQ(text_ordinal, -1) << "control " << i << " has a text, not a resource ordinal";
        item.extra = in.get<WORD>();
        items.push_back(item);
    }
    EXPECT_EQ(in.position(), data.size()) << "nothing after the eighth control";

    constexpr int button = 0x80, edit = 0x81, label = 0x82;
    const std::u16string credit = items.size() > 6 ? items[6].text : u"";
    const dialog_item expected[] = {
        {0, 0, 0x50810080, 78, 15, 174, 14, IDC_DIMENSION, edit, u"", 0},
        {0, 0, 0x50B10084, 7, 45, 245, 60, IDC_DATA, edit, u"", 0},
        {0, 0, 0x50B10084, 7, 123, 245, 59, IDC_RESULT, edit, u"", 0},
        {0, 0, 0x50020000, 7, 31, 88, 12, -1, label, u"输入矩阵数据", 0},
        {0, 0, 0x50020000, 7, 109, 88, 12, -1, label, u"结果输出", 0},
        {0, 0, 0x50010000, 77, 191, 100, 23, IDC_COMPUTE, button, u"计算", 0},
        {0, 0, 0x50020001, 7, 217, 245, 9, -1, label, credit, 0},
        {0, 0, 0x50020000, 7, 15, 59, 12, -1, label, u"输入矩阵维数", 0},
    };
    for (std::size_t i = 0; i < items.size(); ++i) {
        SCOPED_TRACE("control " + std::to_string(i + 1));
        const dialog_item& got = items[i];
        const dialog_item& want = expected[i];
        EXPECT_EQ(got.help_id, want.help_id);
        EXPECT_EQ(got.ex_style, want.ex_style);
        EXPECT_EQ(got.style, want.style);
        EXPECT_EQ(got.x, want.x);
        EXPECT_EQ(got.y, want.y);
        EXPECT_EQ(got.cx, want.cx);
        EXPECT_EQ(got.cy, want.cy);
        EXPECT_EQ(got.id, want.id);
        EXPECT_EQ(got.class_atom, want.class_atom);
        EXPECT_TRUE(got.text == want.text);
        EXPECT_EQ(got.extra, want.extra) << "no creation data";
    }
    EXPECT_FALSE(credit.empty()) << "the credit line has a text";
    EXPECT_EQ(credit.find(u'\n'), std::u16string::npos) << "the credit line is one line";
}

TEST_F(torvane_exe_resources, icon_group_has_four_32_bit_images_largest_first)
{
    const std::string group = bytes(RT_GROUP_ICON, MAKEINTRESOURCEA(IDI_APP), chinese_prc);
    ASSERT_FALSE(group.empty());
    reader in(group.data(), group.size());
    EXPECT_EQ(in.get<WORD>(), 0);
    EXPECT_EQ(in.get<WORD>(), 1); // icons, not cursors
    ASSERT_EQ(in.get<WORD>(), 4);

    const int sizes[] = {48, 32, 24, 16};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE("image " + std::to_string(i + 1));
        EXPECT_EQ(in.get<BYTE>(), sizes[i]); // width
        EXPECT_EQ(in.get<BYTE>(), sizes[i]); // height
        EXPECT_EQ(in.get<BYTE>(), 0);        // colour count: none for 32 bits
        EXPECT_EQ(in.get<BYTE>(), 0);
        EXPECT_EQ(in.get<WORD>(), 1);  // planes
        EXPECT_EQ(in.get<WORD>(), 32); // bits per pixel
        const DWORD size = in.get<DWORD>();
        const WORD id = in.get<WORD>();
        EXPECT_EQ(id, i + 1);

        const std::string image = bytes(RT_ICON, MAKEINTRESOURCEA(id), chinese_prc);
        ASSERT_EQ(image.size(), size);
        reader header(image.data(), image.size());
        EXPECT_EQ(header.get<DWORD>(), 40u); // BITMAPINFOHEADER: an uncompressed bitmap, not a PNG
        EXPECT_EQ(header.get<LONG>(), sizes[i]);
        EXPECT_EQ(header.get<LONG>(), 2 * sizes[i]); // colour bitmap and mask
        EXPECT_EQ(header.get<WORD>(), 1);
        EXPECT_EQ(header.get<WORD>(), 32);
        EXPECT_EQ(header.get<DWORD>(), DWORD{BI_RGB});
        const std::size_t mask_row = (static_cast<std::size_t>(sizes[i]) + 31) / 32 * 4;
        const std::size_t pixels = static_cast<std::size_t>(sizes[i]) * sizes[i];
        ASSERT_EQ(image.size(), 40 + 4 * pixels + mask_row * sizes[i]);

        // A picture: some pixels opaque, some transparent, and not all of one colour.
        std::size_t opaque = 0, clear = 0;
        std::set<std::uint32_t> colours;
        for (std::size_t p = 0; p < pixels; ++p) {
            std::uint32_t pixel;
            std::memcpy(&pixel, image.data() + 40 + 4 * p, 4);
            const std::uint32_t alpha = pixel >> 24;
            opaque += alpha == 255;
            clear += alpha == 0;
            if (alpha == 255)
                colours.insert(pixel);
        }
        EXPECT_GT(opaque, pixels / 2);
        EXPECT_GT(clear, 0u);
        EXPECT_GE(colours.size(), 3u);
    }
    EXPECT_EQ(in.position(), group.size());

    // Windows can make icons of it at the sizes it asks for.
    for (int size : sizes) {
        auto icon = static_cast<HICON>(
            LoadImageA(module_, MAKEINTRESOURCEA(IDI_APP), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
        EXPECT_NE(icon, nullptr) << size;
        if (icon)
            DestroyIcon(icon);
    }
}

std::string version_string(const std::vector<char>& block, const char* field)
{
    char* value = nullptr;
    UINT length = 0;
    const std::string path = std::string("\\StringFileInfo\\080404b0\\") + field;
    if (!VerQueryValueA(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) || !value)
        return "(missing)";
    return std::string(value, length > 0 ? length - 1 : 0);
}

TEST_F(torvane_exe_resources, version_block_is_1_0_0_1_in_chinese)
{
    const std::string path = windows_path(TORVANE_EXE);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwFileFlagsMask, 0x17u);
    EXPECT_EQ(fixed->dwFileFlags, 0u);
    EXPECT_EQ(fixed->dwFileOS, DWORD{VOS__WINDOWS32});
    EXPECT_EQ(fixed->dwFileType, DWORD{VFT_APP});
    EXPECT_EQ(fixed->dwFileSubtype, 0u);
    EXPECT_EQ(fixed->dwFileDateMS, 0u);
    EXPECT_EQ(fixed->dwFileDateLS, 0u);

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                               &length));
    ASSERT_EQ(length, 4u) << "one translation entry";
    EXPECT_EQ(translation[0], 0x0804);
    EXPECT_EQ(translation[1], 1200);

    EXPECT_EQ(version_string(block, "FileVersion"), "1, 0, 0, 1");
    EXPECT_EQ(version_string(block, "ProductVersion"), "1, 0, 0, 1");
    EXPECT_EQ(version_string(block, "OriginalFilename"), "Torvane.exe");
}

TEST_F(torvane_exe_resources, manifest_is_the_source_file_asking_for_no_elevation)
{
    const std::string manifest = bytes(RT_MANIFEST, MAKEINTRESOURCEA(1), english_us);
    ASSERT_FALSE(manifest.empty());
    EXPECT_EQ(manifest, read_file(windows_path(TORVANE_MANIFEST)));
    EXPECT_NE(manifest.find("<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>"), std::string::npos);
    EXPECT_EQ(manifest.find("Common-Controls"), std::string::npos) << "classic controls: no common-controls v6";
    EXPECT_EQ(manifest.find("dependency"), std::string::npos);
}

} // namespace
