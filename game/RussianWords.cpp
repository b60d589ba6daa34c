// Russian numerals and the plural forms of counted nouns.
#include "game/RussianWords.h"

#include "platform/toolkit/Text1251.h"

std::string NumberInWords(int n) {
    static const char* const kUnits[] = {"",      "один",  "два",    "три",    "четыре",
                                         "пять",  "шесть", "семь",   "восемь", "девять"};
    static const char* const kTeens[] = {"десять",       "одиннадцать", "двенадцать",  "тринадцать",
                                         "четырнадцать", "пятнадцать",  "шестнадцать", "семнадцать",
                                         "восемнадцать", "девятнадцать"};
    static const char* const kTens[] = {"",          "",           "двадцать",  "тридцать",    "сорок",
                                        "пятьдесят", "шестьдесят", "семьдесят", "восемьдесят", "девяносто"};
    if (n < 1 || n > 99) return {};
    if (n < 10) return Cp(kUnits[n]);
    if (n < 20) return Cp(kTeens[n - 10]);
    const std::string tens = Cp(kTens[n / 10]);
    return n % 10 == 0 ? tens : tens + " " + Cp(kUnits[n % 10]);
}

std::string Counted(long long n, const std::string& one, const std::string& few, const std::string& many) {
    const long long a = n < 0 ? -n : n, last = a % 10, lastTwo = a % 100;
    const std::string& form = last == 1 && lastTwo != 11                              ? one
                              : last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14) ? few
                                                                                      : many;
    return std::to_string(n) + " " + form;
}

std::string DayInWords(std::time_t day, std::time_t now) {
    static const char* const kMonths[] = {"января", "февраля", "марта",    "апреля",  "мая",    "июня",
                                          "июля",   "августа", "сентября", "октября", "ноября", "декабря"};
    std::tm d{}, n{};
    if (const std::tm* t = std::localtime(&day)) d = *t;
    if (const std::tm* t = std::localtime(&now)) n = *t;
    std::string text = std::to_string(d.tm_mday) + " " + Cp(kMonths[d.tm_mon % 12]);
    if (d.tm_year != n.tm_year) text += " " + std::to_string(d.tm_year + 1900) + Cp(" года");
    return text;
}
