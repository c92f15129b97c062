// Renaming a node's item: the tree's label edit carried out by the shell.
#include "shelltree/ShellTree.h"

#include <string>

#include "toolkit/Forms.h"
#include "toolkit/Win32.h"

std::wstring TShellTreeView::Label(HTREEITEM node) const {
    wchar_t text[MAX_PATH] = {};
    TVITEMW item = {};
    item.mask = TVIF_HANDLE | TVIF_TEXT;
    item.hItem = node;
    item.pszText = text;
    item.cchTextMax = MAX_PATH;
    SendMessageW(handle_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    return text;
}

// The name travels wide from the edit box to the shell, as names are shown: a
// name in a script the ANSI code page lacks reaches the folder whole.
void TShellTreeView::EndLabelEdit(HTREEITEM node, const std::wstring* text, bool& accept) {
    accept = false;
    TShellFolder* item = ItemOf(node);
    if (!item || !text || *text == Label(node)) return;
    std::wstring name = *text;
    if (OnEdited) OnEdited(node, name);
    if (!item->Attributes(SFGAO_CANRENAME)) return;
    LPCITEMIDLIST child = nullptr;
    ComRef<IShellFolder> parent(item->ParentShellFolder(&child));
    LPITEMIDLIST renamed = nullptr;
    if (!parent || FAILED(parent->SetNameOf(handle_, child, name.c_str(), SHGDN_NORMAL, &renamed))) {
        idlist::Free(renamed);
        throw TextError("Rename to " + Utf8FromWide(name) + " failed");
    }
    if (!renamed) {  // a folder that does not say what the item is now called
        ULONG eaten = 0;
        std::wstring parse = name;
        if (FAILED(parent->ParseDisplayName(handle_, nullptr, parse.data(), &eaten, &renamed, nullptr))) renamed = nullptr;
    }
    if (renamed) {
        ComRef<IShellFolder> folder;
        if (FAILED(parent->BindToObject(renamed, nullptr, IID_IShellFolder, folder.Out()))) folder.Reset();
        IShellFolder* kept = folder.get();
        if (kept) kept->AddRef();
        item->Renamed(renamed, kept);
    }
    // The nodes below carry the old name in their IDs: they are listed anew when opened.
    while (HTREEITEM below = TreeView_GetChild(handle_, node)) DeleteNode(below);
    TreeView_Expand(handle_, node, TVE_COLLAPSE | TVE_COLLAPSERESET);
    TVITEMW update = {};
    update.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_CHILDREN;
    update.hItem = node;
    update.pszText = name.data();
    update.cChildren = item->HasSubFolders() ? 1 : 0;
    SendMessageW(handle_, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&update));
    if (OnRenamed) OnRenamed(node);
}

bool TShellTreeView::EndsEdit(HTREEITEM node) {
    // Some tree controls report the end of one edit twice (hiding the edit box
    // ends it again, as accepted): only the first report counts.
    if (!editing_ || editing_ != node) return false;
    editing_ = nullptr;
    return true;
}

bool TShellTreeView::LabelEditNotify(const NMHDR* header, LRESULT& result) {
    switch (header->code) {
    case TVN_BEGINLABELEDITA:
    case TVN_BEGINLABELEDITW:
        editing_ = reinterpret_cast<const NMTVDISPINFOW*>(header)->item.hItem;
        return true;
    case TVN_ENDLABELEDITA: {
        const auto* edit = reinterpret_cast<const NMTVDISPINFOA*>(header);
        if (!EndsEdit(edit->item.hItem)) return true;
        const std::wstring text = edit->item.pszText ? WideFromAnsi(edit->item.pszText) : std::wstring();
        bool accept = false;
        EndLabelEdit(edit->item.hItem, edit->item.pszText ? &text : nullptr, accept);
        result = accept;
        return true;
    }
    case TVN_ENDLABELEDITW: {
        const auto* edit = reinterpret_cast<const NMTVDISPINFOW*>(header);
        if (!EndsEdit(edit->item.hItem)) return true;
        const std::wstring text = edit->item.pszText ? edit->item.pszText : L"";
        bool accept = false;
        EndLabelEdit(edit->item.hItem, edit->item.pszText ? &text : nullptr, accept);
        result = accept;
        return true;
    }
    }
    return false;
}
