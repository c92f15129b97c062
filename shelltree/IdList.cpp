#include "shelltree/IdList.h"

#include <cstring>
#include <new>

namespace idlist {

namespace {

const SHITEMID* Next(const SHITEMID* item) {
    return reinterpret_cast<const SHITEMID*>(reinterpret_cast<const BYTE*>(item) + item->cb);
}

// The bytes of the first `count` items (all of them for a negative count).
UINT ItemBytes(LPCITEMIDLIST list, int count) {
    UINT bytes = 0;
    if (!list) return 0;
    for (const SHITEMID* item = &list->mkid; item->cb != 0 && count != 0; item = Next(item), --count)
        bytes += item->cb;
    return bytes;
}

LPITEMIDLIST Allocate(UINT bytes) {
    void* memory = Allocator()->Alloc(bytes);
    if (!memory) throw std::bad_alloc();
    return static_cast<LPITEMIDLIST>(memory);
}

LPITEMIDLIST Build(LPCITEMIDLIST first, UINT firstBytes, LPCITEMIDLIST second, UINT secondBytes) {
    const UINT total = firstBytes + secondBytes + sizeof(USHORT);
    LPITEMIDLIST list = Allocate(total);
    BYTE* out = reinterpret_cast<BYTE*>(list);
    if (firstBytes) std::memcpy(out, first, firstBytes);
    if (secondBytes) std::memcpy(out + firstBytes, second, secondBytes);
    std::memset(out + firstBytes + secondBytes, 0, sizeof(USHORT));
    return list;
}

}  // namespace

IMalloc* Allocator() {
    static IMalloc* allocator = [] {
        IMalloc* shell = nullptr;
        if (FAILED(SHGetMalloc(&shell)) || !shell) CoGetMalloc(MEMCTX_TASK, &shell);
        return shell;
    }();
    return allocator;
}

UINT Size(LPCITEMIDLIST list) { return ItemBytes(list, -1) + sizeof(USHORT); }

int Count(LPCITEMIDLIST list) {
    int count = 0;
    if (!list) return 0;
    for (const SHITEMID* item = &list->mkid; item->cb != 0; item = Next(item)) ++count;
    return count;
}

LPITEMIDLIST Copy(LPCITEMIDLIST list) { return Build(list, ItemBytes(list, -1), nullptr, 0); }

LPITEMIDLIST Concat(LPCITEMIDLIST first, LPCITEMIDLIST second) {
    return Build(first, ItemBytes(first, -1), second, ItemBytes(second, -1));
}

LPITEMIDLIST CopyFirst(LPCITEMIDLIST list, int count) {
    return Build(list, ItemBytes(list, count < 0 ? 0 : count), nullptr, 0);
}

LPCITEMIDLIST Last(LPCITEMIDLIST list) {
    const SHITEMID* last = &list->mkid;
    for (const SHITEMID* item = last; item->cb != 0; item = Next(item)) last = item;
    return reinterpret_cast<LPCITEMIDLIST>(last);
}

bool RemoveLast(LPITEMIDLIST list) {
    if (!list || list->mkid.cb == 0) return false;
    SHITEMID* last = const_cast<SHITEMID*>(&Last(list)->mkid);
    last->cb = 0;
    return true;
}

void Free(LPCITEMIDLIST list) {
    if (list) Allocator()->Free(const_cast<LPITEMIDLIST>(list));
}

std::vector<Owned> Ancestors(LPCITEMIDLIST absolute) {
    std::vector<Owned> chain;
    const int count = Count(absolute);
    for (int i = 0; i < count; ++i) chain.emplace_back(CopyFirst(absolute, i));
    return chain;
}

}  // namespace idlist
