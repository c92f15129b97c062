// The program's Russian vocabulary: the texts of the menus, buttons, painted
// labels and the plugin window, in one table filled once at start. Texts are
// UTF-8 and shown through the wide functions.
#pragma once

#include <string>

extern std::string LangAdvert;          // "Реклама": the banner group, followed by ":"
extern std::string LangFolderChoice;    // "Выбор папки": the folder group
extern std::string LangFile;            // "Файл": the main menu's first heading
extern std::string LangExit;            // "Выход": FileExitClick, tray TrayExitClick, the plugin window's ButtonExit
extern std::string LangHelp;            // "Помощь": the main menu's second heading
extern std::string LangAbout;           // "О программе": AboutClick
extern std::string LangDeveloperSite;   // "Сайт разработчика": DeveloperSiteClick
extern std::string LangApply;           // "Применить": ButtonApply
extern std::string LangChangeAtStart;   // "Менять обои после запуска": CheckBoxChangeStart's label
extern std::string LangStartWithWindows;  // "Запускать после загрузки": CheckBoxStartUp's label
extern std::string LangByTimer;         // "по таймеру": CheckBoxTimer's label
extern std::string LangWallpaperFolder;  // "Папка с обоями рабочего стола": above EditDir, followed by ":"
extern std::string LangNoPictures;      // "Картинок нет": the preview caption of a folder without pictures
extern std::string LangSettings;        // "Настройки": tray TraySettingsClick, the plugin window's ButtonSettings
extern std::string LangNext;            // "Следующая": tray TrayNextClick
extern std::string LangPrevious;        // "Предыдущая": tray TrayPreviousClick
extern std::string LangMinute;          // "Минута": TimerUnitBox item 0
extern std::string LangHour;            // "Час": TimerUnitBox item 1
extern std::string LangDay;             // "день": TimerUnitBox item 2
extern std::string LangPlugins;         // "Плагины": main menu Plugins, the plugin window's caption
extern std::string LangOn;              // "Вкл": the plugin window's ButtonOn, the active plugin's mark
extern std::string LangOff;             // "Выкл": the plugin window's ButtonOff
extern std::string LangBackgroundColor;  // "Цвет фона": right of ColorSwatch
extern std::string LangOptions;         // "Параметры": the menu bar's heading of the choices a user turns on
extern std::string LangAllFormats;      // "Все форматы (PNG, WebP, .jpeg)" (English: "All formats (PNG, WebP, .jpeg)"):
                                        // "Параметры" -> option "allformats"

// Texts the windows show that the table above does not assign; set from the start.
extern const std::string TextWallpapersPage;  // "Скачать обои": WallpapersPageClick
extern const std::string TextChoose;          // "Выбрать": ColorButton

// Fills the table. Called once at start, before the captions are assigned.
void LoadCaptions();

// The text an entry of the table holds once it is filled (or a text of the
// two above): what a window shows from its making on, before LoadCaptions.
const std::string& CaptionText(const std::string& entry);
