#include "ui/LangUnit.h"

std::string LangAdvert, LangFolderChoice, LangFile, LangExit, LangHelp, LangAbout, LangDeveloperSite, LangApply,
    LangChangeAtStart, LangStartWithWindows, LangByTimer, LangWallpaperFolder, LangNoPictures, LangSettings, LangNext,
    LangPrevious, LangMinute, LangHour, LangDay, LangPlugins, LangOn, LangOff, LangBackgroundColor;

void LoadCaptions() {
    LangAdvert = "Реклама";
    LangFolderChoice = "Выбор папки";
    LangFile = "Файл";
    LangExit = "Выход";
    LangHelp = "Помощь";
    LangAbout = "О программе";
    LangDeveloperSite = "Сайт разработчика";
    LangApply = "Применить";
    LangChangeAtStart = "Менять обои после запуска";
    LangStartWithWindows = "Запускать после загрузки";
    LangByTimer = "по таймеру";
    LangWallpaperFolder = "Папка с обоями рабочего стола";
    LangNoPictures = "Картинок нет";
    LangSettings = "Настройки";
    LangNext = "Следующая";
    LangPrevious = "Предыдущая";
    LangMinute = "Минута";
    LangHour = "Час";
    LangDay = "день";
    LangPlugins = "Плагины";
    LangOn = "Вкл";
    LangOff = "Выкл";
    LangBackgroundColor = "Цвет фона";
}

std::vector<const std::string*> CaptionTable() {
    return {&LangAdvert,     &LangFolderChoice,     &LangFile,       &LangExit,        &LangHelp,
            &LangAbout,      &LangDeveloperSite,    &LangApply,      &LangChangeAtStart, &LangStartWithWindows,
            &LangByTimer,    &LangWallpaperFolder,  &LangNoPictures, &LangSettings,    &LangNext,
            &LangPrevious,   &LangMinute,           &LangHour,       &LangDay,         &LangPlugins,
            &LangOn,         &LangOff,              &LangBackgroundColor};
}
