#include "ui/LangUnit.h"

#include <iterator>

std::string LangAdvert, LangFolderChoice, LangFile, LangExit, LangHelp, LangAbout, LangDeveloperSite, LangApply,
    LangChangeAtStart, LangStartWithWindows, LangByTimer, LangWallpaperFolder, LangNoPictures, LangSettings, LangNext,
    LangPrevious, LangMinute, LangHour, LangDay, LangPlugins, LangOn, LangOff, LangBackgroundColor,
    LangOptions, LangAllFormats;

const std::string TextWallpapersPage = "Скачать обои";
const std::string TextChoose = "Выбрать";

namespace {

struct Caption {
    std::string* entry;
    std::string text;
};

// Every text, spelled once, in the order LoadCaptions sets them.
const Caption* Table(size_t& count) {
    static const Caption table[] = {
        {&LangAdvert, "Реклама"},
        {&LangFolderChoice, "Выбор папки"},
        {&LangFile, "Файл"},
        {&LangExit, "Выход"},
        {&LangHelp, "Помощь"},
        {&LangAbout, "О программе"},
        {&LangDeveloperSite, "Сайт разработчика"},
        {&LangApply, "Применить"},
        {&LangChangeAtStart, "Менять обои после запуска"},
        {&LangStartWithWindows, "Запускать после загрузки"},
        {&LangByTimer, "по таймеру"},
        {&LangWallpaperFolder, "Папка с обоями рабочего стола"},
        {&LangNoPictures, "Картинок нет"},
        {&LangSettings, "Настройки"},
        {&LangNext, "Следующая"},
        {&LangPrevious, "Предыдущая"},
        {&LangMinute, "Минута"},
        {&LangHour, "Час"},
        {&LangDay, "день"},
        {&LangPlugins, "Плагины"},
        {&LangOn, "Вкл"},
        {&LangOff, "Выкл"},
        {&LangBackgroundColor, "Цвет фона"},
        {&LangOptions, "Параметры"},
        {&LangAllFormats, "Все форматы (PNG, WebP, .jpeg)"},  // English: "All formats (PNG, WebP, .jpeg)"
    };
    count = std::size(table);
    return table;
}

}  // namespace

void LoadCaptions() {
    size_t count = 0;
    const Caption* table = Table(count);
    for (size_t i = 0; i < count; ++i) *table[i].entry = table[i].text;
}

const std::string& CaptionText(const std::string& entry) {
    size_t count = 0;
    const Caption* table = Table(count);
    for (size_t i = 0; i < count; ++i)
        if (table[i].entry == &entry) return table[i].text;
    return entry;
}
