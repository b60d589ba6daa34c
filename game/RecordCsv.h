// The learning record as a spreadsheet file a parent opens with a double-click. Russian
// spreadsheets (Excel and LibreOffice set to Russian) take the comma for decimals and the
// semicolon between fields, so the fields are separated by semicolons; quoted where they hold
// one, a quote or a line end; UTF-8 with its mark, so that the letters read right; CR LF.
#pragma once
#include <filesystem>
#include <string>
#include <string_view>

constexpr char kCsvSeparator = ';';

// The record's text, tab-separated, as CSV.
std::string RecordTextAsCsv(std::string_view record);
// The record's file, of any size, read a piece at a time. Returns 0 or the errno value of
// the failure; a record that is not there yet gives the header alone.
int RecordFileAsCsv(const std::filesystem::path& record, std::string& csv);
