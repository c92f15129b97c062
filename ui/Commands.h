// The program's menu commands, as WM_COMMAND carries them: the menu bar's and
// the tray menu's, in one enumeration.
#pragma once

#include <windows.h>

enum Command : UINT {
    CmdFileExit = 102,        // CmdN2: "Файл" -> "Выход"
    CmdTraySettings = 106,    // CmdN6: tray "Настройки"
    CmdTrayNext = 107,        // CmdN7: tray "Следующая"
    CmdTrayPrevious = 108,    // CmdN8: tray "Предыдущая"
    CmdTrayExit = 109,        // CmdN9: tray "Выход"
    CmdTrayOpenPicture = 111,   // tray "Открыть картинку"
    CmdTrayShowInFolder = 112,  // tray "Показать в папке"
    CmdTrayDeletePicture = 113, // tray "Удалить картинку"
    CmdPlugins = 150,         // "Файл" -> "Плагины"
    CmdShuffle = 161,         // "Параметры" -> "Случайный порядок"
    CmdAllFormats = 160,      // "Параметры" -> "Все форматы (PNG, WebP, .jpeg)"
    CmdAbout = 404,           // CmdN4: "Помощь" -> "О программе"
    CmdDeveloperSite = 405,   // CmdN5: "Помощь" -> "Сайт разработчика"
    CmdWallpapersPage = 410,  // CmdN10: "Помощь" -> "Скачать обои"
    CmdFitFrame = 501,        // "Параметры" -> "Рамка 1,3 : 1" ("fitscreen" 0)
    CmdFitWhole = 502,        // "Параметры" -> "Целиком на экране" ("fitscreen" 1)
    CmdFitFill = 503,         // "Параметры" -> "Заполнить экран" ("fitscreen" 2)
    CmdLanguageRussian = 700, // "Параметры" -> "Язык / Language" -> "Русский"
    CmdLanguageEnglish = 701, // "Параметры" -> "Язык / Language" -> "English"
};
