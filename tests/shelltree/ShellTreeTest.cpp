// The folder tree against Wine's real shell namespace.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "ShellTreeFixture.h"
#include "TestSupport.h"
#include "platform/Platform.h"
#include "toolkit/Forms.h"

using namespace shelltree_test;
using testing_support::TempFolder;
using testing_support::ThrownText;

namespace {

void MakeFolder(const std::string& path) { ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path; }

}  // namespace

TEST(ItemIdLists, MeasureCopyJoinAndCut) {
    // Two items of 4 and 3 bytes, then the terminating zero length.
    const BYTE raw[] = {4, 0, 'a', 'b', 3, 0, 'c', 0, 0};
    auto list = reinterpret_cast<LPCITEMIDLIST>(raw);
    EXPECT_EQ(idlist::Count(list), 2);
    EXPECT_EQ(idlist::Size(list), 9u);

    idlist::Owned copy(idlist::Copy(list));
    ASSERT_EQ(std::memcmp(copy.get(), raw, sizeof raw), 0);
    idlist::Owned first(idlist::CopyFirst(list, 1));
    EXPECT_EQ(idlist::Count(first.get()), 1);
    EXPECT_EQ(idlist::Size(first.get()), 6u);
    EXPECT_EQ(reinterpret_cast<const BYTE*>(idlist::Last(list)), raw + 4);

    idlist::Owned joined(idlist::Concat(list, first.get()));
    EXPECT_EQ(idlist::Count(joined.get()), 3);
    EXPECT_EQ(idlist::Size(joined.get()), 13u);
    EXPECT_EQ(std::memcmp(reinterpret_cast<const BYTE*>(joined.get()) + 7, raw, 4), 0);

    ASSERT_TRUE(idlist::RemoveLast(copy.get()));
    EXPECT_EQ(idlist::Count(copy.get()), 1);
    ASSERT_TRUE(idlist::RemoveLast(copy.get()));
    EXPECT_FALSE(idlist::RemoveLast(copy.get()));
    EXPECT_EQ(idlist::Size(copy.get()), 2u);

    std::vector<idlist::Owned> chain = idlist::Ancestors(joined.get());
    ASSERT_EQ(chain.size(), 3u);
    EXPECT_EQ(idlist::Count(chain[0].get()), 0);
    EXPECT_EQ(idlist::Count(chain[2].get()), 2);
}

TEST(ShellNames, QuestionMarksBeforeADigitAreDropped) {
    EXPECT_EQ(ShellNameFromShell("?1?2 Disk"), "12 Disk");
    EXPECT_EQ(ShellNameFromShell("?a?b"), "?a?b");
    EXPECT_EQ(ShellNameFromShell("?"), "?");
    EXPECT_EQ(ShellNameFromShell("a?1"), "a?1");
}

TEST(ShellTree, TheRootIsTheDesktopWithTheComputerAndTheShellsIcons) {
    Host host;
    HWND tree = host.Tree().Handle();
    HTREEITEM top = TreeView_GetRoot(tree);
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(TreeView_GetNextSibling(tree, top), nullptr);
    EXPECT_EQ(Text(tree, top), SpecialFolderName(CSIDL_DESKTOP));
    EXPECT_TRUE(IsExpanded(tree, top));
    EXPECT_EQ(host.Tree().Selected(), top);
    EXPECT_EQ(Image(tree, top), SpecialFolderIcon(CSIDL_DESKTOP));

    // The shell's own small-icon list is the tree's.
    SHFILEINFOA info = {};
    auto system = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoA("C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    EXPECT_EQ(TreeView_GetImageList(tree, TVSIL_NORMAL), system);
    // No lines and buttons at the root level.
    EXPECT_FALSE(GetWindowLongW(tree, GWL_STYLE) & TVS_LINESATROOT);

    // The computer node, with its icon, and its path name is its display name.
    const std::string computer = SpecialFolderName(CSIDL_DRIVES);
    HTREEITEM node = ChildNamed(tree, top, computer);
    ASSERT_NE(node, nullptr) << computer;
    EXPECT_EQ(Image(tree, node), SpecialFolderIcon(CSIDL_DRIVES));
    EXPECT_TRUE(HasButton(tree, node));
    EXPECT_EQ(TreeView_GetChild(tree, node), nullptr);  // not listed until opened
    TreeView_SelectItem(tree, node);
    EXPECT_EQ(host.Tree().SelectedPath(), computer);

    // Without a selection the path is empty.
    TreeView_SelectItem(tree, nullptr);
    EXPECT_EQ(host.Tree().SelectedPath(), "");
    EXPECT_TRUE(host.errors.empty());
}

TEST(ShellTree, RootNamesAndPathsAndABadRootThatKeepsThePreviousOne) {
    Host host;
    TShellTreeView& view = host.Tree();
    HWND tree = view.Handle();

    view.SetRoot("rfMyComputer");
    HTREEITEM top = TreeView_GetRoot(tree);
    EXPECT_EQ(Text(tree, top), SpecialFolderName(CSIDL_DRIVES));
    HTREEITEM drive = TreeView_GetChild(tree, top);
    ASSERT_NE(drive, nullptr);
    std::vector<std::string> paths;
    for (; drive; drive = TreeView_GetNextSibling(tree, drive)) {
        TreeView_SelectItem(tree, drive);
        paths.push_back(view.SelectedPath());
    }
    EXPECT_NE(std::find(paths.begin(), paths.end(), "C:\\"), paths.end());

    // Another letter case is the same root: nothing is rebuilt.
    view.SetRoot("RFMYCOMPUTER");
    EXPECT_EQ(TreeView_GetRoot(tree), top);

    view.SetRoot("C:");
    top = TreeView_GetRoot(tree);
    EXPECT_EQ(view.SelectedPath(), "C:\\");
    EXPECT_NE(ChildNamed(tree, top, "windows"), nullptr);

    EXPECT_EQ(ThrownText([&] { view.SetRoot("C:\\no\\such\\folder"); }),
              "Error setting path: \"C:\\no\\such\\folder\"");
    EXPECT_EQ(view.Root(), "C:");
    ASSERT_NE(TreeView_GetRoot(tree), nullptr);
    EXPECT_EQ(view.SelectedPath(), "C:\\");

    EXPECT_EQ(ThrownText([&] { view.SetRoot(""); }), "Error setting path: \"\"");
    EXPECT_EQ(view.Root(), "C:");
}

TEST(ShellTree, OpeningListsFoldersOnlyWithoutHiddenOnesOnceInTheShellsOrder) {
    TempFolder temp;
    MakeFolder(temp / "beta");
    MakeFolder(temp / "Alpha");
    MakeFolder(temp / "Alpha\\inner");
    MakeFolder(temp / "gamma");
    MakeFolder(temp / "Secret");
    ASSERT_TRUE(SetFileAttributesA((temp / "Secret").c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(GetFileAttributesA((temp / "Secret").c_str()) & FILE_ATTRIBUTE_HIDDEN);
    testing_support::WriteTextFile(temp / "delta.bmp", "BM");

    Host host;
    TShellTreeView& view = host.Tree();
    HWND tree = view.Handle();
    view.SetSelectedPath(temp.Path());
    HTREEITEM folder = view.Selected();
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(view.SelectedPath(), temp.Path());
    EXPECT_FALSE(IsExpanded(tree, folder));
    EXPECT_EQ(TreeView_GetChild(tree, folder), nullptr);

    view.Expand(folder);
    EXPECT_EQ(ChildTexts(tree, folder), (std::vector<std::string>{"Alpha", "beta", "gamma"}));

    // An empty folder has no button once it has been opened.
    HTREEITEM beta = ChildNamed(tree, folder, "beta");
    view.Expand(beta);
    EXPECT_FALSE(HasButton(tree, beta));
    EXPECT_EQ(TreeView_GetChild(tree, beta), nullptr);

    // Closing and opening again does not list the folder again.
    MakeFolder(temp / "epsilon");
    TreeView_Expand(tree, folder, TVE_COLLAPSE);
    view.Expand(folder);
    EXPECT_EQ(ChildTexts(tree, folder).size(), 3u);

    // A refresh does, and finds what was open and selected.
    view.SetSelectedPath(temp / "Alpha\\inner");
    ASSERT_EQ(view.SelectedPath(), temp / "Alpha\\inner");
    view.Refresh(folder);
    EXPECT_EQ(ChildTexts(tree, folder), (std::vector<std::string>{"Alpha", "beta", "epsilon", "gamma"}));
    EXPECT_TRUE(IsExpanded(tree, folder));
    EXPECT_TRUE(IsExpanded(tree, ChildNamed(tree, folder, "Alpha")));
    EXPECT_EQ(view.SelectedPath(), temp / "Alpha\\inner");
    EXPECT_TRUE(host.errors.empty());
}

TEST(ShellTree, SelectedPathOpensTheAncestorsAndSelectsOnlyVisibleFolders) {
    TempFolder temp;
    MakeFolder(temp / "a");
    MakeFolder(temp / "a\\b");
    MakeFolder(temp / "a\\b\\c");
    MakeFolder(temp / "a\\b\\c\\d");
    MakeFolder(temp / ".hidden");
    MakeFolder(temp / "Secret");
    SetFileAttributesA((temp / "Secret").c_str(), FILE_ATTRIBUTE_HIDDEN);
    testing_support::WriteTextFile(temp / "picture.jpg", "x");

    Host host;
    TShellTreeView& view = host.Tree();
    HWND tree = view.Handle();

    view.SetSelectedPath("C:\\");
    EXPECT_EQ(view.SelectedPath(), "C:\\");
    HTREEITEM drive = view.Selected();
    ASSERT_NE(drive, nullptr);
    HTREEITEM computer = TreeView_GetParent(tree, drive);
    ASSERT_NE(computer, nullptr);
    EXPECT_EQ(Text(tree, computer), SpecialFolderName(CSIDL_DRIVES));
    EXPECT_TRUE(IsExpanded(tree, computer));
    EXPECT_TRUE(IsExpanded(tree, TreeView_GetRoot(tree)));

    const std::string deep = temp / "a\\b\\c\\d";
    view.SetSelectedPath(deep);
    EXPECT_EQ(view.SelectedPath(), deep);
    HTREEITEM c = TreeView_GetParent(tree, view.Selected());
    EXPECT_TRUE(IsExpanded(tree, c));
    EXPECT_EQ(Text(tree, c), "c");

    // Selecting the selected folder again neither closes nor lists anything.
    MakeFolder(temp / "a\\b\\c\\d2");
    view.SetSelectedPath(deep);
    EXPECT_EQ(ChildTexts(tree, c), (std::vector<std::string>{"d"}));
    EXPECT_TRUE(IsExpanded(tree, c));

    // Hidden folders and files have no node: no selection, the parent open.
    for (const char* name : {".hidden", "Secret", "picture.jpg"}) {
        view.SetSelectedPath(temp / "a");
        view.SetSelectedPath(temp / name);
        EXPECT_EQ(view.Selected(), nullptr) << name;
        EXPECT_EQ(view.SelectedPath(), "") << name;
    }
    view.SetSelectedPath(temp.Path());
    HTREEITEM folder = view.Selected();
    EXPECT_TRUE(IsExpanded(tree, folder));
    EXPECT_EQ(ChildTexts(tree, folder), (std::vector<std::string>{"a"}));

    // A path the shell cannot parse is an error and leaves the selection.
    const std::string missing = temp / "missing";
    EXPECT_EQ(ThrownText([&] { view.SetSelectedPath(missing); }), "Error setting path: \"" + missing + "\"");
    EXPECT_EQ(view.Selected(), folder);
}

TEST(ShellTree, EditingALabelRenamesTheFolder) {
    TempFolder temp;
    MakeFolder(temp / "old");
    MakeFolder(temp / "old\\child");
    MakeFolder(temp / "taken");

    Host host;
    TShellTreeView& view = host.Tree();
    HWND tree = view.Handle();
    view.SetSelectedPath(temp / "old\\child");
    HTREEITEM node = TreeView_GetParent(tree, view.Selected());
    ASSERT_EQ(Text(tree, node), "old");

    // The shell's "rename" command starts editing the label.
    ASSERT_TRUE(view.InvokeVerb(node, "rename"));
    HWND edit = TreeView_GetEditControl(tree);
    ASSERT_NE(edit, nullptr);
    SetWindowTextA(edit, "new");
    TreeView_EndEditLabelNow(tree, FALSE);
    Pump();
    EXPECT_TRUE(host.errors.empty());
    EXPECT_TRUE(platform::DirectoryExists(temp / "new"));
    EXPECT_FALSE(platform::DirectoryExists(temp / "old"));
    EXPECT_EQ(Text(tree, node), "new");
    TreeView_SelectItem(tree, node);
    EXPECT_EQ(view.SelectedPath(), temp / "new");
    // The nodes below follow the new name.
    view.Expand(node);
    TreeView_SelectItem(tree, ChildNamed(tree, node, "child"));
    EXPECT_EQ(view.SelectedPath(), temp / "new\\child");

    // A name the shell refuses is reported and the label stays.
    TreeView_EditLabel(tree, node);
    SetWindowTextA(TreeView_GetEditControl(tree), "taken");
    TreeView_EndEditLabelNow(tree, FALSE);
    Pump();
    EXPECT_EQ(host.errors, (std::vector<std::string>{"Rename to taken failed"}));
    EXPECT_EQ(Text(tree, node), "new");
    EXPECT_TRUE(platform::DirectoryExists(temp / "new"));

    // A cancelled edit changes nothing.
    TreeView_EditLabel(tree, node);
    SetWindowTextA(TreeView_GetEditControl(tree), "other");
    TreeView_EndEditLabelNow(tree, TRUE);
    EXPECT_EQ(Text(tree, node), "new");
    EXPECT_FALSE(platform::DirectoryExists(temp / "other"));
    EXPECT_FALSE(view.InvokeVerb(node, "no-such-verb"));
}

// The shell's commands of the context menu, carried out as a chosen item is.
TEST(ShellTree, TheContextMenuDeletesAfterAskingAndCopiesAndAFixedLabelStays) {
    TempFolder temp;
    for (const char* name : {"a", "a\\inner", "b", "gone"}) MakeFolder(temp / name);
    Host host;
    TShellTreeView& view = host.Tree();
    HWND tree = view.Handle();
    view.SetSelectedPath(temp / "a");
    HTREEITEM top = TreeView_GetParent(tree, view.Selected());
    {
        BoxWatcher answers({IDNO, IDYES});
        ASSERT_TRUE(view.InvokeVerb(ChildNamed(tree, top, "gone"), "delete"));
        EXPECT_TRUE(platform::DirectoryExists(temp / "gone")) << "No keeps the folder";
        EXPECT_EQ(ChildTexts(tree, top), (std::vector<std::string>{"a", "b", "gone"}));
        ASSERT_TRUE(view.InvokeVerb(ChildNamed(tree, top, "gone"), "delete"));
        EXPECT_FALSE(platform::DirectoryExists(temp / "gone"));
        EXPECT_EQ(ChildTexts(tree, top), (std::vector<std::string>{"a", "b"}));
        EXPECT_EQ(answers.Seen().size(), 2u);
    }

    // "Copy" hands the folder to the clipboard. (Wine's menu of a folder has no
    // "Paste"; only a folder's background menu has.)
    ASSERT_TRUE(view.InvokeVerb(ChildNamed(tree, top, "a"), "copy"));
    char copied[MAX_PATH] = {};
    ASSERT_TRUE(OpenClipboard(nullptr));
    if (HANDLE drop = GetClipboardData(CF_HDROP)) {
        DragQueryFileA(static_cast<HDROP>(GlobalLock(drop)), 0, copied, MAX_PATH);
        GlobalUnlock(drop);
    }
    CloseClipboard();
    EXPECT_EQ(platform::IdentifyFolder(copied), platform::IdentifyFolder(temp / "a")) << copied;

    // A label whose item cannot be renamed (the recycle bin's, under Wine)
    // keeps its text, without an error.
    HTREEITEM bin = ChildNamed(tree, TreeView_GetRoot(tree), SpecialFolderName(CSIDL_BITBUCKET));
    ASSERT_NE(bin, nullptr);
    const std::string name = Text(tree, bin);
    TreeView_EditLabel(tree, bin);
    SetWindowTextA(TreeView_GetEditControl(tree), "renamed");
    TreeView_EndEditLabelNow(tree, FALSE);
    Pump();
    EXPECT_EQ(Text(tree, bin), name);
    EXPECT_TRUE(host.errors.empty());
}

TEST(ShellTree, AClickRunsTheHandlerWithTheClickedNodeSelected) {
    TempFolder temp;
    MakeFolder(temp / "one");
    MakeFolder(temp / "two");
    Host host;
    TShellTreeView& view = host.Tree();
    HWND tree = view.Handle();
    std::vector<std::string> clicked;
    view.OnClick = [&] { clicked.push_back(view.SelectedPath()); };
    view.SetSelectedPath(temp / "one");
    HTREEITEM two = TreeView_GetNextSibling(tree, view.Selected());
    ASSERT_EQ(Text(tree, two), "two");
    Click(tree, two);
    EXPECT_EQ(clicked, (std::vector<std::string>{temp / "two"}));
}

// An error of a handler the tree runs itself (a folder chosen) goes to the
// owner's handler, and without one to the application's standard error box.
TEST(ShellTree, AHandlersErrorGoesToTheOwnerOrElseTheApplicationsErrorBox) {
    BoxWatcher boxes;
    Host host;
    TShellTreeView& view = host.Tree();
    std::vector<std::string> shown;
    Application.OnException = [&](const std::exception& error) { shown.push_back(error.what()); };
    view.OnClick = [] { throw std::runtime_error("Cannot open the folder"); };
    Key(view.Handle(), VK_RETURN);
    Pump();
    view.OnException = nullptr;
    Key(view.Handle(), VK_RETURN);
    Pump();
    Application.OnException = nullptr;
    EXPECT_EQ(host.errors, (std::vector<std::string>{"Cannot open the folder"}));
    EXPECT_EQ(shown, (std::vector<std::string>{"Cannot open the folder"}));
    EXPECT_TRUE(boxes.Seen().empty());
}

// The keyboard chooses a folder as a click does: an arrow key once the keys
// rest (a held one takes only the folder where it stops), Enter and Space at
// once; the mouse's selection and the program's are not taken again. F10 and
// Alt open the window's menu, as from every other control.
TEST(ShellTree, TheKeysChooseAFolderAsAClickDoesAndOpenTheMenu) {
    TempFolder temp;
    for (const char* name : {"a", "b", "c", "d"}) MakeFolder(temp / name);
    Host host;
    TShellTreeView& view = host.Tree();
    HWND tree = view.Handle();
    std::vector<std::string> chosen;
    view.OnClick = [&] { chosen.push_back(view.SelectedPath()); };
    view.SetSelectedPath(temp / "a");
    Key(tree, VK_DOWN, 2);  // held from a to d
    ASSERT_TRUE(PumpUntil([&] { return chosen.size() == 1; }, 10000));
    Key(tree, VK_UP);
    Key(tree, VK_RETURN);  // c, at once
    Key(tree, VK_SPACE);
    Pump();
    Click(tree, TreeView_GetPrevSibling(tree, TreeView_GetPrevSibling(tree, view.Selected())));
    view.SetSelectedPath(temp / "b");
    PumpUntil([] { return false; }, 3 * TShellTreeView::KeyChoiceDelay());
    EXPECT_EQ(chosen, (std::vector<std::string>{temp / "d", temp / "c", temp / "c", temp / "a"}));
    Key(tree, VK_F10);
    Key(tree, VK_MENU);
    Pump();
    EXPECT_EQ(host.keyMenus, 2);
}

TEST(ShellTree, AFolderThatCannotBeListedOpensEmptyWithoutABox) {
    TempFolder temp;
    MakeFolder(temp / "gone");
    Host host;
    TShellTreeView& view = host.Tree();
    HWND tree = view.Handle();
    view.SetSelectedPath(temp / "gone");
    HTREEITEM gone = view.Selected();
    ASSERT_NE(gone, nullptr);
    ASSERT_TRUE(RemoveDirectoryA((temp / "gone").c_str()));

    BoxWatcher boxes;
    view.Expand(gone);
    Pump();
    Sleep(200);
    EXPECT_EQ(TreeView_GetChild(tree, gone), nullptr);
    EXPECT_FALSE(HasButton(tree, gone));
    EXPECT_TRUE(boxes.Seen().empty());
    EXPECT_TRUE(host.errors.empty());
}

namespace {

// A folder that gives no binding and no UI object, only its view object.
class ViewOnlyFolder final : public IShellFolder {
public:
    IShellFolder* view = nullptr;  // handed out by CreateViewObject
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND, IBindCtx*, LPWSTR, ULONG*, LPITEMIDLIST*, ULONG*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE EnumObjects(HWND, DWORD, IEnumIDList**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BindToObject(LPCITEMIDLIST, IBindCtx*, REFIID, void**) override { return E_FAIL; }
    HRESULT STDMETHODCALLTYPE BindToStorage(LPCITEMIDLIST, IBindCtx*, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CompareIDs(LPARAM, LPCITEMIDLIST, LPCITEMIDLIST) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateViewObject(HWND, REFIID riid, void** object) override {
        *object = IsEqualIID(riid, IID_IShellFolder) ? view : nullptr;
        return *object ? S_OK : E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE GetAttributesOf(UINT, LPCITEMIDLIST*, SFGAOF*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND, UINT, LPCITEMIDLIST*, REFIID, UINT*, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE GetDisplayNameOf(LPCITEMIDLIST, SHGDNF, STRRET*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetNameOf(HWND, LPCITEMIDLIST, LPCWSTR, SHGDNF, LPITEMIDLIST*) override {
        return E_NOTIMPL;
    }
};

}  // namespace

TEST(ShellTree, AChildsFolderObjectFallsBackToTheViewObjectThenTheDesktop) {
    TempFolder folder;
    LPITEMIDLIST absolute = nullptr;
    std::wstring wide(folder.Path().begin(), folder.Path().end());
    ASSERT_EQ(DesktopFolder()->ParseDisplayName(nullptr, nullptr, wide.data(), nullptr, &absolute, nullptr), S_OK);
    idlist::Owned id(absolute);
    const USHORT empty = 0;
    ViewOnlyFolder parentFolder, viewObject;
    parentFolder.view = &viewObject;
    // As the desktop's child: its absolute ID is `id` itself.
    TShellFolder parent(nullptr, reinterpret_cast<LPCITEMIDLIST>(&empty), &parentFolder);
    IShellFolder* child = parent.ChildFolder(id.get());
    EXPECT_EQ(child, &viewObject);
    parentFolder.view = nullptr;
    child = parent.ChildFolder(id.get());
    ASSERT_NE(child, nullptr) << "the desktop binds the absolute ID";
    EXPECT_NE(child, &viewObject);
    child->Release();
}
