// The main window: Form1 of class TForm1.
#pragma once

#include <memory>
#include <string>

#include "shelltree/ShellTree.h"
#include "ui/Forms.h"

class TForm1 : public TForm {
public:
    TForm1();
    ~TForm1() override;

    // Start-up and shutdown handlers.
    void FormCreate();
    void Minimize();
    void FormClose();
    void N2Click();  // main menu "Файл" -> "Выход"

    // Menu command identifiers, as WM_COMMAND carries them.
    enum Command : UINT {
        CmdN2 = 102,  // "Выход"
    };

    TTimer TimerWp;
    // The folder tree and the picture-folder field under it.
    std::unique_ptr<TShellTreeView> ShellTreeView1;
    HWND EditDir = nullptr;
    void ShellTreeView1Click();  // puts the selected folder's path into EditDir
    void LoadFolderTree();       // builds the tree's root once
    HFONT Font() const { return font_; }
    // The canvas draws text over the painted background without filling behind it.
    bool CanvasBrushHollow = false;

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void DoClose(bool& allowed) override;

private:
    HMENU BuildMainMenu();
    void CreateFolderControls();
    HFONT font_ = nullptr;
};

// The main window, set as soon as the window object exists.
extern TForm1* Form1;
