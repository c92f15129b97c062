// The folder tree control: its nodes, filled from the items as they are opened,
// the root, the selection, the keys and the owner's notifications.
#include "shelltree/ShellTree.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "platform/Platform.h"
#include "platform/win32/AnsiPaths.h"
#include "toolkit/Forms.h"
#include "toolkit/Win32.h"

namespace {

[[noreturn]] void InvalidPath(const std::string& path) {
    throw platform::Error("Error setting path: \"" + path + "\"");
}

struct SpecialFolder {
    const char* name;
    int csidl;
};
const SpecialFolder kRootNames[] = {
    {"rfDesktop", 0},
    {"rfMyComputer", 17},
    {"rfNetwork", 18},
    {"rfRecycleBin", 10},
    {"rfAppData", 26},
    {"rfCommonDesktopDirectory", 25},
    {"rfCommonPrograms", 23},
    {"rfCommonStartMenu", 22},
    {"rfCommonStartup", 24},
    {"rfControlPanel", 3},
    {"rfDesktopDirectory", 16},
    {"rfFavorites", 6},
    {"rfFonts", 20},
    {"rfInternet", 1},
    {"rfPersonal", 5},
    {"rfPrinters", 4},
    {"rfPrintHood", 27},
    {"rfPrograms", 2},
    {"rfRecent", 8},
    {"rfSendTo", 9},
    {"rfStartMenu", 11},
    {"rfStartup", 7},
    {"rfTemplates", 21},
};

// The absolute ID that a path names, or null when the shell cannot parse it.
idlist::Owned ParsePath(const std::string& path) {
    if (path.empty()) return nullptr;
    std::wstring wide = WideFromAnsi(path);
    ULONG eaten = 0;
    LPITEMIDLIST id = nullptr;
    if (FAILED(DesktopFolder()->ParseDisplayName(nullptr, nullptr, wide.data(), &eaten, &id, nullptr))) {
        idlist::Free(id);
        return nullptr;
    }
    return idlist::Owned(id);
}

// The absolute ID a `Root` value stands for: a special folder's name, letter
// case ignored, or a path ("C:" taken as "C:\"). Null when it names nothing.
idlist::Owned RootID(const std::string& root) {
    for (const SpecialFolder& special : kRootNames) {
        if (lstrcmpiA(special.name, root.c_str()) != 0) continue;
        LPITEMIDLIST id = nullptr;
        if (FAILED(SHGetSpecialFolderLocation(nullptr, special.csidl, &id))) return nullptr;
        return idlist::Owned(id);
    }
    std::string path = root;
    if (!path.empty() && path.back() == ':') path += '\\';
    return ParsePath(path);
}

const UINT kClickMessage = WM_APP + 0x51;  // the tree's own: a click, delivered once the tree has selected
const UINT_PTR kKeyChoiceTimer = 0x5443;  // the tree's own: the keys have rested on a node they selected

// Stops the tree from redrawing until the last lock goes.
class RedrawLock {
public:
    RedrawLock(HWND tree, int& depth) : tree_(tree), depth_(depth) {
        if (depth_++ == 0) SendMessageW(tree_, WM_SETREDRAW, FALSE, 0);
    }
    ~RedrawLock() {
        if (--depth_ == 0) {
            SendMessageW(tree_, WM_SETREDRAW, TRUE, 0);
            InvalidateRect(tree_, nullptr, TRUE);
        }
    }
    RedrawLock(const RedrawLock&) = delete;
    RedrawLock& operator=(const RedrawLock&) = delete;

private:
    HWND tree_;
    int& depth_;
};
int redrawDepth = 0;

}  // namespace

TShellTreeView::TShellTreeView(HWND parent, int left, int top, int width, int height, UINT id) {
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_EDITLABELS;
    handle_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_TREEVIEWW, L"", style, left, top, width, height, parent,
                              reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (!handle_) throw platform::Error("Cannot create the folder tree");
    SetWindowSubclass(handle_, SubclassProc, 1, reinterpret_cast<DWORD_PTR>(this));
    ApplyImages();
}

TShellTreeView::~TShellTreeView() {
    if (handle_) {
        Clear();
        RemoveWindowSubclass(handle_, SubclassProc, 1);
        DestroyWindow(handle_);
    }
    delete rootItem_;
}

void TShellTreeView::Report(const std::exception& error) {
    if (!OnException) {
        Application.ShowException(error);
        return;
    }
    try {
        OnException(error);
    } catch (...) {
        // Nothing may leave a window procedure; the tree goes on.
    }
}

LRESULT CALLBACK TShellTreeView::SubclassProc(HWND, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                              DWORD_PTR data) {
    auto* tree = reinterpret_cast<TShellTreeView*>(data);
    LRESULT result = 0;
    RunGuarded([&] { result = tree->WndProc(message, wParam, lParam); },
               [tree](const std::exception& error) { tree->Report(error); });
    return result;
}

UINT TShellTreeView::KeyChoiceDelay() {
    // A double click's time (500 ms unless the user changed it), and at least
    // two repeats of a held key at the user's keyboard speed (0: about 2.5 a
    // second, 31: about 30), so that a held arrow key takes only the node where
    // it stops instead of loading every folder it passes.
    DWORD speed = 31;
    if (!SystemParametersInfoW(SPI_GETKEYBOARDSPEED, 0, &speed, 0) || speed > 31) speed = 31;
    const UINT repeat = static_cast<UINT>(1000.0 / (2.5 + speed * 27.5 / 31));
    return std::max<UINT>(GetDoubleClickTime(), 2 * repeat);
}

LRESULT TShellTreeView::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND hwnd = handle_;
    switch (message) {
    case kClickMessage:
        KillTimer(hwnd, kKeyChoiceTimer);  // the click takes the place of a pending key choice
        if (OnClick) OnClick();
        return 0;
    case WM_TIMER:
        if (wParam != kKeyChoiceTimer) break;
        KillTimer(hwnd, kKeyChoiceTimer);
        if (OnClick) OnClick();
        return 0;
    case WM_GETDLGCODE: {
        // Enter on a node is the tree's, not the window's default command.
        LRESULT code = DefSubclassProc(hwnd, message, wParam, lParam);
        const auto* key = reinterpret_cast<const MSG*>(lParam);
        if (key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN) code |= DLGC_WANTMESSAGE;
        return code;
    }
    case WM_KEYDOWN:
        // Enter and Space choose the selected node as a click on it does; a held
        // key chooses it once.
        if (wParam != VK_RETURN && wParam != VK_SPACE) break;
        if (!(lParam & (1 << 30)) && Selected()) {
            KillTimer(hwnd, kKeyChoiceTimer);
            if (OnClick) OnClick();
        }
        return 0;
    case WM_CHAR:
        if (wParam == L'\r' || wParam == L' ') return 0;  // taken at the key, not a name to search for
        break;
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
        // The tree control takes a system key as a key of its own (WM_SYSKEYDOWN as
        // WM_KEYDOWN), so F10 and Alt never reached the window's menu. They go where
        // every other control sends them.
        return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_CONTEXTMENU:
        if (lParam == -1 && AutoContextMenus) {  // the keyboard's menu key: at the selected node
            HTREEITEM node = Selected();
            RECT rect;
            if (node && TreeView_GetItemRect(hwnd, node, &rect, TRUE)) {
                POINT point = {rect.left, rect.bottom};
                ClientToScreen(hwnd, &point);
                ShowContextMenu(node, point);
            }
            return 0;
        }
        break;
    case WM_INITMENUPOPUP:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_MENUCHAR:
        if (LRESULT result = 0; MenuMessage(message, wParam, lParam, result)) return result;
        break;
    case WM_DESTROY:
        Clear();
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(hwnd, SubclassProc, 1);
        handle_ = nullptr;
        return DefSubclassProc(hwnd, message, wParam, lParam);
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

void TShellTreeView::Loaded() {
    loaded_ = true;
    RebuildRoot();
}

void TShellTreeView::SetRoot(const std::string& root) {
    if (lstrcmpiA(root.c_str(), root_.c_str()) == 0) return;
    previousRoot_ = root_;
    root_ = root;
    if (loaded_) RebuildRoot();
}

void TShellTreeView::SetObjectTypes(TShellObjectTypes types) {
    if (types == objectTypes_) return;
    objectTypes_ = types;
    if (loaded_) RebuildRoot();
}

void TShellTreeView::SetUseShellImages(bool use) {
    useShellImages_ = use;
    ApplyImages();
}

void TShellTreeView::ApplyImages() {
    // The system's small icons, or its large ones where they come nearer the
    // small-icon size of the tree's screen (a screen at 200 %): both lists hold
    // every icon at the same index.
    const USHORT desktop = 0;
    auto list = [&](UINT size) {
        SHFILEINFOA info = {};
        return reinterpret_cast<HIMAGELIST>(SHGetFileInfoA(reinterpret_cast<LPCSTR>(&desktop), 0, &info, sizeof info,
                                                           SHGFI_PIDL | SHGFI_SYSICONINDEX | size));
    };
    auto side = [](HIMAGELIST images) {
        int width = 0, height = 0;
        return images && ImageList_GetIconSize(images, &width, &height) ? width : 0;
    };
    systemImages_ = list(SHGFI_SMALLICON);
    const int wanted = SystemMetricForDpi(SM_CXSMICON, WindowDpi(handle_));
    if (HIMAGELIST large = list(SHGFI_LARGEICON); side(systemImages_) && side(large) &&
                                                   std::abs(side(large) - wanted) < std::abs(side(systemImages_) - wanted))
        systemImages_ = large;
    HIMAGELIST shown = useShellImages_ ? systemImages_ : nullptr;
    TreeView_SetImageList(handle_, shown, TVSIL_NORMAL);
}

void TShellTreeView::SetIndent(int indent) { TreeView_SetIndent(handle_, indent); }

void TShellTreeView::SetShowRoot(bool show) {
    LONG_PTR style = GetWindowLongPtrW(handle_, GWL_STYLE);
    style = show ? (style | TVS_LINESATROOT) : (style & ~static_cast<LONG_PTR>(TVS_LINESATROOT));
    SetWindowLongPtrW(handle_, GWL_STYLE, style);
}

void TShellTreeView::RebuildRoot() {
    idlist::Owned id = RootID(root_);
    if (!id) {
        const std::string failed = root_;
        root_ = previousRoot_;
        if (rootItem_) {
            idlist::Owned previous(idlist::Copy(rootItem_->AbsoluteID()));
            BuildRoot(previous.get());
        }
        InvalidPath(failed);
    }
    BuildRoot(id.get());
}

void TShellTreeView::BuildRoot(LPCITEMIDLIST absolute) {
    struct Loading {
        bool& flag;
        explicit Loading(bool& f) : flag(f) { flag = true; }
        ~Loading() { flag = false; }
    } loading(loadingRoot_);
    RedrawLock lock(handle_, redrawDepth);

    ComRef<IShellFolder> folder;
    if (absolute->mkid.cb == 0 || FAILED(DesktopFolder()->BindToObject(absolute, nullptr, IID_IShellFolder,
                                                                       folder.Out()))) {
        DesktopFolder()->AddRef();
        *folder.Out() = DesktopFolder();
    }
    auto* item = new TShellFolder(&DesktopShellFolder(), absolute, folder.get());
    Clear();
    delete rootItem_;
    rootItem_ = item;

    HTREEITEM top =
        AddNode(nullptr, item, WideFromAnsi(ShellDisplayName(DesktopFolder(), item->AbsoluteID(), SHGDN_NORMAL)));
    Expand(top);
    TreeView_SelectItem(handle_, top);
}

HTREEITEM TShellTreeView::AddNode(HTREEITEM parent, TShellFolder* item, const std::wstring& text) {
    std::wstring wide = text;
    TVINSERTSTRUCTW insert = {};
    insert.hParent = parent ? parent : TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    TVITEMW& node = insert.item;
    node.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN | TVIF_STATE;
    node.pszText = wide.data();
    node.lParam = reinterpret_cast<LPARAM>(item);
    const ULONG attributes = item->Attributes(SFGAO_FOLDER | SFGAO_HASSUBFOLDER | SFGAO_SHARE);
    if ((objectTypes_ & otNonFolders) && item->ShellFolder()) {
        // With files shown, a node can be opened when its folder lists anything.
        ComRef<IEnumIDList> list;
        DWORD flags = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS;
        if (objectTypes_ & otHidden) flags |= SHCONTF_INCLUDEHIDDEN;
        LPITEMIDLIST first = nullptr;
        ULONG fetched = 0;
        node.cChildren = item->ShellFolder()->EnumObjects(nullptr, flags, reinterpret_cast<IEnumIDList**>(list.Out())) ==
                                 S_OK &&
                             list && list->Next(1, &first, &fetched) == S_OK && fetched == 1;
        idlist::Free(first);
    } else {
        node.cChildren = (attributes & SFGAO_HASSUBFOLDER) ? 1 : 0;
    }
    if (attributes & SFGAO_SHARE) {
        node.stateMask |= TVIS_OVERLAYMASK;
        node.state |= INDEXTOOVERLAYMASK(1);
    }
    SetNodeImages(node, item);
    HTREEITEM added = reinterpret_cast<HTREEITEM>(SendMessageW(handle_, TVM_INSERTITEMW, 0,
                                                               reinterpret_cast<LPARAM>(&insert)));
    if (!added) {
        if (item != rootItem_) delete item;
        throw platform::Error("Cannot add a node to the folder tree");
    }
    return added;
}

void TShellTreeView::SetNodeImages(TVITEMW& node, TShellFolder* item) const {
    if (!useShellImages_) return;
    SHFILEINFOA info = {};
    const auto id = reinterpret_cast<LPCSTR>(item->AbsoluteID());
    SHGetFileInfoA(id, 0, &info, sizeof info, SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
    const int normal = info.iIcon;
    info.iIcon = 0;
    SHGetFileInfoA(id, 0, &info, sizeof info, SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_OPENICON);
    node.mask |= TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    node.iImage = normal;
    node.iSelectedImage = info.iIcon ? info.iIcon : normal;
}

TShellFolder* TShellTreeView::ItemOf(HTREEITEM node) const {
    if (!node) return nullptr;
    TVITEMW item = {};
    item.mask = TVIF_PARAM | TVIF_HANDLE;
    item.hItem = node;
    if (!SendMessageW(handle_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return nullptr;
    return reinterpret_cast<TShellFolder*>(item.lParam);
}

HTREEITEM TShellTreeView::Selected() const { return handle_ ? TreeView_GetSelection(handle_) : nullptr; }

void TShellTreeView::FreeSubtree(HTREEITEM node) {
    for (HTREEITEM child = TreeView_GetChild(handle_, node); child; child = TreeView_GetNextSibling(handle_, child))
        FreeSubtree(child);
    TShellFolder* item = ItemOf(node);
    if (!item) return;
    TVITEMW cleared = {};
    cleared.mask = TVIF_PARAM | TVIF_HANDLE;
    cleared.hItem = node;
    SendMessageW(handle_, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&cleared));
    if (item != rootItem_) delete item;
}

void TShellTreeView::DeleteNode(HTREEITEM node) {
    FreeSubtree(node);
    TreeView_DeleteItem(handle_, node);
}

void TShellTreeView::Clear() {
    if (!handle_) return;
    RedrawLock lock(handle_, redrawDepth);
    while (HTREEITEM top = TreeView_GetRoot(handle_)) DeleteNode(top);
}

bool TShellTreeView::NeedsFill(HTREEITEM node) const {
    TShellFolder* item = ItemOf(node);
    if (!item || !item->ShellFolder() || TreeView_GetChild(handle_, node)) return false;
    TVITEMW state = {};
    state.mask = TVIF_CHILDREN | TVIF_HANDLE;
    state.hItem = node;
    SendMessageW(handle_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&state));
    return state.cChildren != 0 && item->IsFolder();
}

void TShellTreeView::SetHasChildren(HTREEITEM node, bool hasChildren) {
    TVITEMW state = {};
    state.mask = TVIF_CHILDREN | TVIF_HANDLE;
    state.hItem = node;
    state.cChildren = hasChildren ? 1 : 0;
    SendMessageW(handle_, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&state));
}

void TShellTreeView::Fill(HTREEITEM node) {
    if (!NeedsFill(node)) return;
    TShellFolder* parent = ItemOf(node);
    IShellFolder* folder = parent->ShellFolder();

    struct Busy {
        int& updating;
        HCURSOR previous;
        UINT errorMode;
        explicit Busy(int& u)
            : updating(u),
              previous(SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT)))),
              // A drive without a medium fails quietly instead of asking for a disk.
              errorMode(SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX)) {
            ++updating;
        }
        ~Busy() {
            --updating;
            SetErrorMode(errorMode);
            SetCursor(previous);
        }
    } busy(updating_);
    RedrawLock lock(handle_, redrawDepth);

    DWORD flags = 0;
    if (objectTypes_ & otFolders) flags |= SHCONTF_FOLDERS;
    if (objectTypes_ & otNonFolders) flags |= SHCONTF_NONFOLDERS;
    if (objectTypes_ & otHidden) flags |= SHCONTF_INCLUDEHIDDEN;
    // No owner window: a folder that cannot be listed gives no children and no
    // box from the shell either.
    ComRef<IEnumIDList> list;
    if (folder->EnumObjects(nullptr, flags, reinterpret_cast<IEnumIDList**>(list.Out())) == S_OK && list) {
        LPITEMIDLIST id = nullptr;
        ULONG fetched = 0;
        while (list->Next(1, &id, &fetched) == S_OK && fetched == 1) {
            idlist::Owned owned(id);
            id = nullptr;
            ComRef<IShellFolder> child(parent->ChildFolder(owned.get()));
            auto* item = new TShellFolder(parent, owned.get(), child.get());
            bool canAdd = true;
            if (OnAddFolder) OnAddFolder(*item, canAdd);
            if (!canAdd) {
                delete item;
                continue;
            }
            AddNode(node, item, item->ShownName());
        }
    }
    SortChildren(node);
    SetHasChildren(node, TreeView_GetChild(handle_, node) != nullptr);
}

namespace {

// The parent folder's own order of two children (column 0): the low 16 bits of
// its result, signed.
int CALLBACK CompareNodes(LPARAM first, LPARAM second, LPARAM folder) {
    auto* a = reinterpret_cast<TShellFolder*>(first);
    auto* b = reinterpret_cast<TShellFolder*>(second);
    HRESULT order = reinterpret_cast<IShellFolder*>(folder)->CompareIDs(0, a->RelativeID(), b->RelativeID());
    return static_cast<short>(order & 0xFFFF);
}

}  // namespace

void TShellTreeView::SortChildren(HTREEITEM node) {
    TShellFolder* parent = ItemOf(node);
    if (!parent || !parent->ShellFolder()) return;
    TVSORTCB sort = {};
    sort.hParent = node;
    sort.lParam = reinterpret_cast<LPARAM>(parent->ShellFolder());
    sort.lpfnCompare = CompareNodes;
    TreeView_SortChildrenCB(handle_, &sort, FALSE);
}

void TShellTreeView::Expand(HTREEITEM node) {
    if (!node) return;
    Fill(node);
    TreeView_Expand(handle_, node, TVE_EXPAND);
}

bool TShellTreeView::SameID(LPCITEMIDLIST a, LPCITEMIDLIST b) const {
    return static_cast<short>(DesktopFolder()->CompareIDs(0, a, b) & 0xFFFF) == 0;
}

HTREEITEM TShellTreeView::FindNode(HTREEITEM from, LPCITEMIDLIST absolute) const {
    if (from) {
        TShellFolder* item = ItemOf(from);
        if (item && SameID(item->AbsoluteID(), absolute)) return from;
    }
    HTREEITEM child = from ? TreeView_GetChild(handle_, from) : TreeView_GetRoot(handle_);
    for (; child; child = TreeView_GetNextSibling(handle_, child))
        if (HTREEITEM found = FindNode(child, absolute)) return found;
    return nullptr;
}

std::string TShellTreeView::SelectedPath() const {
    TShellFolder* item = ItemOf(Selected());
    return item ? item->PathName() : std::string();
}

void TShellTreeView::SetSelectedPath(const std::string& path) {
    idlist::Owned id = ParsePath(path);
    if (!id) InvalidPath(path);
    SelectID(id.get());
}

void TShellTreeView::SelectID(LPCITEMIDLIST absolute) {
    if (updating_ || loadingRoot_) return;
    if (TShellFolder* selected = ItemOf(Selected()); selected && SameID(selected->AbsoluteID(), absolute)) return;
    RedrawLock lock(handle_, redrawDepth);
    HTREEITEM current = nullptr;
    for (const idlist::Owned& ancestor : idlist::Ancestors(absolute)) {
        if (HTREEITEM found = FindNode(current, ancestor.get())) {
            Expand(found);
            current = found;
        }
    }
    TreeView_SelectItem(handle_, FindNode(current, absolute));
}

void TShellTreeView::Refresh(HTREEITEM node) {
    TShellFolder* item = ItemOf(node);
    if (!item) return;
    RedrawLock lock(handle_, redrawDepth);

    // What was open, selected and at the top, by absolute ID.
    std::vector<idlist::Owned> expanded;
    std::vector<HTREEITEM> pending = {node};
    while (!pending.empty()) {
        HTREEITEM next = pending.back();
        pending.pop_back();
        if (!(TreeView_GetItemState(handle_, next, TVIS_EXPANDED) & TVIS_EXPANDED)) continue;
        expanded.emplace_back(idlist::Copy(ItemOf(next)->AbsoluteID()));
        for (HTREEITEM child = TreeView_GetChild(handle_, next); child; child = TreeView_GetNextSibling(handle_, child))
            pending.push_back(child);
    }
    auto idOf = [this](HTREEITEM n) {
        TShellFolder* found = ItemOf(n);
        return idlist::Owned(found ? idlist::Copy(found->AbsoluteID()) : nullptr);
    };
    idlist::Owned selected = idOf(Selected());
    idlist::Owned top = idOf(TreeView_GetFirstVisible(handle_));

    {
        ++updating_;
        struct Done {
            int& u;
            ~Done() { --u; }
        } done{updating_};
        while (HTREEITEM child = TreeView_GetChild(handle_, node)) DeleteNode(child);
        TreeView_Expand(handle_, node, TVE_COLLAPSE | TVE_COLLAPSERESET);
        std::wstring text = item == rootItem_ ? WideFromAnsi(ShellDisplayName(DesktopFolder(), item->AbsoluteID(), SHGDN_NORMAL))
                                              : item->ShownName();
        TVITEMW update = {};
        update.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_CHILDREN;
        update.hItem = node;
        update.pszText = text.data();
        update.cChildren = item->HasSubFolders() ? 1 : 0;
        SetNodeImages(update, item);
        SendMessageW(handle_, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&update));
    }
    for (const idlist::Owned& id : expanded)
        if (HTREEITEM again = FindNode(node, id.get())) Expand(again);
    if (selected && !Selected())
        if (HTREEITEM again = FindNode(nullptr, selected.get())) TreeView_SelectItem(handle_, again);
    if (selected && Selected() && !SameID(ItemOf(Selected())->AbsoluteID(), selected.get()))
        if (HTREEITEM again = FindNode(nullptr, selected.get())) TreeView_SelectItem(handle_, again);
    if (top)
        if (HTREEITEM again = FindNode(nullptr, top.get())) TreeView_SelectSetFirstVisible(handle_, again);
}

bool TShellTreeView::HandleNotify(const NMHDR* header, LRESULT& result) {
    if (!header || !handle_ || header->hwndFrom != handle_) return false;
    result = 0;
    switch (header->code) {
    case TVN_ITEMEXPANDINGA:
    case TVN_ITEMEXPANDINGW: {
        const auto* change = reinterpret_cast<const NMTREEVIEWW*>(header);
        HTREEITEM node = change->itemNew.hItem;
        if (!(change->action & TVE_EXPAND)) return true;
        TShellFolder* item = ItemOf(node);
        if (item && (objectTypes_ & otNonFolders) && !item->IsFolder()) {
            // A file opens with the shell, in its own folder, instead of expanding.
            const std::string folder = item->Parent() ? item->Parent()->PathName() : std::string();
            ShellExecuteA(handle_, nullptr, item->PathName().c_str(), nullptr, folder.c_str(), SW_SHOWNORMAL);
            result = TRUE;
            return true;
        }
        Fill(node);
        return true;
    }
    case NM_CLICK:
        // The tree selects the clicked node after this notification: the click
        // handler runs once it has.
        PostMessageW(handle_, kClickMessage, 0, 0);
        return true;
    case TVN_SELCHANGEDA:
    case TVN_SELCHANGEDW:
        // A node selected with the keys is taken once they rest; each further
        // step starts the wait again. The mouse's selection comes with its click,
        // and the program's own selections are not choices.
        if (reinterpret_cast<const NMTREEVIEWW*>(header)->action == TVC_BYKEYBOARD)
            SetTimer(handle_, kKeyChoiceTimer, KeyChoiceDelay(), nullptr);
        return true;
    case NM_RCLICK: {
        const DWORD position = GetMessagePos();
        POINT screen = {static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
        TVHITTESTINFO hit = {};
        hit.pt = screen;
        ScreenToClient(handle_, &hit.pt);
        HTREEITEM node = TreeView_HitTest(handle_, &hit);
        if (RightClickSelect && node && (hit.flags & TVHT_ONITEM)) TreeView_SelectItem(handle_, node);
        if (!AutoContextMenus) return true;
        if (HTREEITEM selected = Selected()) ShowContextMenu(selected, screen);
        result = TRUE;
        return true;
    }
    }
    return LabelEditNotify(header, result);
}
