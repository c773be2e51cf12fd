// The dictionary of an open data file as readable text and as one JSON object (UTF-8).
#include "datafile/DictPrinter.h"
#include "datafile/LocaleText.h"

#include <cmath>
#include <cstdio>
#include <variant>

namespace qs {

namespace {

const char* MeasureName(int code) {
    switch (code) {
    case 1:
        return "nominal";
    case 2:
        return "ordinal";
    case 3:
        return "scale";
    default:
        return "unknown";
    }
}

const char* AlignmentName(int code) {
    switch (code) {
    case 0:
        return "left";
    case 1:
        return "right";
    case 2:
        return "center";
    default:
        return "unknown";
    }
}

// Round-trip number text; JSON has no NaN or infinities.
std::string JsonNumber(double value) {
    if (!std::isfinite(value)) {
        return "null";
    }
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.17g", value);
    return buf;
}

std::string JsonValue(const TVariant& value) {
    if (const auto* text = std::get_if<std::string>(&value)) {
        return JsonString(*text);
    }
    if (const auto* number = std::get_if<double>(&value)) {
        return JsonNumber(*number);
    }
    if (const auto* integer = std::get_if<std::int32_t>(&value)) {
        return std::to_string(*integer);
    }
    return "null";
}

// One missing value as SPSS syntax shows it: LOWEST/HIGHEST for the range ends.
std::string MissingText(const TSPSSDatafile& file, const TVariant& value) {
    if (const auto* text = std::get_if<std::string>(&value)) {
        return "\"" + *text + "\"";
    }
    if (const auto* number = std::get_if<double>(&value)) {
        if (*number == file.FileInfo().LowestValue) {
            return "LOWEST";
        }
        if (*number == file.FileInfo().HighestValue) {
            return "HIGHEST";
        }
        return FloatToText(*number);
    }
    return "";
}

std::string MissingSummary(const TSPSSDatafile& file, const TSPSSVariable& var) {
    const TVariant* values[] = {&var.Missing1, &var.Missing2, &var.Missing3};
    std::string text;
    int discreteFrom = 0;
    if (var.MissingFormat == -2 || var.MissingFormat == -3) {
        text = MissingText(file, var.Missing1) + " THRU " + MissingText(file, var.Missing2);
        discreteFrom = 2;
    }
    for (int k = discreteFrom; k < 3; ++k) {
        if (!std::holds_alternative<std::monostate>(*values[k])) {
            text += (text.empty() ? "" : "; ") + MissingText(file, *values[k]);
        }
    }
    return text;
}

std::string CountedText(const TVariant& value) {
    if (const auto* text = std::get_if<std::string>(&value)) {
        return *text;
    }
    if (const auto* integer = std::get_if<std::int32_t>(&value)) {
        return std::to_string(*integer);
    }
    return "";
}

std::string NameList(const TSPSSVarList& list, bool json) {
    std::string text;
    for (const TSPSSVariable* var : list) {
        if (json) {
            text += (text.empty() ? "" : ", ") + JsonString(var->Name);
        } else {
            text += " " + var->Name;
        }
    }
    return json ? "[" + text + "]" : text;
}

} // namespace

void PrintDictionaryText(const TSPSSDatafile& file, std::ostream& out) {
    const TSPSSFileInfo& info = file.FileInfo();
    out << "File: " << file.Filename() << "\n"
        << "Cases: " << file.Cases().NumberOfCases << "\n"
        << "Product: " << info.SystemString << "\n"
        << "Created: " << DateTimeText(info.TimeStamp) << "\n"
        << "File label: " << info.IdString << "\n"
        << "Compressed: " << (file.Compressed ? "yes" : "no") << "\n"
        << "Variables: " << file.Variables().Count() << "\n";
    for (const auto& var : file.Variables()) {
        out << "  " << var->DictionaryIndex + 1 << " " << var->Name << " \"" << var->Label << "\"\n"
            << "    print " << FormatSpecText(var->PrintType, var->PrintWidth, var->PrintDecimals)
            << "  write " << FormatSpecText(var->WriteType, var->WriteWidth, var->WriteDecimals)
            << "  width " << var->PrintWidth << "  " << (var->IsNumeric ? "numeric" : "string")
            << "  measure " << MeasureName(var->MeasureLevel) << "  align "
            << AlignmentName(var->Alignment) << "  columns " << var->ColumnWidth << "\n";
        if (var->MissingFormat != 0) {
            out << "    missing: " << MissingSummary(file, *var) << "\n";
        }
        for (const auto& label : var->ValueLabels) {
            out << "    value " << CountedText(label->Value) << " = \"" << label->Label << "\"\n";
        }
    }
    const TSPSSVariable* weight = file.Variables().WeightVariable;
    out << "Weight: " << (weight != nullptr ? weight->Name : "none") << "\n";
    out << "Variable sets: " << file.VariableSets().Count() << "\n";
    for (const auto& set : file.VariableSets()) {
        out << "  " << set->Name << ":" << NameList(set->VarList, false) << "\n";
    }
    out << "Multiple response sets: " << file.MRSets().Count() << "\n";
    for (const auto& set : file.MRSets()) {
        out << "  $" << set->Name << " ("
            << (set->IsDichotomy ? "dichotomies, counted \"" + CountedText(set->CountedValue) + "\""
                                 : std::string("categories"))
            << ") \"" << set->Label << "\":" << NameList(set->VarList, false) << "\n";
    }
}

void PrintDictionaryJson(const TSPSSDatafile& file, std::ostream& out) {
    const TSPSSFileInfo& info = file.FileInfo();
    out << "{\n  \"file\": " << JsonString(file.Filename())
        << ",\n  \"cases\": " << file.Cases().NumberOfCases
        << ",\n  \"product\": " << JsonString(info.SystemString)
        << ",\n  \"created\": " << JsonString(DateTimeText(info.TimeStamp))
        << ",\n  \"file_label\": " << JsonString(info.IdString)
        << ",\n  \"compressed\": " << (file.Compressed ? "true" : "false")
        << ",\n  \"variables\": [";
    const char* separator = "\n";
    for (const auto& var : file.Variables()) {
        out << separator << "    {\"name\": " << JsonString(var->Name)
            << ", \"label\": " << JsonString(var->Label)
            << ", \"type\": " << (var->IsNumeric ? "\"numeric\"" : "\"string\"")
            << ", \"width\": " << var->PrintWidth << ", \"print_format\": "
            << JsonString(FormatSpecText(var->PrintType, var->PrintWidth, var->PrintDecimals))
            << ", \"write_format\": "
            << JsonString(FormatSpecText(var->WriteType, var->WriteWidth, var->WriteDecimals))
            << ", \"measure\": " << JsonString(MeasureName(var->MeasureLevel))
            << ", \"alignment\": " << JsonString(AlignmentName(var->Alignment))
            << ", \"column_width\": " << var->ColumnWidth
            << ", \"missing\": {\"format\": " << var->MissingFormat << ", \"values\": [";
        const char* valueSeparator = "";
        for (const TVariant* value : {&var->Missing1, &var->Missing2, &var->Missing3}) {
            if (!std::holds_alternative<std::monostate>(*value)) {
                out << valueSeparator << JsonValue(*value);
                valueSeparator = ", ";
            }
        }
        out << "], \"text\": " << JsonString(MissingSummary(file, *var))
            << "}, \"value_labels\": [";
        valueSeparator = "";
        for (const auto& label : var->ValueLabels) {
            out << valueSeparator << "[" << JsonString(CountedText(label->Value)) << ", "
                << JsonString(label->Label) << "]";
            valueSeparator = ", ";
        }
        out << "]}";
        separator = ",\n";
    }
    const TSPSSVariable* weight = file.Variables().WeightVariable;
    out << "\n  ],\n  \"weight\": " << (weight != nullptr ? JsonString(weight->Name) : "null")
        << ",\n  \"variable_sets\": [";
    separator = "\n";
    for (const auto& set : file.VariableSets()) {
        out << separator << "    {\"name\": " << JsonString(set->Name)
            << ", \"variables\": " << NameList(set->VarList, true) << "}";
        separator = ",\n";
    }
    out << "\n  ],\n  \"mr_sets\": [";
    separator = "\n";
    for (const auto& set : file.MRSets()) {
        out << separator << "    {\"name\": " << JsonString(set->Name)
            << ", \"label\": " << JsonString(set->Label)
            << ", \"dichotomy\": " << (set->IsDichotomy ? "true" : "false")
            << ", \"counted_value\": " << JsonValue(set->CountedValue)
            << ", \"variables\": " << NameList(set->VarList, true) << "}";
        separator = ",\n";
    }
    out << "\n  ]\n}\n";
}

} // namespace qs
