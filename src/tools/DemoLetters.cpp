// The letters of the demo point. Names, subjects and texts are UTF-8 here and
// are stored in CP866, as the editor writes them by default, but for one
// letter stored in UTF-8.
#include "tools/DemoPoint.h"

namespace {

std::vector<const char*> LongLetterLines()
{
    static std::vector<std::string> storage;
    if (storage.empty()) {
        storage.push_back("Привет всем!");
        storage.push_back("");
        storage.push_back("Раз в год я собираю для новых пойнтов узла памятку. Вот она, по пунктам.");
        storage.push_back("");
        const char* topics[] = {
            "Проверяйте почту хотя бы раз в день: эхи живут, пока в них пишут.",
            "Цитируйте только то, на что отвечаете, и не больше двух уровней цитат.",
            "Пишите тему письма по делу: по ней письмо найдут через год.",
            "Не пишите в эхи латиницей по-русски, если у вас есть кириллица.",
            "Подпись держите короткой, не длиннее четырёх строк.",
            "Правила эхи читайте до первого письма, а не после второго предупреждения.",
            "Длинные файлы в эхи не вставляйте: для этого есть файлэхи.",
            "Если тоссер ругается на базу, сначала сделайте копию, потом чините.",
        };
        int n = 1;
        for (int round = 0; round < 15; ++round)
            for (const char* topic : topics)
                storage.push_back(std::to_string(n++) + ". " + topic);
        storage.push_back("");
        storage.push_back("Вопросы задавайте здесь же, в эхе.");
        storage.push_back("");
        storage.push_back("Всего доброго, Сергей.");
    }
    std::vector<const char*> lines;
    for (const std::string& s : storage)
        lines.push_back(s.c_str());
    return lines;
}

}  // namespace

const std::vector<DemoAreaSpec>& DemoAreas()
{
    static const std::vector<DemoAreaSpec> areas = {
        {"NETMAIL", "%s/netmail", "F%s/netmail/", "Demo point station",
         {
             {-1, "Sergey Volkov", "Ivan Petrov", "Welcome to the node", 4000, true,
              {"Hello Ivan!", "", "Your point address 2:5020/1234.5 is ready. Poll every night, please.",
               "", "Sergey"}},
             {0, "Ivan Petrov", "Sergey Volkov", "Welcome to the node", 3900, true,
              {"Hello Sergey!", "", " SV> Your point address 2:5020/1234.5 is ready.", "", "Thank you, it works.",
               "", "Ivan"}},
             {-1, "Sergey Volkov", "Ivan Petrov", "Ваш пароль", 30, false,
              {"Привет, Иван!", "", "Пароль для сессий поменялся, новый пришлю голосом.", "", "Сергей"},
              true},
         }},
        {"RU.POINT.TALK", "!%s/jam/ru.point.talk", "J%s/jam/ru.point.talk", "Станция пойнта, Москва",
         {
             {-1, "Сергей Волков", "Всем", "Как настроить тоссер?", 2900, true,
              {"Привет, All!", "", "Поставил новый тоссер, а эхи не раскладываются по базам.",
               "Что смотреть в первую очередь?", "", "Сергей"}},
             {0, "Анна Смирнова", "Сергей Волков", "Как настроить тоссер?", 2800, true,
              {"Привет, Сергей!", "", " СВ> Поставил новый тоссер, а эхи не раскладываются по базам.", "",
               "Проверь файл областей: у каждой эхи должен быть путь к базе и её тип.",
               "И посмотри, не создаётся ли флаг тоссинга навсегда.", "", "Анна"}},
             {1, "Сергей Волков", "Анна Смирнова", "Как настроить тоссер?", 120, false,
              {"Привет, Анна!", "", " АС> Проверь файл областей: у каждой эхи должен быть путь к базе и её тип.", "",
               "Точно, в двух строках не было пути. Спасибо!", "", "Сергей"}},
             {1, "Иван Петров", "Анна Смирнова", "Как настроить тоссер?", 90, false,
              {"Привет, Анна!", "", "А какой тип базы ты посоветуешь для новой системы?", "", "Иван"}},
             {-1, "Сергей Волков", "Всем", "Памятка новому пойнту", 60, false, LongLetterLines()},
         }},
        {"SU.LINUX.FIDO", "$%s/squish/su.linux.fido", "S%s/squish/su.linux.fido", "Linux point in the wild",
         {
             {-1, "John Smith", "All", "Tossing on a small board", 5000, true,
              {"Hello All,", "", "My tosser runs on a tiny ARM board now. Any tips for", "keeping the bases healthy?",
               "", "John"}},
             {0, "Maria Kuznetsova", "John Smith", "Tossing on a small board", 4800, true,
              {"Hi John,", "", " JS> My tosser runs on a tiny ARM board now.", "",
               "Keep the spool on a disk, not on the SD card, and pack the bases weekly.", "", "Maria"}},
             {1, "John Smith", "Maria Kuznetsova", "Tossing on a small board", 240, false,
              {"Hi Maria,", "", " MK> Keep the spool on a disk, not on the SD card.", "",
               "Done. Tossing went from minutes to seconds.", "", "John"},
              true},
             {-1, "Ivan Petrov", "All", "Кодировки в эхах", 45, false,
              {"Hi All!", "", "Пишу в UTF-8: «кавычки», тире — и € доходят как есть.",
               "Если у кого-то вместо букв знаки вопроса — скажите.", "", "Ivan"},
              false, true},
         }},
        {"MSG.LOCAL", "%s/msg/local", "F%s/msg/local/", "Demo point station",
         {
             {-1, "Ivan Petrov", "All", "Notes to myself", 6000, true,
              {"Things to do:", " - set up the tosser", " - subscribe to RU.POINT.TALK", " - write to the node"}},
             {0, "Ivan Petrov", "Ivan Petrov", "Notes to myself", 200, false,
              {" IP> - set up the tosser", "", "Done!"}},
         }},
        {"HUDSON.CHAT", "1", "H001%s/hudson/", "Старая добрая база",
         {
             {-1, "Мария Кузнецова", "Всем", "Кто ещё на Hudson?", 3000, true,
              {"Привет всем!", "", "Кто ещё держит почту в базе Hudson? Расскажите, как живёте.", "", "Мария"}},
             {0, "Сергей Волков", "Мария Кузнецова", "Кто ещё на Hudson?", 2000, false,
              {"Привет, Мария!", "", " МК> Кто ещё держит почту в базе Hudson?", "",
               "Я держу. Двести досок хватает на всё.", "", "Сергей"}},
             {1, "Мария Кузнецова", "Сергей Волков", "Кто ещё на Hudson?", 15, false,
              {"Привет, Сергей!", "", " СВ> Я держу. Двести досок хватает на всё.", "", "Вот и я так думаю.", "",
               "Мария"}},
         }},
    };
    return areas;
}
