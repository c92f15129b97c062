// A window that hosts a TShellTreeView the way the main window does, and
// helpers that read the tree as a user sees it.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <thread>
#include <atomic>
#include <functional>
#include <mutex>
#include <vector>

#include "WindowsTestSupport.h"
#include "shelltree/ShellTree.h"

namespace shelltree_test {

using testing_support::Pump;
using testing_support::PumpUntil;

class Host {
public:
    Host();
    ~Host();
    TShellTreeView& Tree() { return *tree_; }
    HWND Handle() const { return handle_; }
    // Errors that escaped the tree's notifications, as the main window's guard would show them.
    std::vector<std::string> errors;
    // The times the window was asked to open its menu from the keyboard (SC_KEYMENU).
    int keyMenus = 0;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND handle_ = nullptr;
    std::unique_ptr<TShellTreeView> tree_;
};

// A key pressed, held for `repeats` repeats of the keyboard and released, posted as the keyboard delivers it.
void Key(HWND window, WPARAM key, int repeats = 0);
std::string Text(HWND tree, HTREEITEM node);
std::vector<std::string> ChildTexts(HWND tree, HTREEITEM node);
HTREEITEM ChildNamed(HWND tree, HTREEITEM node, const std::string& text);
bool IsExpanded(HWND tree, HTREEITEM node);
bool HasButton(HWND tree, HTREEITEM node);
int Image(HWND tree, HTREEITEM node);
// Clicks a node's label with the left mouse button, as a user does.
void Click(HWND tree, HTREEITEM node);

// The shell's own name of a special folder and its small-icon index.
std::string SpecialFolderName(int csidl);
int SpecialFolderIcon(int csidl);

// Watches, on a thread of its own, for message boxes of this process, noting
// their texts and closing them so that a test never hangs on one: the first
// ones with the buttons `answers` gives, in turn (IDYES, IDNO ...).
class BoxWatcher {
public:
    explicit BoxWatcher(std::vector<int> answers = {});
    ~BoxWatcher();
    std::vector<std::string> Seen();

private:
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<std::string> seen_;
    std::thread thread_;
};

}  // namespace shelltree_test
