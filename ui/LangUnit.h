// The program's vocabulary: the texts of the menus, buttons, painted labels,
// the plugin window, the About box and the program's own messages, in one
// table whose each row holds an entry's Russian and English text. Texts are
// UTF-8 and shown through the wide functions.
#pragma once

#include <string>

extern std::string LangAdvert;          // "Реклама": the banner group, followed by ":"
extern std::string LangFolderChoice;    // "Выбор папки": the folder group
extern std::string LangFile;            // "Файл": the main menu's first heading
extern std::string LangExit;            // "Выход": FileExitClick, tray TrayExitClick, the plugin window's ButtonExit
extern std::string LangHelp;            // "Помощь": the main menu's second heading
extern std::string LangAbout;           // "О программе": AboutClick, the About box's caption
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
extern std::string LangShuffle;         // "Случайный порядок": the "Параметры" check item
extern std::string LangOpenPicture;     // "Открыть картинку": tray TrayOpenPictureClick
extern std::string LangShowInFolder;    // "Показать в папке": tray TrayShowInFolderClick
extern std::string LangDeletePicture;   // "Удалить картинку": tray TrayDeletePictureClick
// "Удалить %1 в Корзину?": asked before "Удалить картинку"; %1 the file's name
extern std::string LangDeleteQuestion;
// "Картинки %1 уже нет": "Удалить картинку" on a file that is gone; %1 the file's name
extern std::string LangPictureGone;
extern std::string LangFitFrame;        // "Рамка 1,3 : 1": "fitscreen" 0, the 1.3 : 1 frame
extern std::string LangFitWhole;        // "Целиком на экране": "fitscreen" 1
extern std::string LangFitFill;         // "Заполнить экран": "fitscreen" 2
// Texts the described windows are made with, which stay as they are made in Russian.
extern std::string LangProgramName;     // "Tavrin Wallpaper": the main window's title, the tray tip
extern std::string LangWallpapersPage;  // "Скачать обои": WallpapersPageClick
extern std::string LangChoose;          // "Выбрать": ColorButton
extern std::string LangAboutVersion;    // "Версия ": the About box, before the version
extern std::string LangAboutAuthor;     // "Автор: команда Tavrin Wallpaper"
extern std::string LangSiteAddress;     // "www.tavrinwp.ru": the About box
extern std::string LangAboutMail;       // "E-mail: support@tavrinwp.ru"
extern std::string LangAboutThanks;     // "Спасибо за помощь:"
extern std::string LangAboutThanked;    // "бета-тестерам tavrinwp.ru"
// "Язык / Language" in "Параметры" and its two choices, each in its own language.
extern std::string LangLanguage;        // "Язык / Language"
extern std::string LangRussian;         // "Русский"
extern std::string LangEnglish;         // "English"
// The program's own messages.
extern std::string LangApplyFailed;     // ✓ could not make the previewed picture the wallpaper
extern std::string LangCannotShow;      // a picture the preview cannot show: "%s" is its name
extern std::string LangAllFormats;      // "Все форматы (PNG, WebP, .jpeg)": "Параметры" -> option "allformats"

enum class CaptionLanguage { Russian, English };

// The language config.ini's key "language" asks for: "en" English, anything else Russian.
CaptionLanguage LanguageOfKey(const std::string& key);

// Fills the table in `language` (at start Russian; again for a switch).
void LoadCaptions(CaptionLanguage language = CaptionLanguage::Russian);
// The language the table was filled in last (Russian before it is filled).
CaptionLanguage LoadedCaptionLanguage();

// The text an entry of the table holds in the language last loaded (Russian
// at first): what a window shows from its making on, also before LoadCaptions.
const std::string& CaptionText(const std::string& entry);

// Every row of the table, for the checks of its columns.
struct CaptionRow {
    std::string* entry;
    const char* russian;
    const char* english;
};
const CaptionRow* CaptionRows(size_t& count);

// LangCannotShow with the picture's name and the loader's reason after it.
std::string CannotShowMessage(const std::string& name, const std::string& reason);
