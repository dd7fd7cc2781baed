// The inspection journal's texts. The Turkish ones are written without Turkish letters, as
// every Turkish text of the program.
#include "frames/journal_texts.h"

namespace {

const char16_t* const kTexts[3][kJournalTextCount] = {
    // Russian
    {
        u"Журнал",
        u"Поиск:",
        u"%d из %d кадров",
        u"Открыть",
        u"Экспорт...",
        u"Печать...",
        u"Закрыть",
        u"Кадр",
        u"Считан",
        u"Комментарий",
        u"Файл",
        u"нет",
        u"не читается",
        u"CSV (*.csv)|*.csv",
        u"Журнал не сохранён в файл %s:\n%s.",
        u"в его папке нельзя создать файл",
        u"на диске не хватило места",
        u"прежний файл открыт другой программой или защищён от записи",
        u"Журнал контроля",
        u"Напечатан %s, кадров: %d",
        u"стр. %d из %d",
        u"Журнал напечатан не полностью: принтер остановил печать на странице %d из %d.",
    },
    // English
    {
        u"Journal",
        u"Find:",
        u"%d of %d frames",
        u"Open",
        u"Export...",
        u"Print...",
        u"Close",
        u"Frame",
        u"Read at",
        u"Commentary",
        u"File",
        u"none",
        u"cannot be read",
        u"CSV (*.csv)|*.csv",
        u"The journal was not saved to %s:\n%s.",
        u"no file can be made in its folder",
        u"the disk is full",
        u"the old file is held open by another program or may not be written",
        u"Inspection journal",
        u"Printed %s, frames: %d",
        u"page %d of %d",
        u"The journal was not printed completely: the printer stopped at page %d of %d.",
    },
    // Turkish
    {
        u"Gunluk",
        u"Ara:",
        u"%d / %d kare",
        u"Ac",
        u"Disa aktar...",
        u"Yazdir...",
        u"Kapat",
        u"Kare",
        u"Okundu",
        u"Yorum",
        u"Dosya",
        u"yok",
        u"okunamiyor",
        u"CSV (*.csv)|*.csv",
        u"Gunluk %s dosyasina kaydedilemedi:\n%s.",
        u"klasorunde dosya olusturulamiyor",
        u"diskte yer kalmadi",
        u"eski dosya baska bir program tarafindan acik tutuluyor veya yazilamiyor",
        u"Muayene gunlugu",
        u"Yazdirildi %s, kare: %d",
        u"sayfa %d / %d",
        u"Gunluk tam yazdirilamadi: yazici %d / %d sayfada durdu.",
    },
};

}  // namespace

const char16_t* JournalText(LanguageId language, JournalTextId id) {
    const int which = language < 3 ? language : 0;
    return id >= 0 && id < kJournalTextCount ? kTexts[which][id] : u"";
}
