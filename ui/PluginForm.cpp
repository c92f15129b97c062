#include "ui/PluginForm.h"

#include "core/Paths.h"
#include "core/PluginFolders.h"
#include "core/Settings.h"
#include "platform/Platform.h"
#include "ui/LangUnit.h"

TPluginForm* PluginForm = nullptr;
std::vector<std::string> PluginFolders;

namespace {

// The plugin windows, owned by the program until it ends.
std::vector<std::unique_ptr<TPluginForm>> pluginForms;

void SetText(HWND window, const std::string& utf8) { SetWindowTextW(window, WideFromUtf8(utf8).c_str()); }

}  // namespace

TPluginForm::TPluginForm() {
    Style style;
    style.className = "TPluginForm";
    style.caption = CaptionText(LangPlugins);
    // A single, fixed border; of the border icons only the system menu.
    style.style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    style.exStyle = 0;
    style.clientWidth = 388;
    style.clientHeight = 151;
    style.color = GetSysColor(COLOR_BTNFACE);
    style.menu = nullptr;
    style.position = {240, 225};
    style.dialogKeys = true;
    CreateHandle(style);
    font_ = ProgramFont(Dpi());
    SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);

    // Created in their tab order.
    ListBox1 = CreateControl(L"LISTBOX", WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                             WS_EX_CLIENTEDGE, kListBox1Id, 0, 0, 305, 145);
    SendMessageW(ListBox1, LB_SETITEMHEIGHT, 0, Scale(13));
    ButtonOn = CreateControl(L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0, kButtonOnId, 312, 0, 75, 25);
    ButtonOff = CreateControl(L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0, kButtonOffId, 312, 32, 75, 25);
    ButtonSettings =
        CreateControl(L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON | WS_DISABLED, 0, kButtonSettingsId, 312, 64, 75, 25);
    ButtonExit = CreateControl(L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0, kButtonExitId, 312, 120, 75, 25);
    FormCreate();
}

TPluginForm::~TPluginForm() {
    if (PluginForm == this) PluginForm = nullptr;
    // The window goes before its font.
    if (Handle()) DestroyWindow(Handle());
}

HWND TPluginForm::CreateControl(const wchar_t* className, DWORD style, DWORD exStyle, UINT id, int left, int top,
                                int width, int height) {
    HWND control = CreateWindowExW(exStyle, className, L"", WS_CHILD | WS_VISIBLE | style, Scale(left), Scale(top),
                                   Scale(width), Scale(height), Handle(),
                                   reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), GetModuleHandleW(nullptr),
                                   nullptr);
    if (!control) throw std::runtime_error("Cannot create the window");
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    places_.push_back({control, RECT{left, top, width, height}});
    return control;
}

void TPluginForm::DpiChanged() {
    const SharedFont old = font_;  // goes once the controls have the new one
    font_ = ProgramFont(Dpi());
    SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    for (const auto& [control, place] : places_) {
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
        PlaceChild(control, Dpi(), place.left, place.top, place.right, place.bottom);
    }
    SendMessageW(ListBox1, LB_SETITEMHEIGHT, 0, Scale(13));
}

void TPluginForm::FormCreate() { PluginFolders = std::vector<std::string>(); }

LRESULT TPluginForm::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && lParam != 0) {
        const UINT id = LOWORD(wParam), code = HIWORD(wParam);
        if (id == kListBox1Id && code == LBN_SELCHANGE) {
            ListBox1Click();
            return 0;
        }
        if (code == BN_CLICKED) {
            switch (id) {
            case kButtonOnId:
                ButtonOnClick();
                return 0;
            case kButtonOffId:
                ButtonOffClick();
                return 0;
            case kButtonSettingsId:
                ButtonSettingsClick();
                return 0;
            case kButtonExitId:
                ButtonExitClick();
                return 0;
            }
        }
    }
    return TForm::WndProc(message, wParam, lParam);
}

void TPluginForm::DoClose(bool& allowed) {
    allowed = false;
    Hide();
}

void TPluginForm::PluginSearch() {
    SendMessageW(ListBox1, LB_RESETCONTENT, 0, 0);
    PluginFolders.clear();
    for (const PluginListing& plugin : FindPlugins(PluginsRoot, Settings.plugin_directory)) {
        PluginFolders.push_back(plugin.folder);
        // The name and version are the plugin's own text, UTF-8 or ANSI; the mark is the program's.
        const std::string text = PluginLineText(plugin, LoadedCaptionLanguage() == CaptionLanguage::English);
        std::wstring line = plugin.utf8 ? WideFromUtf8(text) : WideFromAnsi(text);
        if (plugin.active) line += L" " + WideFromUtf8(LangOn);
        SendMessageW(ListBox1, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    }
}

void TPluginForm::ListBox1Click() {
    // The settings button of the newest window follows the selection in any window.
    if (PluginForm) EnableWindow(PluginForm->ButtonSettings, FALSE);
    const LRESULT index = SendMessageW(ListBox1, LB_GETCURSEL, 0, 0);
    // A line of an older window may have no folder any more once a newer
    // window has listed fewer plugins into the shared list: it selects nothing.
    if (index >= 0 && static_cast<size_t>(index) < PluginFolders.size())
        Settings.plugin_directory = PluginFolders[static_cast<size_t>(index)];
    if (PluginForm && platform::FileExists(PluginConfigProgram(PluginsRoot, Settings.plugin_directory)))
        EnableWindow(PluginForm->ButtonSettings, TRUE);
}

void TPluginForm::ButtonOnClick() {
    const LRESULT index = SendMessageW(ListBox1, LB_GETCURSEL, 0, 0);
    if (index < 0 || static_cast<size_t>(index) >= PluginFolders.size()) return;
    Settings.plugin_directory = PluginFolders[static_cast<size_t>(index)];
    SaveSetting(ConfigPath, Settings, "plugin_directory");
    PluginSearch();
}

void TPluginForm::ButtonOffClick() {
    Settings.plugin_directory = "none";
    SaveSetting(ConfigPath, Settings, "plugin_directory");
    PluginSearch();
}

void TPluginForm::ButtonSettingsClick() {
    // The program is named apart from its command line, so a folder path with
    // spaces can never start another program. Nothing waits for it.
    const std::string program = PluginConfigProgram(PluginsRoot, Settings.plugin_directory);
    platform::StartProcess(program, program, platform::ShowRestore, false, FolderOfFile(program));
}

void TPluginForm::ButtonExitClick() { Close(); }

namespace {

void AssignCaptions(TPluginForm& form) {
    SetText(form.Handle(), LangPlugins);
    SetText(form.ButtonOn, LangOn);
    SetText(form.ButtonOff, LangOff);
    SetText(form.ButtonSettings, LangSettings);
    SetText(form.ButtonExit, LangExit);
}

}  // namespace

void AssignPluginFormCaptions() {
    for (const auto& form : pluginForms) {
        AssignCaptions(*form);
        // The active plugin's mark; the selection stays.
        const LRESULT chosen = SendMessageW(form->ListBox1, LB_GETCURSEL, 0, 0);
        form->PluginSearch();
        if (chosen != LB_ERR) SendMessageW(form->ListBox1, LB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
    }
}

TPluginForm* CreatePluginForm() {
    pluginForms.push_back(std::make_unique<TPluginForm>());
    TPluginForm* form = pluginForms.back().get();
    PluginForm = form;
    AssignCaptions(*form);
    form->PluginSearch();
    form->Show();
    return form;
}

void DestroyPluginForms() {
    PluginForm = nullptr;
    pluginForms.clear();
}
