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
    const std::optional<std::filesystem::path> folder =
        argc == 2 ? std::optional<std::filesystem::path>(argv[1]) : std::nullopt;
    const ContentLocation content = ResolveContentLocation(SystemLocationRequest(folder, false));
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
