// The program's Russian vocabulary: the texts of the menus, buttons, painted
// labels and the plugin window, in one table filled once at start. Texts are
// UTF-8 and shown through the wide functions.
#pragma once

#include <string>
#include <vector>

extern std::string LangAdvert;          // "Реклама": the banner group, followed by ":"
extern std::string LangFolderChoice;    // "Выбор папки": the folder group
extern std::string LangFile;            // "Файл": main menu N1
extern std::string LangExit;            // "Выход": N2, tray N9, the plugin window's Button4
extern std::string LangHelp;            // "Помощь": main menu N3
extern std::string LangAbout;           // "О программе": N4
extern std::string LangDeveloperSite;   // "Сайт разработчика": N5
extern std::string LangApply;           // "Применить": ButtonApply
extern std::string LangChangeAtStart;   // "Менять обои после запуска": CheckBoxChangeStart's label
extern std::string LangStartWithWindows;  // "Запускать после загрузки": CheckBoxStartUp's label
extern std::string LangByTimer;         // "по таймеру": CheckBoxTimer's label
extern std::string LangWallpaperFolder;  // "Папка с обоями рабочего стола": above EditDir, followed by ":"
extern std::string LangNoPictures;      // "Картинок нет": the preview caption of a folder without pictures
extern std::string LangSettings;        // "Настройки": tray N6, the plugin window's Button3
extern std::string LangNext;            // "Следующая": tray N7
extern std::string LangPrevious;        // "Предыдущая": tray N8
extern std::string LangMinute;          // "Минута": ComboBox1 item 0
extern std::string LangHour;            // "Час": ComboBox1 item 1
extern std::string LangDay;             // "день": ComboBox1 item 2
extern std::string LangPlugins;         // "Плагины": main menu Plugins, the plugin window's caption
extern std::string LangOn;              // "Вкл": the plugin window's Button1, the active plugin's mark
extern std::string LangOff;             // "Выкл": the plugin window's Button2
extern std::string LangBackgroundColor;  // "Цвет фона": right of Panel1

// Fills the table. Called once at start, before the captions are assigned.
void LoadCaptions();

// The table's entries in the order LoadCaptions sets them.
std::vector<const std::string*> CaptionTable();
