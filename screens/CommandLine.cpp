// Reading the command line. Unknown words are refused rather than ignored: a parent who mistyped
// an option should hear so, not get a game started somewhere unexpected.
#include "screens/CommandLine.h"

#include <string_view>

CommandLine ParseCommandLine(int argc, const char* const* argv) {
    CommandLine c;
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (a == "--help" || a == "-h") {
            c.help = true;
        } else if (a == "--version") {
            c.version = true;
        } else if (a == "--windowed") {
            c.windowed = true;
        } else if (a == "--no-voice") {
            c.voices = false;
        } else if (a == "--installed") {
            c.installed = true;
        } else if (a == "--data" || a.starts_with("--data=")) {
            std::string_view value;
            if (a == "--data") {
                if (i + 1 >= argc) {
                    c.error = "option --data needs a folder";
                    return c;
                }
                value = argv[++i];
            } else {
                value = a.substr(7);
            }
            if (value.empty()) {
                c.error = "option --data needs a folder";
                return c;
            }
            c.dataFolder = std::filesystem::path(value);
        } else {
            c.error = "unknown option " + std::string(a) + " (see --help)";
            return c;
        }
    }
    return c;
}

std::string HelpText() {
    return "Тимбурик: игра для детей, которые учат буквы.\n"
           "Timburik: a reading game for children learning the Russian alphabet.\n"
           "\n"
           "timburik [--data ПАПКА | --installed] [--windowed] [--no-voice]\n"
           "  --data ПАПКА   слова, картинки и звуки из этой папки; прогресс тоже там\n"
           "                 words, pictures and sounds from this folder; progress kept there too\n"
           "  --installed    установленные слова, в какой бы папке ни запустили (так из меню)\n"
           "                 the installed words, whatever the folder (as from the menu)\n"
           "  --windowed     в окне, а не на весь экран / in a window, not full screen\n"
           "  --no-voice     не называть буквы и слова вслух / letters and words not said aloud\n"
           "  --version      версия / the version\n"
           "  --help         эта справка / this help\n"
           "\n"
           "Без --data: текущая папка, если в ней есть Words.str, pz91.bmp и Morvadel/Буквы/one1;\n"
           "иначе установленные слова, поверх них файлы из ~/.local/share/timburik, и прогресс там же.\n"
           "Without --data: the current folder if it holds Words.str, pz91.bmp and Morvadel/Буквы/one1;\n"
           "otherwise the installed words with the files of ~/.local/share/timburik over them, and\n"
           "progress there.\n";
}
