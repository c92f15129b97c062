// The About box: a small modal window with the program's name, version,
// credits and an "OK" button (Esc presses it).
#pragma once

#include <string>
#include <vector>

#include "toolkit/Forms.h"
#include "ui/ProgramFont.h"

class TAboutForm : public TForm {
public:
    TAboutForm();
    ~TAboutForm() override;

    // Shows the box modally: the other windows of the program are disabled
    // until it closes. Returns the modal result (2, cancel, for "OK" and Esc).
    int ShowModal();

    void FormCreate() {}
    void FormClose() {}

    struct Label {
        HWND handle;
        int left, top;
        std::string text;  // UTF-8
    };
    const std::vector<Label>& Labels() const { return labels_; }
    HWND OkButton() const { return button_; }  // Button1: the "OK" button
    int ModalResult = 0;

    enum : UINT { kOkButtonId = IDCANCEL };  // kButton1Id: the "OK" button's identifier: Esc presses it too

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void DoClose(bool& allowed) override;

private:
    SharedFont font_;  // deleted after the window (see the destructor)
    HWND button_ = nullptr;
    std::vector<Label> labels_;
    bool modal_ = false;
};

// Creates an About box owned by the application, shows it modally and destroys
// it, also when showing it failed.
void ShowAbout();
