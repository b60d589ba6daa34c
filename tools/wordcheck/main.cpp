// timburik-wordcheck [FOLDER]: checks a content folder; without one, the content the game
// itself would read when started here.
#include <cstdio>
#include <cstdlib>
#include <system_error>

#include "tools/wordcheck/WordCheck.h"

int main(int argc, char** argv) {
    if (argc > 2 || (argc == 2 && argv[1][0] == '-')) {
        std::fprintf(stderr, "usage: %s [FOLDER]\n", argv[0]);
        return 2;
    }
    ContentLocation content;
    if (argc == 2) {
        content = ContentLocation::InFolder(argv[1]);
    } else {
        std::error_code ec;
        LocationRequest request;
        request.currentFolder = std::filesystem::current_path(ec);
        request.installedFolder = TIMBURIK_INSTALLED_DATA_DIR;
        request.userFolder = UserDataFolder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
        content = ResolveContentLocation(request);
    }
    const WordCheckReport report = CheckContent(content);
    const std::u8string list = content.WordList().u8string();
    std::printf("%s: %s, строк: %d\n", std::string(list.begin(), list.end()).c_str(),
                report.readAsUtf8 ? "прочитан как UTF-8" : "прочитан в кодировке 1251", report.linesRead);
    for (const std::string& p : report.problems) std::printf("%s\n", p.c_str());
    for (const std::string& n : report.notes) std::printf("заметка: %s\n", n.c_str());
    if (report.Clean()) std::printf("ошибок нет\n");
    else std::printf("ошибок: %zu\n", report.problems.size());
    return report.Clean() ? 0 : 1;
}
