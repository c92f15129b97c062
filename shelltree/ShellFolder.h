// The items of the folder tree: one namespace object per node, the process-wide
// desktop item, and the rules by which the shell's names become the program's.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "shelltree/IdList.h"

// One namespace object: the data of one tree node, owned by the node.
class TShellFolder {
public:
    // `relative` is copied; the absolute list is the parent's absolute list (the
    // desktop's, empty, without a parent) followed by it. `folder` may be null.
    TShellFolder(TShellFolder* parent, LPCITEMIDLIST relative, IShellFolder* folder);
    ~TShellFolder();
    TShellFolder(const TShellFolder&) = delete;
    TShellFolder& operator=(const TShellFolder&) = delete;

    TShellFolder* Parent() const { return parent_; }
    LPCITEMIDLIST RelativeID() const { return relative_.get(); }
    LPCITEMIDLIST AbsoluteID() const { return absolute_.get(); }
    IShellFolder* ShellFolder() const { return folder_; }  // null for plain files
    int Level() const { return level_; }

    // The folder that answers for this item and the item's ID relative to it.
    // Null when the shell cannot give one. The folder is AddRef'd for the caller.
    IShellFolder* ParentShellFolder(LPCITEMIDLIST* child) const;
    // The folder object of `relative`, a child of this item, AddRef'd for the
    // caller: this folder's binding of it, else its UI object for it, else this
    // folder's view object, else the desktop's binding of the absolute ID. Null
    // when all of them fail, or when this item has no folder.
    IShellFolder* ChildFolder(LPCITEMIDLIST relative) const;
    // The requested shell attributes (SFGAO_*) of the item; 0 when unknown.
    ULONG Attributes(ULONG mask) const;
    bool IsFolder() const { return Attributes(SFGAO_FOLDER) != 0; }
    bool HasSubFolders() const { return Attributes(SFGAO_HASSUBFOLDER) != 0; }

    // The desktop's parsing name of the absolute ID; names the ANSI code page
    // cannot hold are given by their short names, which the A functions open.
    std::string PathName() const;
    std::string DisplayName() const;  // the parent folder's in-folder name of the relative ID
    // DisplayName as the node shows it: the real name where the ANSI code page
    // cannot hold it.
    std::wstring ShownName() const;

    // After a rename: the item's new relative ID (taken over) and folder interface.
    void Renamed(LPITEMIDLIST relative, IShellFolder* folder);

    // Items alive in the process, the desktop item included.
    static long LiveCount();

private:
    TShellFolder* parent_;
    idlist::Owned relative_;
    idlist::Owned absolute_;
    IShellFolder* folder_ = nullptr;
    int level_ = 0;
};

// The process-wide desktop item and the desktop folder.
TShellFolder& DesktopShellFolder();
IShellFolder* DesktopFolder();

// Turns a name the shell gave into the program's 8-bit string by the tree's
// rules: "?" marks in front of a digit are dropped.
std::string ShellNameFromShell(const std::string& name);
// The name of `id` in `folder` (SHGDN_* flags), after the rules above; a
// namespace object without a path ("::{...}") is asked again for its normal name.
// With `wide`, the name as the shell gave it goes there too ("" when the shell
// gave an 8-bit one).
std::string ShellDisplayName(IShellFolder* folder, LPCITEMIDLIST id, DWORD flags, std::wstring* wide = nullptr);
