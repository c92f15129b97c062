// The main window: Form1 of class TForm1.
#pragma once

#include <string>

#include "gif/GIFAnimator.h"
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

    // The banner and the "Помощь" menu.
    void TimerReklamaTimer();
    void GIFAnimator1Click();
    void N4Click();   // "О программе"
    void N5Click();   // "Сайт разработчика"
    void N10Click();  // "Скачать обои"

    // Menu command identifiers, as WM_COMMAND carries them.
    enum Command : UINT {
        CmdN2 = 102,  // "Выход"
        CmdN4 = 404,  // "Помощь" -> "О программе"
        CmdN5 = 405,  // "Помощь" -> "Сайт разработчика"
        CmdN10 = 410,  // "Помощь" -> "Скачать обои"
    };

    TTimer TimerWp;
    TTimer TimerReklama;
    TGIFAnimator GIFAnimator1;
    HFONT Font() const { return font_; }
    // The canvas draws text over the painted background without filling behind it.
    bool CanvasBrushHollow = false;

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void DoClose(bool& allowed) override;

private:
    HMENU BuildMainMenu();
    void CreateBanner();
    HFONT font_ = nullptr;
};

// The main window, set as soon as the window object exists.
extern TForm1* Form1;
