// The folder pane of the main window: the folder tree and the picture-folder
// field under it.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "shelltree/ShellTree.h"

class TFolderPane {
public:
    // The field and the tree on `parent`, in `font`; the field comes first in
    // the tab order. The pane paints there in the same font.
    void Create(HWND parent, HFONT font, int dpi);
    // The field and the tree at their places and in `font` for another DPI.
    void Layout(int dpi, HFONT font);
    // The frame around the tree and the field, and their captions.
    void Paint(HDC dc) const;
    // Builds the tree's root once.
    void LoadFolderTree();
    // The start sequence's step: the saved folder selected in the tree. The
    // shell's namespace parses no path of MAX_PATH or more: a folder that long
    // is not looked for, and the tree keeps its state.
    void SelectFolderInTree(const std::string& folder);
    // No folder selected in the tree.
    void ClearSelection();
    // A folder of the tree was clicked: its path goes into EditDir, and
    // OnFolderChosen is told.
    void ShellTreeView1Click();
    // The tree's notifications; true when the tree handled one, with its result.
    bool HandleNotify(NMHDR* header, LRESULT& result);

    std::unique_ptr<TShellTreeView> ShellTreeView1;
    HWND EditDir = nullptr;
    // The folder the user clicked in the tree (the preview shows it).
    std::function<void(const std::string& folder)> OnFolderChosen;

private:
    HWND parent_ = nullptr;
    HFONT font_ = nullptr;
    int dpi_ = 96;
};
