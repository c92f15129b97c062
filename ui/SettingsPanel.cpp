// The main window's settings pane: its controls, the captions, filling it
// from Settings and applying it back.
#include "ui/SettingsPanel.h"

#include <commdlg.h>

#include "core/Paths.h"
#include "core/Settings.h"
#include "platform/Platform.h"
#include "platform/win32/AnsiPaths.h"
#include "toolkit/Forms.h"
#include "ui/LangUnit.h"
#include "ui/MainFolderTree.h"
#include "ui/MainProgram.h"
#include "ui/Painting.h"

namespace {

enum ControlId : UINT {
    kCheckBoxStartUpId = 210,
    kCheckBoxChangeStartId = 211,
    kCheckBoxTimerId = 212,
    kSpinEditTimerId = 213,  // and 214 for its arrows
    kTimerUnitBoxId = 215,   // kComboBox1Id
    kColorSwatchId = 216,    // kPanel1Id
    kColorButtonId = 217,    // kButton1Id
    kButtonApplyId = 218,
};

// The controls' places at 96 DPI.
struct Place {
    int left, top, width, height;
};
constexpr Place kStartUpPlace{274, 272, 14, 14};
constexpr Place kChangeStartPlace{274, 288, 14, 14};
constexpr Place kTimerPlace{274, 306, 14, 14};
constexpr Place kSpinPlace{360, 304, 41, 22};
// An editable drop-down: 21 pixels for the field, room below for the list of three 13-pixel items.
constexpr int kUnitItemHeight = 13;
constexpr Place kUnitPlace{406, 304, 65, 21 + 3 * kUnitItemHeight + 8};
constexpr Place kSwatchPlace{274, 328, 49, 25};
constexpr Place kColorButtonPlace{408, 328, 65, 25};
constexpr Place kApplyPlace{408, 354, 65, 25};

HWND CreateChild(HWND parent, const wchar_t* className, const std::string& text, DWORD style, const Place& place,
                 int dpi, UINT id, HFONT font, DWORD exStyle = 0) {
    HWND child = CreateWindowExW(exStyle, className, WideFromUtf8(text).c_str(), WS_CHILD | WS_VISIBLE | style,
                                 Scaled(place.left, dpi), Scaled(place.top, dpi), Scaled(place.width, dpi),
                                 Scaled(place.height, dpi), parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                                 GetModuleHandleW(nullptr), nullptr);
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return child;
}

void Place96(HWND child, const Place& place, int dpi) {
    PlaceChild(child, dpi, place.left, place.top, place.width, place.height);
}

bool Ticked(HWND box) { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }
void Tick(HWND box) { SendMessageW(box, BM_SETCHECK, BST_CHECKED, 0); }

// The colour dialog with the colour it returned last, black at first.
bool RunColorDialog(HWND owner, COLORREF& color) {
    static COLORREF custom[16] = {};
    CHOOSECOLORW choose = {};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = owner;
    choose.rgbResult = color;
    choose.lpCustColors = custom;
    choose.Flags = CC_RGBINIT;
    if (!ChooseColorW(&choose)) return false;
    color = choose.rgbResult;
    return true;
}

// The blank columns between a check box and the first column its caption
// inks: the two between the box and the caption's place, 16 pixels right of
// the box's left edge, and the one that the letters of MS Sans Serif carry.
const int kCaptionGap = 3;

// A check box's caption at its place, or as far further right as the letters
// of the face the system realised for the window's font (starting at their
// origin, or left of it) need to keep kCaptionGap from the box.
void BoxCaption(HDC dc, const RECT& box, const std::string& utf8, int dpi) {
    const std::wstring text = WideFromUtf8(utf8);
    const int place = box.left + Scaled(16, dpi);
    const int shortfall = box.right + Scaled(kCaptionGap, dpi) - (place + InkLeft(dc, text));
    TextOutAnyScript(dc, shortfall > 0 ? place + shortfall : place, box.top, text);
}

}  // namespace

void TSettingsPanel::Create(HWND form, HFONT font, int dpi) {
    parent_ = form;
    font_ = font;
    dpi_ = dpi;
    const DWORD box = BS_AUTOCHECKBOX | WS_TABSTOP;
    CheckBoxStartUp = CreateChild(form, L"BUTTON", "", box, kStartUpPlace, dpi, kCheckBoxStartUpId, font);
    CheckBoxChangeStart = CreateChild(form, L"BUTTON", "", box, kChangeStartPlace, dpi, kCheckBoxChangeStartId, font);
    CheckBoxTimer = CreateChild(form, L"BUTTON", "", box, kTimerPlace, dpi, kCheckBoxTimerId, font);
    SpinEditTimer.Create(form, Scaled(kSpinPlace.left, dpi), Scaled(kSpinPlace.top, dpi), Scaled(kSpinPlace.width, dpi),
                         Scaled(kSpinPlace.height, dpi), kSpinEditTimerId, font);
    TimerUnitBox = CreateChild(form, L"COMBOBOX", "", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP,
                               kUnitPlace, dpi, kTimerUnitBoxId, font);
    for (const std::string* item : {&LangMinute, &LangHour, &LangDay})
        SendMessageW(TimerUnitBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideFromUtf8(CaptionText(*item)).c_str()));
    SendMessageW(TimerUnitBox, CB_SETITEMHEIGHT, 0, Scaled(kUnitItemHeight, dpi));
    ColorSwatch.Create(form, Scaled(kSwatchPlace.left, dpi), Scaled(kSwatchPlace.top, dpi),
                       Scaled(kSwatchPlace.width, dpi), Scaled(kSwatchPlace.height, dpi), kColorSwatchId);
    ColorButton = CreateChild(form, L"BUTTON", CaptionText(LangChoose), BS_PUSHBUTTON | WS_TABSTOP, kColorButtonPlace, dpi,
                              kColorButtonId, font);
    ButtonApply =
        CreateChild(form, L"BUTTON", CaptionText(LangApply), BS_PUSHBUTTON | WS_TABSTOP, kApplyPlace, dpi, kButtonApplyId, font);
    ColorDialog1Execute = [form](COLORREF& color) { return RunColorDialog(form, color); };
}

void TSettingsPanel::Layout(int dpi, HFONT font) {
    dpi_ = dpi;
    font_ = font;
    for (HWND control : {CheckBoxStartUp, CheckBoxChangeStart, CheckBoxTimer, SpinEditTimer.Handle(), TimerUnitBox,
                         ColorButton, ButtonApply})
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    Place96(CheckBoxStartUp, kStartUpPlace, dpi);
    Place96(CheckBoxChangeStart, kChangeStartPlace, dpi);
    Place96(CheckBoxTimer, kTimerPlace, dpi);
    Place96(SpinEditTimer.Handle(), kSpinPlace, dpi);
    SpinEditTimer.FollowField();
    Place96(TimerUnitBox, kUnitPlace, dpi);
    SendMessageW(TimerUnitBox, CB_SETITEMHEIGHT, 0, Scaled(kUnitItemHeight, dpi));
    FitComboItems(TimerUnitBox);
    Place96(ColorSwatch.Handle(), kSwatchPlace, dpi);
    Place96(ColorButton, kColorButtonPlace, dpi);
    Place96(ButtonApply, kApplyPlace, dpi);
}

void TSettingsPanel::HandleCommand(HWND control, WORD code) {
    if (control == SpinEditTimer.Handle()) SpinEditTimer.HandleCommand(code);
    if (code == BN_CLICKED && control == ButtonApply) ButtonApplyClick();
    if (code == BN_CLICKED && control == ColorButton) ColorButtonClick();
}

bool TSettingsPanel::HandleNotify(const NMHDR& header) { return SpinEditTimer.HandleNotify(header); }

void TSettingsPanel::AssignCaptions() {
    SetWindowTextW(ButtonApply, WideFromUtf8(LangApply).c_str());
    SetWindowTextW(ColorButton, WideFromUtf8(LangChoose).c_str());
    // The unit's items are replaced in place; a chosen index stays chosen.
    const LRESULT chosen = SendMessageW(TimerUnitBox, CB_GETCURSEL, 0, 0);
    const std::string* units[] = {&LangMinute, &LangHour, &LangDay};
    for (int i = 0; i < 3; ++i) {
        SendMessageW(TimerUnitBox, CB_DELETESTRING, i, 0);
        SendMessageW(TimerUnitBox, CB_INSERTSTRING, i, reinterpret_cast<LPARAM>(WideFromUtf8(*units[i]).c_str()));
    }
    if (chosen != CB_ERR) SendMessageW(TimerUnitBox, CB_SETCURSEL, chosen, 0);
    // "Минута" fits the field on a Russian Windows; where the system gives the
    // form's font a wider face, the field makes room for it.
    FitComboItems(TimerUnitBox);
}

void TSettingsPanel::FillSettingsPanel() {
    // A box whose setting is off keeps whatever tick it has.
    if (Settings.wptimer) Tick(CheckBoxTimer);
    SpinEditTimer.SetValue(Settings.nwptimer);
    SetWindowTextW(folders_.EditDir, platform::ShownPath(Settings.wallpaper_directory).c_str());
    if (Settings.startup) Tick(CheckBoxStartUp);
    if (Settings.changestart) Tick(CheckBoxChangeStart);
    SendMessageW(TimerUnitBox, CB_SETCURSEL, static_cast<WPARAM>(Settings.WpTimerUnit), 0);
}

void TSettingsPanel::ButtonApplyClick() {
    Settings.number = 1;
    // Stored in a form the A functions open; the field shows the real name.
    const std::string folder = platform::OpenableAnsiPath(WindowTextOf(folders_.EditDir));
    if (platform::DirectoryExists(folder)) {
        // No picture of a newly chosen folder is on the desktop yet.
        if (folder != Settings.wallpaper_directory) Settings.current.clear();
        Settings.wallpaper_directory = folder;
    } else
        SetWindowTextW(folders_.EditDir, platform::ShownPath(Settings.wallpaper_directory).c_str());
    Settings.startup = Ticked(CheckBoxStartUp);
    Settings.changestart = Ticked(CheckBoxChangeStart);
    Settings.nwptimer = SpinEditTimer.Value();
    Settings.WpTimerUnit = static_cast<int32_t>(SendMessageW(TimerUnitBox, CB_GETCURSEL, 0, 0));
    Settings.wptimer = Ticked(CheckBoxTimer);
    // The timer follows the settings, and the day of this apply is noted: the program's rules.
    if (MainProgram) MainProgram->TimerSettingsApplied(timer_);
    if (MainProgram) MainProgram->UpdateStartupShortcut();
    SaveSettings(ConfigPath);
}

void TSettingsPanel::ColorButtonClick() {
    static COLORREF last = 0;  // what the dialog returned last in this run
    COLORREF color = last;
    if (!ColorDialog1Execute || !ColorDialog1Execute(color)) return;
    last = color;
    Settings.BackgroundColor = color;
    ColorSwatch.SetColor(color);
}

void TSettingsPanel::LimitTimerCount() { SpinEditTimer.SetRange(1, 960); }

void TSettingsPanel::Paint(HDC dc) const {
    FrameCanvas canvas(dc, font_);
    const RECT startUp = BoundsOf(parent_, CheckBoxStartUp);
    BoxCaption(dc, startUp, LangStartWithWindows, dpi_);
    BoxCaption(dc, BoundsOf(parent_, CheckBoxChangeStart), LangChangeAtStart, dpi_);
    BoxCaption(dc, BoundsOf(parent_, CheckBoxTimer), LangByTimer, dpi_);
    const RECT swatch = BoundsOf(parent_, ColorSwatch.Handle());
    PaintText(dc, swatch.right + Scaled(2, dpi_), swatch.top, LangBackgroundColor);
    const RECT apply = BoundsOf(parent_, ButtonApply);
    const int margin = Scaled(2, dpi_);
    Outline(dc, startUp.left - margin, startUp.top - margin, apply.right + margin, apply.bottom + margin);
}

void TSettingsPanel::SetSwatchColor(uint32_t color) { ColorSwatch.SetColor(color); }
