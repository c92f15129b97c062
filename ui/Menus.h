// Menus as data: one table shape for the menu bar and the tray menu. Each row
// gives an item's command, its entry in the caption table and its handler;
// the table drives building, the captions and the dispatch of WM_COMMAND.
#pragma once

#include <windows.h>

#include <span>
#include <string>

#include "ui/Commands.h"

class TForm1;

struct MenuItem {
    UINT command;                // 0: a heading of the menu bar, which opens a drop-down of the items after it
    const std::string* caption;  // its entry in the caption table, which also gives the text it is made with
    void (*handler)(TForm1& form);
};

// The menu bar (a table with headings) or a popup menu (a table without),
// made with the caption table's texts before the table is filled.
HMENU BuildMenu(std::span<const MenuItem> items);
// The items' texts from the caption table, once it is filled.
void AssignMenuCaptions(HMENU menu, std::span<const MenuItem> items);
// Runs the handler of `command`; false for a command not of the table.
bool RunMenuCommand(std::span<const MenuItem> items, UINT command, TForm1& form);

// The two menus.
std::span<const MenuItem> MainMenuItems();
std::span<const MenuItem> TrayMenuItems();
