// The folder tree's context menu: the shell's own menu of a node's item, shown
// at the mouse or at the selected node, and its commands carried out.
#include "shelltree/ShellTree.h"

#include <string>

#include "toolkit/Win32.h"

namespace {

const UINT kFirstCommand = 1;

bool PathExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The shell's context menu of an item, filled into `popup` from kFirstCommand on.
ComRef<IContextMenu> ContextMenuOf(TShellFolder* item, HWND owner, HMENU popup) {
    ComRef<IContextMenu> menu;
    LPCITEMIDLIST child = nullptr;
    ComRef<IShellFolder> parent(item->ParentShellFolder(&child));
    if (!parent) return menu;
    if (child->mkid.cb == 0) {
        if (FAILED(DesktopFolder()->CreateViewObject(owner, IID_IContextMenu, menu.Out()))) menu.Reset();
    } else if (FAILED(parent->GetUIObjectOf(owner, 1, &child, IID_IContextMenu, nullptr, menu.Out()))) {
        menu.Reset();
    }
    if (menu && FAILED(menu->QueryContextMenu(popup, 0, kFirstCommand, 0x7FFF, CMF_NORMAL | CMF_CANRENAME)))
        menu.Reset();
    return menu;
}

std::string VerbOf(IContextMenu* menu, UINT offset) {
    char verb[256] = {};
    if (FAILED(menu->GetCommandString(offset, GCS_VERBA, nullptr, verb, sizeof verb))) return std::string();
    verb[sizeof verb - 1] = '\0';
    return verb;
}

struct PopupMenu {
    HMENU handle = CreatePopupMenu();
    ~PopupMenu() { DestroyMenu(handle); }
};

}  // namespace

void TShellTreeView::ShowContextMenu(HTREEITEM node, POINT screen) {
    TShellFolder* item = ItemOf(node);
    if (!item) return;
    PopupMenu popup;
    ComRef<IContextMenu> menu = ContextMenuOf(item, handle_, popup.handle);
    if (!menu) return;
    ComRef<IContextMenu2> menu2;
    ComRef<IContextMenu3> menu3;
    if (FAILED(menu->QueryInterface(IID_IContextMenu3, menu3.Out()))) menu3.Reset();
    if (FAILED(menu->QueryInterface(IID_IContextMenu2, menu2.Out()))) menu2.Reset();
    menu2_ = menu2.get();
    menu3_ = menu3.get();
    const UINT command = TrackPopupMenu(popup.handle, TPM_LEFTALIGN | TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x,
                                        screen.y, 0, handle_, nullptr);
    menu2_ = nullptr;
    menu3_ = nullptr;
    if (command >= kFirstCommand) {
        const UINT offset = command - kFirstCommand;
        RunCommand(node, menu.get(), offset, VerbOf(menu.get(), offset));
    }
}

bool TShellTreeView::InvokeVerb(HTREEITEM node, const std::string& verb) {
    TShellFolder* item = ItemOf(node);
    if (!item) return false;
    PopupMenu popup;
    ComRef<IContextMenu> menu = ContextMenuOf(item, handle_, popup.handle);
    if (!menu) return false;
    const int count = GetMenuItemCount(popup.handle);
    for (int i = 0; i < count; ++i) {
        const UINT command = GetMenuItemID(popup.handle, i);
        if (command == static_cast<UINT>(-1) || command < kFirstCommand) continue;
        const UINT offset = command - kFirstCommand;
        if (lstrcmpiA(VerbOf(menu.get(), offset).c_str(), verb.c_str()) == 0)
            return RunCommand(node, menu.get(), offset, verb);
    }
    return false;
}

bool TShellTreeView::RunCommand(HTREEITEM node, IContextMenu* menu, UINT offset, const std::string& verb) {
    TShellFolder* item = ItemOf(node);
    if (lstrcmpiA(verb.c_str(), "rename") == 0) {
        TreeView_EditLabel(handle_, node);
        return true;
    }
    CMINVOKECOMMANDINFO invoke = {};
    invoke.cbSize = sizeof invoke;
    invoke.hwnd = handle_;
    invoke.lpVerb = MAKEINTRESOURCEA(offset);
    invoke.nShow = SW_SHOWNORMAL;
    const std::string path = item->PathName();
    HRESULT result;
    if (lstrcmpiA(verb.c_str(), "open") == 0) {
        // "open" runs in the folder that holds the item.
        char saved[MAX_PATH] = {};
        GetCurrentDirectoryA(MAX_PATH, saved);
        if (item->Parent()) SetCurrentDirectoryA(item->Parent()->PathName().c_str());
        result = menu->InvokeCommand(&invoke);
        SetCurrentDirectoryA(saved);
    } else {
        result = menu->InvokeCommand(&invoke);
    }
    if (FAILED(result)) return true;
    // A deletion the user cancelled leaves the folder, and its node, in place.
    if (lstrcmpiA(verb.c_str(), "delete") == 0 && !PathExists(path))
        DeleteNode(node);
    else if (lstrcmpiA(verb.c_str(), "paste") == 0)
        Refresh(node);
    return true;
}

bool TShellTreeView::MenuMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (menu3_) {
        result = 0;
        return SUCCEEDED(menu3_->HandleMenuMsg2(message, wParam, lParam, &result));
    }
    if (menu2_ && SUCCEEDED(menu2_->HandleMenuMsg(message, wParam, lParam))) {
        result = message == WM_INITMENUPOPUP ? 0 : TRUE;
        return true;
    }
    return false;
}
