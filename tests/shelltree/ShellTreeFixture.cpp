#include "ShellTreeFixture.h"

#include <algorithm>
#include <stdexcept>

namespace shelltree_test {

Host::Host() {
    static const wchar_t kClass[] = L"TShellTreeTestHost";
    WNDCLASSW windowClass = {};
    if (!GetClassInfoW(GetModuleHandleW(nullptr), kClass, &windowClass)) {
        windowClass.lpfnWndProc = Proc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kClass;
        RegisterClassW(&windowClass);
    }
    handle_ = CreateWindowExW(0, kClass, L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 600, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(handle_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    tree_ = std::make_unique<TShellTreeView>(handle_, 0, 0, 380, 560);
    tree_->OnException = [this](const std::exception& error) { errors.push_back(error.what()); };
    tree_->Loaded();
}

Host::~Host() {
    tree_.reset();
    DestroyWindow(handle_);
}

LRESULT CALLBACK Host::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* host = reinterpret_cast<Host*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_KEYMENU && host) {
        ++host->keyMenus;  // noted, not opened: the host has no menu
        return 0;
    }
    if (message == WM_NOTIFY && host && host->tree_) {
        try {
            LRESULT result = 0;
            if (host->tree_->HandleNotify(reinterpret_cast<NMHDR*>(lParam), result)) return result;
        } catch (const std::exception& error) {
            host->errors.push_back(error.what());
            return 0;
        }
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void Key(HWND window, WPARAM key, int repeats) {
    const bool system = key == VK_F10 || key == VK_MENU;
    const LPARAM alt = key == VK_MENU ? 1 << 29 : 0;  // the context code: Alt is down
    for (int i = 0; i <= repeats; ++i)
        PostMessageW(window, system ? WM_SYSKEYDOWN : WM_KEYDOWN, key, 1 | alt | (i > 0 ? 1 << 30 : 0));
    PostMessageW(window, system ? WM_SYSKEYUP : WM_KEYUP, key, static_cast<LPARAM>(1 | (3u << 30)));
}

std::string Text(HWND tree, HTREEITEM node) {
    char text[MAX_PATH] = {};
    TVITEMA item = {};
    item.mask = TVIF_TEXT | TVIF_HANDLE;
    item.hItem = node;
    item.pszText = text;
    item.cchTextMax = MAX_PATH;
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return text;
}

std::vector<std::string> ChildTexts(HWND tree, HTREEITEM node) {
    std::vector<std::string> texts;
    for (HTREEITEM child = TreeView_GetChild(tree, node); child; child = TreeView_GetNextSibling(tree, child))
        texts.push_back(Text(tree, child));
    return texts;
}

HTREEITEM ChildNamed(HWND tree, HTREEITEM node, const std::string& text) {
    for (HTREEITEM child = TreeView_GetChild(tree, node); child; child = TreeView_GetNextSibling(tree, child))
        if (Text(tree, child) == text) return child;
    return nullptr;
}

bool IsExpanded(HWND tree, HTREEITEM node) {
    return (TreeView_GetItemState(tree, node, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

bool HasButton(HWND tree, HTREEITEM node) {
    TVITEMW item = {};
    item.mask = TVIF_CHILDREN | TVIF_HANDLE;
    item.hItem = node;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    return item.cChildren != 0;
}

int Image(HWND tree, HTREEITEM node) {
    TVITEMW item = {};
    item.mask = TVIF_IMAGE | TVIF_HANDLE;
    item.hItem = node;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    return item.iImage;
}

void Click(HWND tree, HTREEITEM node) {
    RECT rect;
    if (!TreeView_GetItemRect(tree, node, &rect, TRUE)) throw std::runtime_error("node not visible");
    const LPARAM point = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    // The tree follows the mouse until the button comes up: both go in the queue first.
    PostMessageW(tree, WM_LBUTTONDOWN, MK_LBUTTON, point);
    PostMessageW(tree, WM_LBUTTONUP, 0, point);
    Pump();
    Pump();
}

std::string SpecialFolderName(int csidl) {
    LPITEMIDLIST id = nullptr;
    SHGetSpecialFolderLocation(nullptr, csidl, &id);
    SHFILEINFOA info = {};
    SHGetFileInfoA(reinterpret_cast<LPCSTR>(id), 0, &info, sizeof info, SHGFI_PIDL | SHGFI_DISPLAYNAME);
    CoTaskMemFree(id);
    return info.szDisplayName;
}

int SpecialFolderIcon(int csidl) {
    LPITEMIDLIST id = nullptr;
    SHGetSpecialFolderLocation(nullptr, csidl, &id);
    SHFILEINFOA info = {};
    SHGetFileInfoA(reinterpret_cast<LPCSTR>(id), 0, &info, sizeof info,
                   SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
    CoTaskMemFree(id);
    return info.iIcon;
}

namespace {

struct BoxSearch {
    DWORD process;
    std::vector<HWND> boxes;
};

BOOL CALLBACK FindBox(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<BoxSearch*>(parameter);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char name[64] = {};
    if (process == search->process && IsWindowVisible(window) && GetClassNameA(window, name, sizeof name) &&
        lstrcmpA(name, "#32770") == 0)
        search->boxes.push_back(window);
    return TRUE;
}

}  // namespace

BoxWatcher::BoxWatcher(std::vector<int> answers)
    : thread_([this, answers] {
          // A box still up at the next look is the same box: noted once, answered once.
          std::vector<HWND> noted, answered;
          while (!stop_) {
              BoxSearch search{GetCurrentProcessId(), {}};
              EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
              for (HWND box : search.boxes) {
                  if (std::find(answered.begin(), answered.end(), box) != answered.end()) continue;
                  if (std::find(noted.begin(), noted.end(), box) == noted.end()) {
                      noted.push_back(box);
                      char text[512] = {};
                      GetWindowTextA(box, text, sizeof text);
                      std::string seen = text;
                      char body[512] = {};
                      if (GetDlgItemTextA(box, 0xFFFF, body, sizeof body)) seen += std::string(": ") + body;
                      {
                          std::lock_guard<std::mutex> lock(mutex_);
                          seen_.push_back(seen);
                      }
                      if (answered.size() < answers.size()) {
                          PostMessageW(box, WM_COMMAND, answers[answered.size()], 0);
                          answered.push_back(box);
                          continue;
                      }
                  }
                  PostMessageW(box, WM_CLOSE, 0, 0);
              }
              Sleep(50);
          }
      }) {}

BoxWatcher::~BoxWatcher() {
    stop_ = true;
    thread_.join();
}

std::vector<std::string> BoxWatcher::Seen() {
    std::lock_guard<std::mutex> lock(mutex_);
    return seen_;
}

}  // namespace shelltree_test
