// config.exe of the sepia plugin: a small dialog that chooses the effect and
// its strength and keeps them in settings.ini beside the program.
#include <windows.h>

#include <commctrl.h>

#include <exception>
#include <string>

#include "Effects.h"

namespace {

enum : int { kEffectId = 101, kStrengthId = 102, kValueId = 103 };

const wchar_t kClassName[] = L"SepiaConfig";
const Effect kEffects[] = {Effect::Sepia, Effect::Vignette, Effect::Both};

// The window's texts in the program's two languages.
struct Texts {
    const wchar_t* title;
    const wchar_t* name;  // the plugin's name: the error box's title
    const wchar_t* effect;
    const wchar_t* effects[3];
    const wchar_t* strength;
    const wchar_t* cancel;
};
const Texts kRussian = {L"Сепия и виньетка: настройки", L"Сепия и виньетка", L"Эффект:",
                        {L"Сепия", L"Виньетка", L"Сепия и виньетка"}, L"Сила:", L"Отмена"};
const Texts kEnglish = {L"Sepia and vignette: settings", L"Sepia and vignette", L"Effect:",
                        {L"Sepia", L"Vignette", L"Sepia and vignette"}, L"Strength:", L"Cancel"};
const Texts* texts = &kRussian;

// English where the program's config.ini (Documents\Tavrin Wallpaper) holds
// "language=en", as the program itself then speaks English.
bool ProgramSpeaksEnglish() {
    char documents[MAX_PATH] = {};
    DWORD size = sizeof documents;
    if (RegGetValueA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                     "Personal", RRF_RT_REG_SZ, nullptr, documents, &size) != ERROR_SUCCESS)
        return false;
    char language[8] = {};
    const std::string config = std::string(documents) + "\\Tavrin Wallpaper\\config.ini";
    GetPrivateProfileStringA("options", "language", "", language, sizeof language, config.c_str());
    return std::string(language) == "en";
}

struct Dialog {
    std::string iniPath;
    HWND window = nullptr, effect = nullptr, strength = nullptr, value = nullptr;
    HFONT font = nullptr;
    bool done = false;
};
Dialog dialog;

std::wstring Widen(const std::string& ansi) {
    std::wstring wide(ansi.size(), L'\0');
    const int length = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(),
                                           static_cast<int>(wide.size()));
    wide.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return wide;
}

HWND Control(const wchar_t* className, const wchar_t* text, DWORD style, int id, int x, int y, int w, int h) {
    HWND control = CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, dialog.window,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                                   nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(dialog.font), FALSE);
    return control;
}

void ShowStrength() {
    const LRESULT position = SendMessageW(dialog.strength, TBM_GETPOS, 0, 0);
    SetWindowTextW(dialog.value, (std::to_wstring(position) + L" %").c_str());
}

void Save() {
    EffectOptions options;
    const LRESULT chosen = SendMessageW(dialog.effect, CB_GETCURSEL, 0, 0);
    options.effect = kEffects[chosen >= 0 && chosen < 3 ? chosen : 2];
    options.strength = static_cast<int>(SendMessageW(dialog.strength, TBM_GETPOS, 0, 0));
    WriteEffectOptions(dialog.iniPath, options);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            try {
                Save();
            } catch (const std::exception& error) {
                MessageBoxW(window, Widen(error.what()).c_str(), texts->name, MB_OK | MB_ICONERROR);
                return 0;
            }
            DestroyWindow(window);
            return 0;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            DestroyWindow(window);
            return 0;
        }
        break;
    case WM_HSCROLL:
        if (reinterpret_cast<HWND>(lParam) == dialog.strength) ShowStrength();
        return 0;
    case WM_CTLCOLORSTATIC:
        SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        dialog.done = true;
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    std::string self(32768, '\0');
    const DWORD length = GetModuleFileNameA(nullptr, self.data(), static_cast<DWORD>(self.size()));
    if (length == 0 || length >= self.size()) return 1;
    self.resize(length);
    dialog.iniPath = self.substr(0, self.find_last_of('\\')) + "\\settings.ini";
    const EffectOptions options = ReadEffectOptions(dialog.iniPath);
    if (ProgramSpeaksEnglish()) texts = &kEnglish;

    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = kClassName;
    RegisterClassW(&windowClass);

    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    RECT frame = {0, 0, 300, 132};
    AdjustWindowRectEx(&frame, style, FALSE, WS_EX_DLGMODALFRAME);
    // In the middle of the screen, where the plugin window's button was pressed.
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    dialog.window = CreateWindowExW(WS_EX_DLGMODALFRAME, kClassName, texts->title, style,
                                    (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                                    (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, nullptr, nullptr,
                                    instance, nullptr);
    if (!dialog.window) return 1;
    dialog.font = CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, RUSSIAN_CHARSET, OUT_DEFAULT_PRECIS,
                              CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"MS Sans Serif");

    Control(L"STATIC", texts->effect, SS_LEFT, -1, 12, 16, 70, 16);
    dialog.effect = Control(L"COMBOBOX", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, kEffectId, 88, 12, 200, 120);
    for (const wchar_t* name : texts->effects) SendMessageW(dialog.effect, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    for (int i = 0; i < 3; ++i)
        if (kEffects[i] == options.effect) SendMessageW(dialog.effect, CB_SETCURSEL, i, 0);
    Control(L"STATIC", texts->strength, SS_LEFT, -1, 12, 50, 70, 16);
    dialog.strength = Control(TRACKBAR_CLASSW, L"", WS_TABSTOP | TBS_HORZ | TBS_AUTOTICKS, kStrengthId, 84, 44,
                              160, 30);
    SendMessageW(dialog.strength, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
    SendMessageW(dialog.strength, TBM_SETTICFREQ, 10, 0);
    SendMessageW(dialog.strength, TBM_SETPAGESIZE, 0, 10);
    SendMessageW(dialog.strength, TBM_SETPOS, TRUE, options.strength);
    dialog.value = Control(L"STATIC", L"", SS_LEFT, kValueId, 248, 50, 44, 16);
    ShowStrength();
    Control(L"BUTTON", L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK, 126, 96, 75, 25);
    Control(L"BUTTON", texts->cancel, WS_TABSTOP | BS_PUSHBUTTON, IDCANCEL, 213, 96, 75, 25);

    ShowWindow(dialog.window, show);
    SetFocus(dialog.effect);
    MSG message;
    while (!dialog.done && GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(dialog.window, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    DeleteObject(dialog.font);
    return 0;
}
