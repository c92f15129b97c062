// Menus as data: one table shape for the menu bar and the tray menu. Each row
// gives an item's command, its entry in the caption table, its handler and its
// state; the table drives building, the captions, the state shown when a menu
// opens (WM_INITMENUPOPUP) and the dispatch of WM_COMMAND.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>
#include <string>

#include "ui/Commands.h"

class TForm1;

// What a row makes. A Command row with command 0 is a heading of the menu bar,
// which opens a drop-down of the rows after it; SubmenuBegin makes an item
// that opens a menu of the rows up to the matching SubmenuEnd.
enum class MenuRow : uint8_t { Command, Separator, SubmenuBegin, SubmenuEnd };

struct MenuItem {
    UINT command;                // 0: a heading of the menu bar (or a row that carries no command)
    const std::string* caption;  // its entry in the caption table, which also gives the text it is made with
    void (*handler)(TForm1& form);
    MenuRow row = MenuRow::Command;
    // Evaluated each time the menu holding the row opens; null: never checked, always enabled.
    bool (*checked)(const TForm1& form) = nullptr;
    bool (*enabled)(const TForm1& form) = nullptr;
    bool radio = false;  // a check shown as a radio dot: one of a group of choices
};

// The menu bar (a table with headings) or a popup menu (a table without),
// made with the caption table's texts before the table is filled.
HMENU BuildMenu(std::span<const MenuItem> items);
// The items' texts from the caption table, once it is filled (or refilled).
void AssignMenuCaptions(HMENU menu, std::span<const MenuItem> items);
// Sets the checked and enabled state of the rows that stand directly in
// `popup`, a menu opening (WM_INITMENUPOPUP) inside `menu`, the one built from
// `items`; a popup of another menu is left alone.
void UpdateMenuState(HMENU menu, std::span<const MenuItem> items, HMENU popup, const TForm1& form);
// Runs the handler of `command`; false for a command not of the table.
bool RunMenuCommand(std::span<const MenuItem> items, UINT command, TForm1& form);

// The two menus.
std::span<const MenuItem> MainMenuItems();
std::span<const MenuItem> TrayMenuItems();
