// The program's texts: numbered entries in Russian, English and Turkish, and the choice of
// the current language.
#include "core/messages.h"

#include "core/version.h"

const char16_t* const ProgramVersion = u"" PELORIN_VERSION;

const char16_t* const MessageTable[kLanguageCount][kMessageCount] = {
    // Russian
    {
        u"Сообщение",  // 0
        u"Файлы кадров (*.png)|*.png",  // 1
        u"Файлы настроек программ (*.sdb)|*.sdb",  // 2
        u"пред.",  // 3
        u"след.",  // 4
        u"Изделие:",  // 5
        u"Дата контроля:",  // 6
        u"Дефектоскопист:",  // 7
        u"Координаты дефекта (глубина):",  // 8
        u"Примечание:",  // 9
        u"мм",  // 10
        u"Дополнительный комментарий",  // 11
        u"Оператор шифр:",  // 12
        u"Объект",  // 13
        u"тип     :",  // 14
        u"№       :",  // 15
        u"материал:",  // 16
        u"толщина :",  // 17
        u"Заключение оператора",  // 18
        u"Тип (код) дефекта:",  // 19
        u"Дополнительная информация:",  // 20
        u"Подпись",  // 21
        u"Pelorin, версия %s",  // 22
        u"Порт %s не открыт.",  // 23
        u"Тайм-аут во время связи по порту %s",  // 24
        u"Неизвестная ошибка во время записи в порт %s",  // 25
        u"Неизвестная ошибка (без задержки) во время записи в по порт %s",  // 26
        u"Ошибка во время чтения порта %s",  // 27
        u"Неизвестная ошибка во время чтения порта %s",  // 28
        u"Ошибка",  // 29
        u"Предупреждение",  // 30
        u"Аварийный выход из программы Pelorin",  // 31
        u"Невозможно открыть сокет %s.\n%s.\nКод ошибки %d",  // 32
        u"Невозможно настроить свойства сокета %s.\n%s.\nКод ошибки %d",  // 33
        u"Не запускается интерфейс Winsock.\n%s.\nКод ошибки %d",  // 34
        u"Чтение кадров",  // 35
        u"Кадр",  // 36
        u"Выбрать все кадры",  // 37
        u"Отмена",  // 38
        u"нет",  // 39
        u"нет связи",  // 40
        u"файла %s - нет",  // 41
        u"файл %s - нет связи",  // 42
        u"Ошибка открытия файла %s",  // 43
        u"IP адрес",  // 44
        u"Проверка диапазона IP адресов %s - %s",  // 45
        u"Текущий IP адрес - %s",  // 46
        u" - есть ответ",  // 47
        u" - нет ответа",  // 48
        u"Чтение настроек дефектоскопа",  // 49
        u"Вы уверены, что хотите записать в прибор\nнастройки по умолчанию",  // 50
        u"IP адрес дефектоскопа",  // 51
        u"Выбор языка",  // 52
        u"О программе",  // 53
        u"Программа Pelorin, версия %s",  // 54
        u"(C) 2026 Команда Pelorin",  // 55
        u"Вы выбрали монохромный принтер. При печати документа\nможет потеряться цветовая информация. Вы уверены,\nчто хотите распечатать на данном принтере?",  // 56
        u"У вас не установлен принтер.\nПечать невозможна.",  // 57
        u"Не удалось сохранить комментарий в файл %s.",  // 58
        u"Файл %s не является кадром из папки кадров %s.",  // 59
        // Settings transfers and the detector's address
        u"файл %s - не записан, прежняя копия сохранена",  // 60
        u"файл %s - длиннее %d байт, не записан",  // 61
        u"файл %s - отослан, %s байт",  // 62
        u"файл %s - нет в папке Default",  // 63
        u"файл %s - не читается, не отослан",  // 64
        u"файл %s - прибор не отвечает",  // 65
        u"файл %s - ответ прибора: %s",  // 66
        u"Заполните все четыре числа адреса.",  // 67
        u"Адрес %s не может быть адресом прибора.",  // 68
        // Reading frames
        u"слишком большой",  // 69
        u"не записан",  // 70
        u"Недостаточно памяти для чтения из прибора.",  // 71
        // The commentary
        u"Файл комментария %s не читается (возможно, его держит открытым другая программа).\n"
        u"Комментарий показан пустым; изменить его можно будет, когда файл снова станет читаться.",  // 72
        u"Не удалось сохранить комментарий в файл %s.\nВыйти из программы без сохранения комментария?",  // 73
        // Reading frames and settings
        u"уже записан",  // 74
        u"файл %s - не записан: папку %s нельзя создать",  // 75
        u"файл %s - не записан",  // 76
    },
    // English
    {
        u"Message",  // 0
        u"Frame files (*.png)|*.png",  // 1
        u"Settings files (*.sdb)|*.sdb",  // 2
        u"prev.",  // 3
        u"next",  // 4
        u"Item:",  // 5
        u"Monitoring date:",  // 6
        u"Operator:",  // 7
        u"Defect coordinates (depth):",  // 8
        u"The note:",  // 9
        u"mm",  // 10
        u"The additional commentary",  // 11
        u"Operator code:",  // 12
        u"Object",  // 13
        u"type     :",  // 14
        u"Number   :",  // 15
        u"material :",  // 16
        u"thickness:",  // 17
        u"The conclusion of an operator",  // 18
        u"Defect type (code):",  // 19
        u"Additional information:",  // 20
        u"Signature",  // 21
        u"Pelorin, version %s",  // 22
        u"Port %s is not open.",  // 23
        u"Timeout while connecting port %s",  // 24
        u"Unknown error occured while port %s is writing",  // 25
        u"Unknown error occured while port %s is writing (Without delay)",  // 26
        u"Error occure while port %s is reading",  // 27
        u"Unknown error occured while port %s is reading",  // 28
        u"Error",  // 29
        u"Warning",  // 30
        u"Pelorin programm emergency exit",  // 31
        u"Socket %s is not open.\n%s.\nError code %d",  // 32
        u"Socket %s do not tuned.\n%s.\nError code %d",  // 33
        u"Interface Winsock do not launched.\n%s.\nError code %d",  // 34
        u"Frames reading",  // 35
        u"Frame",  // 36
        u"Select all frames",  // 37
        u"Cancel",  // 38
        u"no",  // 39
        u"link not established",  // 40
        u"file %s - not found",  // 41
        u"file %s - link not established",  // 42
        u"Error occured while open file %s",  // 43
        u"IP address",  // 44
        u"Check IP address diapason %s - %s",  // 45
        u"Current IP address - %s",  // 46
        u" - answer exist",  // 47
        u" - answer do not exist",  // 48
        u"Read apparatus settings",  // 49
        u"Are you sure to rewrite default settings\nto apparatus",  // 50
        u"Set defectoscope IP address",  // 51
        u"Select language",  // 52
        u"About program",  // 53
        u"Program Pelorin, version %s",  // 54
        u"Copyright (C) 2026 The Pelorin team",  // 55
        u"You select monochrom printer. While printing\ncolor information may be lost. Are you sure,\nthat you want to print out on this device?",  // 56
        u"You do not have any printer installed.\nPrint can't be proceed.",  // 57
        u"The commentary could not be saved to the file %s.",  // 58
        u"The file %s is not one of the frames in the frames folder %s.",  // 59
        // Settings transfers and the detector's address
        u"file %s - not saved, the old copy is kept",  // 60
        u"file %s - longer than %d bytes, not saved",  // 61
        u"file %s - sent, %s bytes",  // 62
        u"file %s - not in the Default folder",  // 63
        u"file %s - cannot be read, not sent",  // 64
        u"file %s - the apparatus does not answer",  // 65
        u"file %s - the apparatus answered: %s",  // 66
        u"Fill in all four numbers of the address.",  // 67
        u"The address %s cannot be the apparatus address.",  // 68
        // Reading frames
        u"too large",  // 69
        u"not saved",  // 70
        u"Not enough memory to read from the apparatus.",  // 71
        // The commentary
        u"The commentary file %s cannot be read (another program may hold it open).\n"
        u"The commentary is shown empty; it can be edited once the file can be read again.",  // 72
        u"The commentary could not be saved to the file %s.\nQuit without saving the commentary?",  // 73
        // Reading frames and settings
        u"already stored",  // 74
        u"file %s - not saved, the folder %s cannot be made",  // 75
        u"file %s - not saved",  // 76
    },
    // Turkish
    {
        u"Bildiri",  // 0
        u"Goruntu dosyeleri (*.png)|*.png",  // 1
        u"Program dosyeleri (*.sdb)|*.sdb",  // 2
        u"Once.",  // 3
        u"Sonr.",  // 4
        u"Urun:",  // 5
        u"Kontrol tarihi:",  // 6
        u"Operator:",  // 7
        u"Hata koordinatlari (derinlik):",  // 8
        u"Not:",  // 9
        u"mm",  // 10
        u"Ilave yorum",  // 11
        u"Operator kodu:",  // 12
        u"Control edilen parca",  // 13
        u"Tip     :",  // 14
        u"№       :",  // 15
        u"Cinsi   :",  // 16
        u"Kalinlik:",  // 17
        u"Kontrol sonuclari",  // 18
        u"Hata tipi:",  // 19
        u"Ek bilgi:",  // 20
        u"Imza",  // 21
        u"Pelorin, versiyon %s",  // 22
        u"Baglanti portu %s acilmamis.",  // 23
        u"Zaman asimi %s",  // 24
        u"Bilinmeyen yazim hatasi %s",  // 25
        u"Bilinmeyen yazim hatasi gecikmesi %s",  // 26
        u"Port baglanti hatasi %s",  // 27
        u"Okuma hatasi %s",  // 28
        u"Hata",  // 29
        u"Uyari",  // 30
        u"Pelorin progrmamindan acil cikis",  // 31
        u"Soket hatasi %s.\n%s.\nHata kodu %d",  // 32
        u"Soket hatasi %s.\n%s.\nHata kodu %d",  // 33
        u"Winsock hatasi.\n%s.\nHata kodu %d",  // 34
        u"Ekran goruntusunu okuyorum",  // 35
        u"Goruntusu",  // 36
        u"Tumunu sec",  // 37
        u"Iptal",  // 38
        u"hayir",  // 39
        u"Baglanti hatasi",  // 40
        u"Dosye %s - yok",  // 41
        u"Dosye %s - baglanti yok",  // 42
        u"Error occured while open file %s",  // 43
        u"IP adresi",  // 44
        u"IP adres kontrolu %s - %s",  // 45
        u"Guncel IP adres - %s",  // 46
        u" - cevap var",  // 47
        u" - cevap yok",  // 48
        u"Program okumasi",  // 49
        u"Programi kaydetmek istediginden eminmisin?",  // 50
        u"Hata dedektorun IP adresi",  // 51
        u"Dil Secimi",  // 52
        u"About program",  // 53
        u"Program Pelorin, versiyon %s",  // 54
        u"Copyright (C) 2026 The Pelorin team",  // 55
        u"You select monochrom printer. While printing\ncolor information may be lost. Are you sure,\nthat you want to print out on this device?",  // 56
        u"You do not have any printer installed.\nPrint can't be proceed.",  // 57
        u"Yorum %s dosyasina kaydedilemedi.",  // 58
        u"%s dosyasi, %s goruntu klasorundeki goruntulerden biri degil.",  // 59
        // Settings transfers and the detector's address
        u"Dosye %s - kaydedilmedi, eski kopya korundu",  // 60
        u"Dosye %s - %d bayttan uzun, kaydedilmedi",  // 61
        u"Dosye %s - gonderildi, %s bayt",  // 62
        u"Dosye %s - Default klasorunde yok",  // 63
        u"Dosye %s - okunamadi, gonderilmedi",  // 64
        u"Dosye %s - cihaz cevap vermiyor",  // 65
        u"Dosye %s - cihazin cevabi: %s",  // 66
        u"Adresin dort sayisini da doldurun.",  // 67
        u"%s adresi cihazin adresi olamaz.",  // 68
        // Reading frames
        u"cok buyuk",  // 69
        u"kaydedilemedi",  // 70
        u"Cihazdan okumak icin bellek yetersiz.",  // 71
        // The commentary
        u"Yorum dosyasi %s okunamiyor (baska bir program acik tutuyor olabilir).\n"
        u"Yorum bos gosteriliyor; dosya yeniden okunabilir olunca degistirilebilir.",  // 72
        u"Yorum %s dosyasina kaydedilemedi.\nYorum kaydedilmeden programdan cikilsin mi?",  // 73
        // Reading frames and settings
        u"zaten kayitli",  // 74
        u"Dosye %s - kaydedilmedi, %s klasoru olusturulamadi",  // 75
        u"Dosye %s - kaydedilmedi",  // 76
    },
};

const char16_t* CurrentTexts[kMessageCount] = {};

void SelectLanguageTexts(LanguageId language) {
    // An unknown language shows the Russian texts, as the menu does.
    LanguageId table = language < kLanguageCount ? language : 0;
    for (int i = 0; i < kMessageCount; ++i) CurrentTexts[i] = MessageTable[table][i];
}
