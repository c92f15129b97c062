// How long the folder tree takes to open a node the shell cannot list (a
// drive whose medium or target is missing, a folder that vanished), against
// opening a listable folder of the same shape in the same run.
//   ShellTreeOpenBench.exe [DRIVE]     e.g. Q:\ for a drive mapped to nothing
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "shelltree/ShellTree.h"

namespace {

LRESULT CALLBACK HostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* tree = reinterpret_cast<TShellTreeView*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    LRESULT result = 0;
    if (message == WM_NOTIFY && tree && tree->HandleNotify(reinterpret_cast<NMHDR*>(lParam), result)) return result;
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// Milliseconds to open the node of `path` (selected first, not yet filled), or
// -1 when it has no node. `vanish` removes the folder between the two steps.
double OpenMs(TShellTreeView& tree, const std::string& path, bool vanish, int* children) {
    tree.SetRoot("rfMyComputer");
    tree.SetRoot("rfDesktop");
    tree.SetSelectedPath(path);
    HTREEITEM node = tree.Selected();
    if (!node) return -1;
    if (vanish) RemoveDirectoryA(path.c_str());
    const auto start = std::chrono::steady_clock::now();
    tree.Expand(node);
    const auto end = std::chrono::steady_clock::now();
    *children = 0;
    for (HTREEITEM child = TreeView_GetChild(tree.Handle(), node); child;
         child = TreeView_GetNextSibling(tree.Handle(), child))
        ++*children;
    return std::chrono::duration<double, std::milli>(end - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = HostProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"BenchHost";
    RegisterClassW(&windowClass);
    HWND host = CreateWindowExW(0, L"BenchHost", L"bench", WS_OVERLAPPEDWINDOW, 0, 0, 300, 400, nullptr, nullptr,
                                windowClass.hInstance, nullptr);
    TShellTreeView tree(host, 0, 0, 280, 380);
    SetWindowLongPtrW(host, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&tree));
    tree.Loaded();

    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string base = std::string(temp) + "tavrin-open-bench";
    const int rounds = 20;
    double listable = 0, vanished = 0, drive = 0;
    int listed = 0, vanishedChildren = 0, driveChildren = 0;
    for (int i = 0; i < rounds; ++i) {
        CreateDirectoryA(base.c_str(), nullptr);
        CreateDirectoryA((base + "\\sub").c_str(), nullptr);
        listable += OpenMs(tree, base, false, &listed);
        RemoveDirectoryA((base + "\\sub").c_str());
        vanished += OpenMs(tree, base, true, &vanishedChildren);
        if (argc > 1) {
            double ms = OpenMs(tree, argv[1], false, &driveChildren);
            if (ms < 0) {
                std::printf("%s has no node in the tree\n", argv[1]);
                return 1;
            }
            drive += ms;
        }
    }
    std::printf("open a listable folder:    %.2f ms (%d child)\n", listable / rounds, listed);
    std::printf("open a vanished folder:    %.2f ms (%d children), ratio %.2f\n", vanished / rounds,
                vanishedChildren, vanished / listable);
    if (argc > 1)
        std::printf("open %s:                   %.2f ms (%d children), ratio %.2f\n", argv[1], drive / rounds,
                    driveChildren, drive / listable);
    return 0;
}
