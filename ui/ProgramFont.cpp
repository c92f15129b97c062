#include "ui/ProgramFont.h"

#include <map>

SharedFont ProgramFont(int dpi) {
    static std::map<int, std::weak_ptr<std::remove_pointer_t<HFONT>>> shared;
    if (SharedFont font = shared[dpi].lock()) return font;
    // 8 points: 11 pixels high at 96 DPI.
    SharedFont font(CreateFontW(-MulDiv(8, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, RUSSIAN_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                                L"MS Sans Serif"),
                    [](HFONT handle) {
                        if (handle) DeleteObject(handle);
                    });
    shared[dpi] = font;
    return font;
}
