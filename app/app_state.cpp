#include "app_state.hpp"

namespace torvane {

HINSTANCE app_instance = nullptr;
HWND main_dialog = nullptr;

} // namespace torvane
