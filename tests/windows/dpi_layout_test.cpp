// Torvane.exe on a Windows set to 150 % (144 DPI) beside one at 100 % (96 DPI): the dialog
// is laid out by the system at the screen's scale, each control about one and a half times
// as large, none outside the window or over another. (Windows shows a program that does
// not declare itself DPI-aware at 96 DPI and stretches its pixels; Wine does not, so the
// declaration itself is checked with the resources.)

#include "test_support.hpp"

#include <vector>

namespace torvane::testing {
namespace {

// The screen's DPI as Windows stores it for the user, read by each program as it starts;
// restored when the test ends, however it ends.
class screen_dpi {
public:
    explicit screen_dpi(DWORD dpi)
    {
        RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                        &key_, nullptr);
        DWORD size = sizeof before_;
        had_value_ = RegQueryValueExA(key_, "LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&before_), &size) ==
                     ERROR_SUCCESS;
        set_ = RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi) ==
               ERROR_SUCCESS;
    }
    ~screen_dpi()
    {
        if (had_value_)
            RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&before_), sizeof before_);
        else
            RegDeleteValueA(key_, "LogPixels");
        RegCloseKey(key_);
    }
    bool set() const { return set_; }

private:
    HKEY key_ = nullptr;
    DWORD before_ = 96;
    bool had_value_ = false;
    bool set_ = false;
};

struct dialog_layout {
    RECT client{};
    std::vector<RECT> controls;  // in the client area's coordinates, in the template's order
};

dialog_layout layout_at(DWORD dpi)
{
    const screen_dpi setting(dpi);
    EXPECT_TRUE(setting.set());
    torvane_session session(TORVANE_EXE);
    dialog_layout layout;
    GetClientRect(session.window(), &layout.client);
    for (HWND child = GetWindow(session.window(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT place{};
        GetWindowRect(child, &place);
        MapWindowPoints(nullptr, session.window(), reinterpret_cast<POINT*>(&place), 2);
        layout.controls.push_back(place);
    }
    return layout;
}

bool inside(const RECT& inner, const RECT& outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

bool overlap(const RECT& a, const RECT& b)
{
    RECT common{};
    return IntersectRect(&common, &a, &b) != 0;
}

// Dialog units come from the font's size in pixels, which is rounded: about 1.5, not exactly.
void expect_scaled(long normal, long large, const char* what, std::size_t control)
{
    EXPECT_NEAR(static_cast<double>(large), 1.5 * static_cast<double>(normal), 0.12 * static_cast<double>(normal) + 3)
        << what << " of control " << control;
}

TEST(torvane_exe_at_150_percent, is_laid_out_at_the_screens_scale)
{
    // This test reads pixels as they are on the screen, not as a program unaware of the
    // DPI would be told them.
    SetProcessDPIAware();
    const dialog_layout normal = layout_at(96);
    const dialog_layout large = layout_at(144);
    ASSERT_EQ(normal.controls.size(), large.controls.size());
    ASSERT_GT(normal.controls.size(), 0u);
    expect_scaled(normal.client.right, large.client.right, "the window's width", 0);
    expect_scaled(normal.client.bottom, large.client.bottom, "the window's height", 0);
    for (std::size_t i = 0; i < large.controls.size(); ++i) {
        const RECT& n = normal.controls[i];
        const RECT& l = large.controls[i];
        expect_scaled(n.right - n.left, l.right - l.left, "width", i);
        expect_scaled(n.bottom - n.top, l.bottom - l.top, "height", i);
        EXPECT_TRUE(inside(l, large.client)) << "control " << i << " reaches outside the window";
        for (std::size_t j = 0; j < i; ++j) {
            if (!overlap(n, normal.controls[j])) {
                EXPECT_FALSE(overlap(l, large.controls[j])) << "controls " << j << " and " << i << " overlap";
            }
        }
    }
}

} // namespace
} // namespace torvane::testing
