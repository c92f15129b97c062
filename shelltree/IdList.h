// Item ID lists of the shell namespace: a sequence of length-prefixed items
// ending in a zero 16-bit length. Every list made here comes from the shell's
// allocator and goes back to it.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <vector>

namespace idlist {

// The shell's allocator (SHGetMalloc), obtained once for the process.
IMalloc* Allocator();

UINT Size(LPCITEMIDLIST list);   // bytes, the terminating zero length included
int Count(LPCITEMIDLIST list);   // number of items
LPITEMIDLIST Copy(LPCITEMIDLIST list);
LPITEMIDLIST Concat(LPCITEMIDLIST first, LPCITEMIDLIST second);
LPITEMIDLIST CopyFirst(LPCITEMIDLIST list, int count);  // the first `count` items
LPCITEMIDLIST Last(LPCITEMIDLIST list);                 // the last item, or the terminator of an empty list
bool RemoveLast(LPITEMIDLIST list);                     // false for an empty list
void Free(LPCITEMIDLIST list);                          // null is allowed

struct Deleter {
    void operator()(ITEMIDLIST* list) const { Free(list); }
};
using Owned = std::unique_ptr<ITEMIDLIST, Deleter>;

// The absolute lists of the ancestors of an absolute list, from the desktop
// (the empty list) down to its parent.
std::vector<Owned> Ancestors(LPCITEMIDLIST absolute);

}  // namespace idlist
