// Numbers as a Russian reader says them: written out in words (the corner's gate asks for
// "сорок шесть"), and counted nouns in the form the number takes ("1 раз", "2 раза", "5 раз").
#pragma once
#include <ctime>
#include <string>

// The number in words, 1 to 99 ("семьдесят три"), code page 1251; empty outside that range.
std::string NumberInWords(int n);

// `n` and the noun in the form Russian gives it after that number: `one` after 1, 21, 101...
// (not 11), `few` after 2-4, 22-24... (not 12-14), `many` otherwise, zero included. All three
// forms in code page 1251, as is the result: Counted(5, "раз", "раза", "раз") is "5 раз".
std::string Counted(long long n, const std::string& one, const std::string& few, const std::string& many);

// A day as a letter says it: "9 декабря", with the year when it is not the year of `now`.
std::string DayInWords(std::time_t day, std::time_t now);
