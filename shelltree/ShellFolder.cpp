#include "shelltree/ShellFolder.h"

#include <cctype>

#include "platform/Platform.h"
#include "platform/win32/AnsiPaths.h"
#include "toolkit/Win32.h"

namespace {

// OLE is initialised for the process when the unit starts and uninitialised
// when it ends; the desktop item lives as long as the unit.
struct ShellTreeUnit {
    ~ShellTreeUnit() {
        delete desktopItem;
        if (desktop) desktop->Release();
    }
    OleScope ole;  // made first, so undone last
    IShellFolder* desktop = nullptr;
    TShellFolder* desktopItem = nullptr;
};
ShellTreeUnit unit;

long liveItems = 0;

}  // namespace

// ---- names ----

std::string ShellNameFromShell(const std::string& name) {
    if (name.size() > 1 && name[0] == '?' && std::isdigit(static_cast<unsigned char>(name[1]))) {
        std::string cleaned;
        for (char c : name)
            if (c != '?') cleaned += c;
        return cleaned;
    }
    return name;
}

std::string ShellDisplayName(IShellFolder* folder, LPCITEMIDLIST id, DWORD flags, std::wstring* wide) {
    if (wide) wide->clear();
    if (!folder || !id) return std::string();
    STRRET name = {};
    if (FAILED(folder->GetDisplayNameOf(id, flags, &name))) return std::string();
    std::string text;
    switch (name.uType) {
    case STRRET_WSTR:
        text = AnsiFromWide(name.pOleStr);
        if (wide && name.pOleStr) *wide = name.pOleStr;
        CoTaskMemFree(name.pOleStr);
        break;
    case STRRET_OFFSET:
        text = reinterpret_cast<const char*>(id) + name.uOffset;
        break;
    case STRRET_CSTR:
        text = name.cStr;
        break;
    }
    text = ShellNameFromShell(text);
    if (text.compare(0, 3, "::{") == 0 && flags != SHGDN_NORMAL)
        return ShellDisplayName(folder, id, SHGDN_NORMAL, wide);
    return text;
}

// ---- TShellFolder ----

IShellFolder* DesktopFolder() {
    if (!unit.desktop) SHGetDesktopFolder(&unit.desktop);
    return unit.desktop;
}

TShellFolder& DesktopShellFolder() {
    if (!unit.desktopItem) {
        const USHORT empty = 0;
        unit.desktopItem = new TShellFolder(nullptr, reinterpret_cast<LPCITEMIDLIST>(&empty), DesktopFolder());
    }
    return *unit.desktopItem;
}

TShellFolder::TShellFolder(TShellFolder* parent, LPCITEMIDLIST relative, IShellFolder* folder)
    : parent_(parent), relative_(idlist::Copy(relative)) {
    absolute_.reset(parent ? idlist::Concat(parent->AbsoluteID(), relative) : idlist::Copy(relative));
    level_ = parent ? parent->Level() + 1 : 0;
    folder_ = folder;
    if (folder_) folder_->AddRef();
    ++liveItems;
}

TShellFolder::~TShellFolder() {
    if (folder_) folder_->Release();
    --liveItems;
}

long TShellFolder::LiveCount() { return liveItems; }

IShellFolder* TShellFolder::ChildFolder(LPCITEMIDLIST relative) const {
    if (!folder_) return nullptr;
    void* child = nullptr;
    if (SUCCEEDED(folder_->BindToObject(relative, nullptr, IID_IShellFolder, &child)) && child)
        return static_cast<IShellFolder*>(child);
    LPCITEMIDLIST ids[1] = {relative};
    child = nullptr;
    if (SUCCEEDED(folder_->GetUIObjectOf(nullptr, 1, ids, IID_IShellFolder, nullptr, &child)) && child)
        return static_cast<IShellFolder*>(child);
    child = nullptr;
    if (SUCCEEDED(folder_->CreateViewObject(nullptr, IID_IShellFolder, &child)) && child)
        return static_cast<IShellFolder*>(child);
    idlist::Owned absolute(idlist::Concat(absolute_.get(), relative));
    child = nullptr;
    if (SUCCEEDED(DesktopFolder()->BindToObject(absolute.get(), nullptr, IID_IShellFolder, &child)) && child)
        return static_cast<IShellFolder*>(child);
    return nullptr;
}

IShellFolder* TShellFolder::ParentShellFolder(LPCITEMIDLIST* child) const {
    if (idlist::Count(relative_.get()) == 1 && parent_ && parent_->ShellFolder()) {
        *child = relative_.get();
        parent_->ShellFolder()->AddRef();
        return parent_->ShellFolder();
    }
    if (absolute_->mkid.cb == 0) {  // the desktop answers for itself
        *child = absolute_.get();
        DesktopFolder()->AddRef();
        return DesktopFolder();
    }
    IShellFolder* folder = nullptr;
    if (FAILED(SHBindToParent(absolute_.get(), IID_IShellFolder, reinterpret_cast<void**>(&folder), child)))
        return nullptr;
    return folder;
}

ULONG TShellFolder::Attributes(ULONG mask) const {
    LPCITEMIDLIST child = nullptr;
    ComRef<IShellFolder> folder(ParentShellFolder(&child));
    if (!folder) return 0;
    if (child->mkid.cb == 0) return mask & (SFGAO_FOLDER | SFGAO_HASSUBFOLDER | SFGAO_FILESYSANCESTOR);
    ULONG attributes = mask;
    if (FAILED(folder->GetAttributesOf(1, &child, &attributes))) return 0;
    return attributes & mask;
}

std::string TShellFolder::PathName() const {
    std::wstring wide;
    const std::string path = ShellDisplayName(DesktopFolder(), absolute_.get(), SHGDN_FORPARSING, &wide);
    std::string exact;
    if (wide.empty()) return path;
    if (platform::AnsiExactly(wide, exact)) {
        if (exact.find('?') == std::string::npos) return path;
        // A shell that gave "?" for letters the ANSI code page cannot hold.
        wide = platform::ResolveStandIns(exact);
    }
    return ShellNameFromShell(platform::OpenableAnsiPath(wide));
}

std::string TShellFolder::DisplayName() const {
    LPCITEMIDLIST child = nullptr;
    ComRef<IShellFolder> folder(ParentShellFolder(&child));
    return ShellDisplayName(folder.get(), child, SHGDN_INFOLDER);
}

std::wstring TShellFolder::ShownName() const {
    LPCITEMIDLIST child = nullptr;
    ComRef<IShellFolder> folder(ParentShellFolder(&child));
    std::wstring wide;
    const std::string name = ShellDisplayName(folder.get(), child, SHGDN_INFOLDER, &wide);
    // Names the ANSI code page holds, and those the rules above changed, show as before.
    std::string exact;
    if (wide.empty() || name != AnsiFromWide(wide.c_str())) return WideFromAnsi(name);
    if (!platform::AnsiExactly(wide, exact)) return wide;
    if (exact.find('?') != std::string::npos) {
        // A shell that gave "?" for letters the ANSI code page cannot hold: the
        // name of the file or folder its path leads to.
        const std::string path = ShellDisplayName(DesktopFolder(), absolute_.get(), SHGDN_FORPARSING);
        const std::wstring real = platform::ResolveStandIns(path);
        const size_t slash = real.find_last_of(L'\\');
        if (real != WideFromAnsi(path) && slash != std::wstring::npos) return real.substr(slash + 1);
    }
    return WideFromAnsi(name);
}

void TShellFolder::Renamed(LPITEMIDLIST relative, IShellFolder* folder) {
    idlist::Owned last(relative);
    // The relative ID of a root item runs from the desktop: only its last item changes.
    idlist::Owned head(idlist::CopyFirst(relative_.get(), idlist::Count(relative_.get()) - 1));
    relative_.reset(idlist::Concat(head.get(), last.get()));
    absolute_.reset(parent_ ? idlist::Concat(parent_->AbsoluteID(), relative_.get()) : idlist::Copy(relative_.get()));
    if (folder_) folder_->Release();
    folder_ = folder;
}
