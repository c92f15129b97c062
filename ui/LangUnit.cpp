#include "ui/LangUnit.h"

#include <iterator>

std::string LangAdvert, LangFolderChoice, LangFile, LangExit, LangHelp, LangAbout, LangDeveloperSite, LangApply,
    LangChangeAtStart, LangStartWithWindows, LangByTimer, LangWallpaperFolder, LangNoPictures, LangSettings, LangNext,
    LangPrevious, LangMinute, LangHour, LangDay, LangPlugins, LangOn, LangOff, LangBackgroundColor, LangOptions,
    LangProgramName, LangWallpapersPage, LangChoose, LangAboutVersion, LangAboutAuthor, LangSiteAddress,
    LangAboutMail, LangAboutThanks, LangAboutThanked, LangLanguage, LangRussian, LangEnglish, LangApplyFailed,
    LangCannotShow, LangShuffle, LangOpenPicture, LangShowInFolder, LangDeletePicture, LangDeleteQuestion,
    LangPictureGone, LangFitFrame, LangFitWhole, LangFitFill, LangAllFormats;

namespace {

CaptionLanguage loaded = CaptionLanguage::Russian;

// Every text, spelled once, one row per entry with both languages, in the
// order LoadCaptions sets them.
const CaptionRow kRows[] = {
    {&LangAdvert, "Реклама", "Advertisement"},
    {&LangFolderChoice, "Выбор папки", "Choose a folder"},
    {&LangFile, "Файл", "File"},
    {&LangExit, "Выход", "Exit"},
    {&LangHelp, "Помощь", "Help"},
    {&LangAbout, "О программе", "About"},
    {&LangDeveloperSite, "Сайт разработчика", "Developer's website"},
    {&LangApply, "Применить", "Apply"},
    {&LangChangeAtStart, "Менять обои после запуска", "Change wallpaper at start"},
    {&LangStartWithWindows, "Запускать после загрузки", "Start with Windows"},
    {&LangByTimer, "по таймеру", "on a timer"},
    {&LangWallpaperFolder, "Папка с обоями рабочего стола", "Desktop wallpaper folder"},
    {&LangNoPictures, "Картинок нет", "No pictures"},
    {&LangSettings, "Настройки", "Settings"},
    {&LangNext, "Следующая", "Next"},
    {&LangPrevious, "Предыдущая", "Previous"},
    {&LangMinute, "Минута", "Minutes"},
    {&LangHour, "Час", "Hours"},
    {&LangDay, "день", "Days"},
    {&LangPlugins, "Плагины", "Plugins"},
    {&LangOn, "Вкл", "On"},
    {&LangOff, "Выкл", "Off"},
    {&LangBackgroundColor, "Цвет фона", "Background"},
    {&LangOptions, "Параметры", "Options"},
    {&LangProgramName, "Tavrin Wallpaper", "Tavrin Wallpaper"},
    {&LangWallpapersPage, "Скачать обои", "Download wallpapers"},
    {&LangChoose, "Выбрать", "Choose"},
    {&LangAboutVersion, "Версия ", "Version "},
    {&LangAboutAuthor, "Автор: команда Tavrin Wallpaper", "By the Tavrin Wallpaper team"},
    {&LangSiteAddress, "www.tavrinwp.ru", "www.tavrinwp.ru"},
    {&LangAboutMail, "E-mail: support@tavrinwp.ru", "E-mail: support@tavrinwp.ru"},
    {&LangAboutThanks, "Спасибо за помощь:", "With thanks to:"},
    {&LangAboutThanked, "бета-тестерам tavrinwp.ru", "tavrinwp.ru's beta testers"},
    {&LangLanguage, "Язык / Language", "Язык / Language"},
    {&LangRussian, "Русский", "Русский"},
    {&LangEnglish, "English", "English"},
    {&LangApplyFailed, "Не удалось сделать эту картинку обоями рабочего стола.",
     "This picture could not be made the desktop wallpaper."},
    {&LangCannotShow, "Не удаётся показать картинку %s:", "Cannot show the picture %s:"},
    {&LangFitFrame, "Рамка 1,3 : 1", "Frame 1.3 : 1"},
    {&LangFitWhole, "Целиком на экране", "Whole picture on screen"},
    {&LangFitFill, "Заполнить экран", "Fill the screen"},
    {&LangShuffle, "Случайный порядок", "Random order"},
    {&LangOpenPicture, "Открыть картинку", "Open picture"},
    {&LangShowInFolder, "Показать в папке", "Show in folder"},
    {&LangDeletePicture, "Удалить картинку", "Delete picture"},
    {&LangDeleteQuestion, "Удалить %1 в Корзину?", "Move %1 to the Recycle Bin?"},
    {&LangPictureGone, "Картинки %1 уже нет", "%1 is already gone"},
    {&LangAllFormats, "Все форматы (PNG, WebP, .jpeg)", "All formats (PNG, WebP, .jpeg)"},
};

const char* TextOf(const CaptionRow& row, CaptionLanguage language) {
    return language == CaptionLanguage::English ? row.english : row.russian;
}

}  // namespace

CaptionLanguage LanguageOfKey(const std::string& key) {
    return key == "en" ? CaptionLanguage::English : CaptionLanguage::Russian;
}

void LoadCaptions(CaptionLanguage language) {
    loaded = language;
    for (const CaptionRow& row : kRows) *row.entry = TextOf(row, language);
}

CaptionLanguage LoadedCaptionLanguage() { return loaded; }

const std::string& CaptionText(const std::string& entry) {
    // The texts as rows give them, made once for each language.
    static std::string texts[2][std::size(kRows)];
    for (size_t i = 0; i < std::size(kRows); ++i)
        if (kRows[i].entry == &entry) {
            std::string& text = texts[loaded == CaptionLanguage::English][i];
            if (text.empty()) text = TextOf(kRows[i], loaded);
            return text;
        }
    return entry;
}

const CaptionRow* CaptionRows(size_t& count) {
    count = std::size(kRows);
    return kRows;
}

std::string CannotShowMessage(const std::string& name, const std::string& reason) {
    const std::string& format = CaptionText(LangCannotShow);
    std::string text = format;
    const size_t mark = text.find("%s");
    if (mark != std::string::npos) text.replace(mark, 2, name);
    return reason.empty() ? text : text + "\r\n" + reason;
}
