// The main window's folder pane: the folder tree and the picture-folder field under it.
#include "ui/MainFolderTree.h"

#include "platform/win32/AnsiPaths.h"
#include "toolkit/Forms.h"
#include "ui/LangUnit.h"
#include "ui/Painting.h"

namespace {
const UINT kEditDirId = 200;
const UINT kShellTreeView1Id = 201;
}  // namespace

void TFolderPane::Create(HWND parent, HFONT font, int dpi) {
    parent_ = parent;
    font_ = font;
    dpi_ = dpi;
    const auto s = [dpi](int value) { return Scaled(value, dpi); };
    // EditDir comes first in the tab order, the tree after it.
    EditDir = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL,
                              s(8), s(355), s(249), s(21), parent,
                              reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kEditDirId)), GetModuleHandleW(nullptr),
                              nullptr);
    SendMessageW(EditDir, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

    ShellTreeView1 = std::make_unique<TShellTreeView>(parent, s(8), s(104), s(249), s(233), kShellTreeView1Id);
    SendMessageW(ShellTreeView1->Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    ShellTreeView1->SetObjectTypes(otFolders);
    ShellTreeView1->SetRoot("rfDesktop");
    ShellTreeView1->SetUseShellImages(true);
    ShellTreeView1->SetIndent(s(19));
    ShellTreeView1->RightClickSelect = true;
    ShellTreeView1->SetShowRoot(false);
    ShellTreeView1->OnClick = [this] {
        if (!Application.Busy()) ShellTreeView1Click();
    };
    // The chosen folder renamed in the tree has a new path: it is chosen again under it.
    ShellTreeView1->OnRenamed = [this](HTREEITEM node) {
        if (node == ShellTreeView1->Selected() && !Application.Busy()) ShellTreeView1Click();
    };
    ShellTreeView1->OnException = [](const std::exception& error) { Application.ShowException(error); };
}

void TFolderPane::Layout(int dpi, HFONT font) {
    dpi_ = dpi;
    font_ = font;
    SendMessageW(EditDir, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    PlaceChild(EditDir, dpi, 8, 355, 249, 21);
    if (!ShellTreeView1) return;
    SendMessageW(ShellTreeView1->Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    PlaceChild(ShellTreeView1->Handle(), dpi, 8, 104, 249, 233);
    ShellTreeView1->SetIndent(Scaled(19, dpi));
    ShellTreeView1->ApplyImages();
}

void TFolderPane::Paint(HDC dc) const {
    const auto s = [this](int value) { return Scaled(value, dpi_); };
    FrameCanvas canvas(dc, font_);
    const RECT tree =
        ShellTreeView1 ? BoundsOf(parent_, ShellTreeView1->Handle()) : RECT{s(8), s(104), s(257), s(337)};
    const RECT edit = BoundsOf(parent_, EditDir);
    Outline(dc, s(4), s(84), tree.right + s(4), edit.bottom + s(4));
    PaintText(dc, s(6), s(85), LangFolderChoice);
    PaintText(dc, tree.left, tree.bottom + s(2), LangWallpaperFolder + ":");
}

void TFolderPane::LoadFolderTree() {
    // Listing the desktop makes the shell refresh the per-user "Shell Folders"
    // values, which the start sequence reads first as the user left them: the
    // root is built when the saved folder is selected, or after start-up.
    if (ShellTreeView1 && !ShellTreeView1->IsLoaded()) ShellTreeView1->Loaded();
}

void TFolderPane::ShellTreeView1Click() {
    const std::string path = ShellTreeView1->SelectedPath();
    SetWindowTextW(EditDir, platform::ShownPath(path).c_str());
    if (OnFolderChosen) OnFolderChosen(path);
}

bool TFolderPane::HandleNotify(NMHDR* header, LRESULT& result) {
    return ShellTreeView1 && ShellTreeView1->HandleNotify(header, result);
}

void TFolderPane::ClearSelection() {
    if (ShellTreeView1) TreeView_SelectItem(ShellTreeView1->Handle(), nullptr);
}

void TFolderPane::SelectFolderInTree(const std::string& folder) {
    if (!ShellTreeView1) return;
    if (folder.size() >= MAX_PATH) return;
    LoadFolderTree();
    ShellTreeView1->SetSelectedPath(folder);
}
