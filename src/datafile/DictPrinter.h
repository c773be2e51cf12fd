// Prints the dictionary of an open TSPSSDatafile, as readable text or as one JSON object.
#pragma once

#include "datafile/TSPSSVL.h"

#include <ostream>
#include <string>
#include <string_view>

namespace qs {

void PrintDictionaryText(const TSPSSDatafile& file, std::ostream& out);
void PrintDictionaryJson(const TSPSSDatafile& file, std::ostream& out);
// The same texts as one string.
std::string DictionaryText(const TSPSSDatafile& file);
std::string DictionaryJson(const TSPSSDatafile& file);

// A variable in a few lines for a tooltip: its label, its type with format, its
// measurement level, and at most `maxValueLabels` value labels with a count of the rest.
std::string VariableSummary(const TSPSSVariable& var, std::size_t maxValueLabels);

// "F8.2", "A100", "ADATE10": the format's name, width and, where it has them, decimals.
std::string FormatSpecText(int type, int width, int decimals);
// A JSON string literal; bytes that are not valid UTF-8 become U+FFFD.
std::string JsonString(std::string_view text);
// Appends that literal to out.
void AppendJsonString(std::string& out, std::string_view text);
// A date-time number (days since 30 December 1899) as "yyyy-mm-dd hh:mm:ss".
std::string DateTimeText(double timeStamp);

} // namespace qs
