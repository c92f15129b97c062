// Opening and closing nodes and rebuilding the root give back every ID list,
// folder object and icon: counted through a spy on the shell's allocator.
#include <gtest/gtest.h>

#include "ShellTreeFixture.h"
#include "TestSupport.h"

using namespace shelltree_test;
using testing_support::TempFolder;

namespace {

// Counts the blocks of the COM task allocator (the shell's) that are alive.
class CountingSpy : public IMallocSpy {
public:
    long live = 0;
    long allocations = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IMallocSpy)) {
            *object = static_cast<IMallocSpy*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T size) override { return size; }
    void* STDMETHODCALLTYPE PostAlloc(void* block) override {
        if (block) ++live, ++allocations;
        return block;
    }
    void* STDMETHODCALLTYPE PreFree(void* block, BOOL spied) override {
        if (block && spied) --live;
        return block;
    }
    void STDMETHODCALLTYPE PostFree(BOOL) override {}
    SIZE_T STDMETHODCALLTYPE PreRealloc(void* block, SIZE_T size, void** newBlock, BOOL spied) override {
        reallocFrom_ = spied ? block : nullptr;
        reallocSize_ = size;
        *newBlock = block;
        return size;
    }
    void* STDMETHODCALLTYPE PostRealloc(void* block, BOOL) override {
        if (!reallocFrom_ && block) ++live, ++allocations;          // a new block
        if (reallocFrom_ && !block && reallocSize_ == 0) --live;    // a block freed
        return block;
    }
    void* STDMETHODCALLTYPE PreGetSize(void* block, BOOL) override { return block; }
    SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T size, BOOL) override { return size; }
    void* STDMETHODCALLTYPE PreDidAlloc(void* block, BOOL) override { return block; }
    int STDMETHODCALLTYPE PostDidAlloc(void*, BOOL, int allocated) override { return allocated; }
    void STDMETHODCALLTYPE PreHeapMinimize() override {}
    void STDMETHODCALLTYPE PostHeapMinimize() override {}

private:
    void* reallocFrom_ = nullptr;
    SIZE_T reallocSize_ = 0;
};

int NodeCount(HWND tree, HTREEITEM first) {
    int count = 0;
    for (HTREEITEM node = first; node; node = TreeView_GetNextSibling(tree, node))
        count += 1 + NodeCount(tree, TreeView_GetChild(tree, node));
    return count;
}

struct Resources {
    long idLists;
    int icons;
    DWORD gdiObjects, userObjects, handles;
};

Resources Measure(const CountingSpy& spy, HIMAGELIST system) {
    Resources now = {spy.live, ImageList_GetImageCount(system), GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS),
                     GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS), 0};
    GetProcessHandleCount(GetCurrentProcess(), &now.handles);
    return now;
}

}  // namespace

TEST(ShellTreeResources, OpeningClosingAndRebuildingLeakNothing) {
    TempFolder temp;
    for (const char* folder : {"a", "a\\b", "a\\b\\c", "a\\b\\c\\d", "x", "x\\y", "x\\z"})
        ASSERT_TRUE(CreateDirectoryA((temp / folder).c_str(), nullptr));
    SHFILEINFOA info = {};
    auto system = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoA("C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));

    // The allocator calls the spy for its blocks even after it is revoked: it lives on.
    static CountingSpy spy;
    ASSERT_EQ(CoRegisterMallocSpy(&spy), S_OK);
    {
        Host host;
        TShellTreeView& view = host.Tree();
        HWND tree = view.Handle();
        auto cycle = [&] {
            view.SetRoot("rfMyComputer");
            view.SetRoot("rfDesktop");
            view.SetSelectedPath(temp / "a\\b\\c\\d");
            for (HTREEITEM node = view.Selected(); node; node = TreeView_GetParent(tree, node))
                for (int i = 0; i < 3; ++i) {
                    TreeView_Expand(tree, node, TVE_COLLAPSE);
                    view.Expand(node);
                }
            view.SetSelectedPath(temp / "x\\y");
            view.Refresh(TreeView_GetParent(tree, view.Selected()));
            view.SetSelectedPath(temp.Path());
            view.Refresh(view.Selected());
            (void)view.SelectedPath();
            Pump();
        };
        // The shell keeps what it learns the first time (names, icons): warm it up.
        for (int i = 0; i < 3; ++i) cycle();
        const long allocationsBefore = spy.allocations;
        const Resources before = Measure(spy, system);
        for (int i = 0; i < 10; ++i) cycle();
        const Resources after = Measure(spy, system);

        EXPECT_GT(spy.allocations - allocationsBefore, 100) << "the spy saw the tree's ID lists come and go";
        EXPECT_EQ(after.idLists, before.idLists);
        EXPECT_EQ(after.icons, before.icons);
        EXPECT_EQ(after.gdiObjects, before.gdiObjects);
        EXPECT_EQ(after.userObjects, before.userObjects);
        EXPECT_EQ(after.handles, before.handles);
        // One item per node, and the desktop item of the process.
        EXPECT_EQ(TShellFolder::LiveCount(), NodeCount(tree, TreeView_GetRoot(tree)) + 1);
        EXPECT_TRUE(host.errors.empty());
    }
    EXPECT_EQ(TShellFolder::LiveCount(), 1);
    CoRevokeMallocSpy();
}
