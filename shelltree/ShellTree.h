// The folder tree: a tree-view control over the Windows shell namespace, with
// the shell's own names and icons, filled lazily as nodes are opened.
// The control (nodes, filling, selection, keys and notifications) is in
// ShellTree.cpp, the shell's context menu in ShellTreeMenu.cpp, renaming a
// node's item in ShellTreeRename.cpp; the items are in ShellFolder.h.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <exception>
#include <functional>
#include <string>

#include "shelltree/ShellFolder.h"

enum TShellObjectType : unsigned {
    otFolders = 1,
    otNonFolders = 2,
    otHidden = 4,
};
using TShellObjectTypes = unsigned;

class TShellTreeView {
public:
    // Creates the control as a child of `parent`. The root is built by Loaded(),
    // once the caller has set the properties.
    TShellTreeView(HWND parent, int left, int top, int width, int height, UINT id = 0);
    ~TShellTreeView();
    TShellTreeView(const TShellTreeView&) = delete;
    TShellTreeView& operator=(const TShellTreeView&) = delete;

    HWND Handle() const { return handle_; }

    // Builds the root, as when the form has been read.
    void Loaded();
    bool IsLoaded() const { return loaded_; }

    // A special folder name ("rfDesktop", "rfMyComputer", ...) or a path. A bad
    // value throws platform::Error("Error setting path: \"<value>\"") after the
    // previous root has been restored.
    const std::string& Root() const { return root_; }
    void SetRoot(const std::string& root);
    TShellObjectTypes ObjectTypes() const { return objectTypes_; }
    void SetObjectTypes(TShellObjectTypes types);
    bool UseShellImages() const { return useShellImages_; }
    void SetUseShellImages(bool use);
    // The shell's icons at the size nearest the small-icon size of the tree's
    // screen; called again when the tree has moved to a screen of another scale.
    void ApplyImages();
    void SetIndent(int indent);
    void SetShowRoot(bool show);        // lines and buttons at the root level
    bool AutoContextMenus = true;
    bool RightClickSelect = true;

    // The path name of the selected node's item, or "" without a selection.
    std::string SelectedPath() const;
    // Selects the node of `path`, opening its ancestors. A path the shell cannot
    // parse throws platform::Error("Error setting path: \"<path>\""); a path that
    // parses but has no node (a hidden folder, a file) leaves no selection.
    void SetSelectedPath(const std::string& path);

    HTREEITEM Selected() const;
    std::wstring Label(HTREEITEM node) const;  // the node's text as shown
    TShellFolder* ItemOf(HTREEITEM node) const;
    // Opens a node, filling it first if it has never been filled.
    void Expand(HTREEITEM node);
    // Rebuilds a node from its item, reopening what was open and finding the
    // selection and the top node again.
    void Refresh(HTREEITEM node);
    // Carries out the shell's context-menu command `verb` for the node's item as
    // if the user had chosen it; false when the menu has no such command.
    bool InvokeVerb(HTREEITEM node, const std::string& verb);

    // The owner passes the tree's WM_NOTIFY messages here. Returns true when
    // the tree took the notification, with the reply in `result`.
    bool HandleNotify(const NMHDR* header, LRESULT& result);

    // A click on a node; a node chosen with the keyboard counts as one: Enter or
    // Space on the selected node at once, a selection moved with the keys once
    // they have rested for KeyChoiceDelay(). A selection the program makes does not.
    std::function<void()> OnClick;
    // Milliseconds the keys must rest before a node they selected is taken.
    static UINT KeyChoiceDelay();
    std::function<void(TShellFolder& item, bool& canAdd)> OnAddFolder;
    // A label edited to a new text, before the shell renames the item; may change the text.
    std::function<void(HTREEITEM node, std::wstring& text)> OnEdited;
    // The node's item renamed by an edit of its label (its path has changed).
    std::function<void(HTREEITEM node)> OnRenamed;
    // Errors of handlers that run outside the owner's notifications (a click,
    // the keyboard's context menu); without a handler they are shown in the
    // application's standard error box.
    std::function<void(const std::exception&)> OnException;

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR data);
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
    void Report(const std::exception& error);

    void BuildRoot(LPCITEMIDLIST absolute);
    void RebuildRoot();
    void Clear();
    void FreeSubtree(HTREEITEM node);
    void DeleteNode(HTREEITEM node);
    HTREEITEM AddNode(HTREEITEM parent, TShellFolder* item, const std::wstring& text);
    void Fill(HTREEITEM node);
    bool NeedsFill(HTREEITEM node) const;
    void SetHasChildren(HTREEITEM node, bool hasChildren);
    void SortChildren(HTREEITEM node);
    void SetNodeImages(TVITEMW& item, TShellFolder* folder) const;
    HTREEITEM FindNode(HTREEITEM from, LPCITEMIDLIST absolute) const;
    void SelectID(LPCITEMIDLIST absolute);
    bool SameID(LPCITEMIDLIST a, LPCITEMIDLIST b) const;

    // ShellTreeMenu.cpp
    void ShowContextMenu(HTREEITEM node, POINT screen);
    bool RunCommand(HTREEITEM node, IContextMenu* menu, UINT offset, const std::string& verb);
    // The open context menu's drawing messages, passed to the shell's menu.
    bool MenuMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // ShellTreeRename.cpp
    // The label-edit notifications: true when `header` is one, with the reply in `result`.
    bool LabelEditNotify(const NMHDR* header, LRESULT& result);
    void EndLabelEdit(HTREEITEM node, const std::wstring* text, bool& accept);
    bool EndsEdit(HTREEITEM node);

    HWND handle_ = nullptr;
    std::string root_ = "rfDesktop";
    std::string previousRoot_;
    TShellFolder* rootItem_ = nullptr;
    TShellObjectTypes objectTypes_ = otFolders;
    bool useShellImages_ = true;
    HIMAGELIST systemImages_ = nullptr;
    bool loaded_ = false;
    bool loadingRoot_ = false;
    int updating_ = 0;
    HTREEITEM editing_ = nullptr;     // the node whose label is being edited
    IContextMenu2* menu2_ = nullptr;  // the open context menu, for its drawing messages
    IContextMenu3* menu3_ = nullptr;
};
