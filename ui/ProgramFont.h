// The program's font: MS Sans Serif at 8 points with the Russian character
// set, made in one place and shared by the main window, the plugin window and
// the About box; it is deleted when the last window that holds it is gone.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

using SharedFont = std::shared_ptr<std::remove_pointer_t<HFONT>>;

SharedFont ProgramFont();
