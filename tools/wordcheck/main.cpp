// wordcheck [DIRECTORY]: checks a content directory (the current one by default).
#include <cstdio>

#include "tools/wordcheck/WordCheck.h"

int main(int argc, char** argv) {
    const std::filesystem::path dir = argc > 1 ? argv[1] : ".";
    const WordCheckReport report = CheckContent(dir);
    std::printf("Words.str read as %s, %d lines\n", report.readAsUtf8 ? "UTF-8" : "code page 1251", report.linesRead);
    for (const std::string& p : report.problems) std::printf("%s\n", p.c_str());
    if (report.Clean()) std::printf("no problems found\n");
    else std::printf("%zu problem(s) found\n", report.problems.size());
    return report.Clean() ? 0 : 1;
}
