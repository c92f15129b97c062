#include "ui/ProgramFont.h"

SharedFont ProgramFont() {
    static std::weak_ptr<std::remove_pointer_t<HFONT>> shared;
    if (SharedFont font = shared.lock()) return font;
    SharedFont font(CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, RUSSIAN_CHARSET, OUT_DEFAULT_PRECIS,
                                CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"MS Sans Serif"),
                    [](HFONT handle) {
                        if (handle) DeleteObject(handle);
                    });
    shared = font;
    return font;
}
