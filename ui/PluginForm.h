// The plugin manager window: lists the plugin folders under PluginsRoot,
// switches one on or off, and starts a plugin's own settings program.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "toolkit/Forms.h"
#include "ui/ProgramFont.h"

class TPluginForm : public TForm {
public:
    TPluginForm();
    ~TPluginForm() override;

    // The creation handler: PluginFolders becomes a new, empty list.
    void FormCreate();
    // Rebuilds ListBox1 and PluginFolders from PluginsRoot; no line stays selected.
    void PluginSearch();

    void ListBox1Click();  // a line was selected: that plugin is active in memory
    void ButtonOnClick();        // Button1Click: "Вкл": the selected plugin is active and stored
    void ButtonOffClick();       // Button2Click: "Выкл": no plugin is active, and that is stored
    void ButtonSettingsClick();  // Button3Click: "Настройки": starts the active plugin's config.exe
    void ButtonExitClick();      // Button4Click: "Выход": closes (hides) the window

    HWND ListBox1 = nullptr;  // the list of plugins, one line per plugin folder
    HWND ButtonOn = nullptr;        // Button1: "Вкл" (on)
    HWND ButtonOff = nullptr;       // Button2: "Выкл" (off)
    HWND ButtonSettings = nullptr;  // Button3: "Настройки" (the plugin's settings)
    HWND ButtonExit = nullptr;      // Button4: "Выход" (close)

    // Control identifiers, as WM_COMMAND carries them (kButton1Id..kButton4Id before).
    enum : UINT { kListBox1Id = 10, kButtonOnId = 11, kButtonOffId = 12, kButtonSettingsId = 13, kButtonExitId = 14 };

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void DoClose(bool& allowed) override;  // closing only hides the window
    void DpiChanged() override;            // the controls placed and in the font for the new scale

private:
    // A control at its place given at 96 DPI.
    HWND CreateControl(const wchar_t* className, DWORD style, DWORD exStyle, UINT id, int left, int top, int width,
                       int height);
    SharedFont font_;  // deleted after the window (see the destructor)
    std::vector<std::pair<HWND, RECT>> places_;  // each control's left, top, width and height at 96 DPI
};

// The most recently created plugin window; null until the first one exists.
extern TPluginForm* PluginForm;
// Folder names in the order of the lines of the newest window's list: line i
// belongs to PluginFolders[i]. Every plugin window works on this one list.
extern std::vector<std::string> PluginFolders;

// What the main menu's "Плагины" does: creates a further plugin window (an
// earlier one stays open), gives it its texts from the caption table, lists
// the plugins and shows it. The windows live until the program ends.
TPluginForm* CreatePluginForm();
// Every plugin window's texts again from the caption table, after a switch of language.
void AssignPluginFormCaptions();
// Destroys every plugin window; PluginForm becomes null.
void DestroyPluginForms();
