// The dictionary of an open data file as readable text and as one JSON object (UTF-8).
#include "datafile/DictPrinter.h"
#include "datafile/LocaleText.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <functional>
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

const char* CompressionName(TSPSSCompression compression) {
    switch (compression) {
    case cmNone:
        return "none";
    case cmBytecode:
        return "bytecode";
    case cmZlib:
        return "zlib";
    }
    return "unknown";
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

// The counted value or value label text; a view into the variant, empty for others.
std::string_view CountedView(const TVariant& value, std::string& scratch) {
    if (const auto* text = std::get_if<std::string>(&value)) {
        return *text;
    }
    if (const auto* integer = std::get_if<std::int32_t>(&value)) {
        scratch = std::to_string(*integer);
        return scratch;
    }
    return {};
}

void AppendNameList(std::string& out, const TSPSSVarList& list, bool json) {
    if (json) {
        out += '[';
    }
    bool first = true;
    for (const TSPSSVariable* var : list) {
        if (json) {
            if (!first) {
                out += ", ";
            }
            AppendJsonString(out, var->Name);
        } else {
            out += ' ';
            out += var->Name;
        }
        first = false;
    }
    if (json) {
        out += ']';
    }
}

void AppendInt(std::string& out, long long value) {
    char buf[24];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, end);
}

// Both printers append to a string, not a stream (insertions per field dominated): a
// dictionary of 30,000 variables makes some 17 MB of text. With a sink the text goes out
// in pieces of about a megabyte, so that printing never holds all of it.
using Sink = std::function<void(std::string&)>;
constexpr std::size_t kPieceSize = std::size_t(1) << 20;

void Flush(std::string& out, const Sink* sink) {
    if (sink != nullptr && out.size() >= kPieceSize) {
        (*sink)(out);
        out.clear();
    }
}

void WriteText(const TSPSSDatafile& file, std::string& out, const Sink* sink) {
    const TSPSSFileInfo& info = file.FileInfo();
    std::string scratch;
    out += "File: ";
    out += file.Filename();
    out += "\nCases: ";
    AppendInt(out, file.Cases().NumberOfCases);
    out += "\nProduct: ";
    out += info.SystemString;
    out += "\nCreated: ";
    out += DateTimeText(info.TimeStamp);
    out += "\nFile label: ";
    out += info.IdString;
    out += "\nCompression: ";
    out += CompressionName(file.Compression);
    if (const std::string notice = ValueLabelNotice(file); !notice.empty()) {
        out += "\nNotice: ";
        out += notice;
    }
    out += "\nVariables: ";
    AppendInt(out, file.Variables().Count());
    out += '\n';
    for (const auto& var : file.Variables()) {
        out += "  ";
        AppendInt(out, var->DictionaryIndex + 1);
        out += ' ';
        out += var->Name;
        out += " \"";
        out += var->Label;
        out += "\"\n    print ";
        out += FormatSpecText(var->PrintType, var->PrintWidth, var->PrintDecimals);
        out += "  write ";
        out += FormatSpecText(var->WriteType, var->WriteWidth, var->WriteDecimals);
        out += "  width ";
        AppendInt(out, var->PrintWidth);
        out += "  ";
        out += var->IsNumeric ? "numeric" : "string";
        out += "  measure ";
        out += MeasureName(var->MeasureLevel);
        out += "  align ";
        out += AlignmentName(var->Alignment);
        out += "  columns ";
        AppendInt(out, var->ColumnWidth);
        out += '\n';
        if (var->MissingFormat != 0) {
            out += "    missing: ";
            out += MissingSummary(file, *var);
            out += '\n';
        }
        for (const auto& label : var->ValueLabels) {
            out += "    value ";
            out += CountedView(label->Value, scratch);
            out += " = \"";
            out += label->Label;
            out += "\"\n";
        }
        Flush(out, sink);
    }
    const TSPSSVariable* weight = file.Variables().WeightVariable;
    out += "Weight: ";
    out += weight != nullptr ? weight->Name : "none";
    out += "\nVariable sets: ";
    AppendInt(out, file.VariableSets().Count());
    out += '\n';
    for (const auto& set : file.VariableSets()) {
        out += "  ";
        out += set->Name;
        out += ':';
        AppendNameList(out, set->VarList, false);
        out += '\n';
    }
    out += "Multiple response sets: ";
    AppendInt(out, file.MRSets().Count());
    out += '\n';
    for (const auto& set : file.MRSets()) {
        out += "  $";
        out += set->Name;
        out += " (";
        if (set->IsDichotomy) {
            out += "dichotomies, counted \"";
            out += CountedView(set->CountedValue, scratch);
            out += '"';
        } else {
            out += "categories";
        }
        out += ") \"";
        out += set->Label;
        out += "\":";
        AppendNameList(out, set->VarList, false);
        out += '\n';
    }
}

void WriteJson(const TSPSSDatafile& file, std::string& out, const Sink* sink) {
    const TSPSSFileInfo& info = file.FileInfo();
    std::string scratch;
    out += "{\n  \"file\": ";
    AppendJsonString(out, file.Filename());
    out += ",\n  \"cases\": ";
    AppendInt(out, file.Cases().NumberOfCases);
    out += ",\n  \"product\": ";
    AppendJsonString(out, info.SystemString);
    out += ",\n  \"created\": ";
    AppendJsonString(out, DateTimeText(info.TimeStamp));
    out += ",\n  \"file_label\": ";
    AppendJsonString(out, info.IdString);
    out += ",\n  \"compression\": ";
    AppendJsonString(out, CompressionName(file.Compression));
    out += ",\n  \"value_label_budget\": ";
    AppendInt(out, info.ValueLabelBudget);
    out += ",\n  \"value_labels_dropped\": ";
    AppendInt(out, info.DroppedValueLabels);
    out += ",\n  \"variables\": [";
    const char* separator = "\n";
    for (const auto& var : file.Variables()) {
        out += separator;
        out += "    {\"name\": ";
        AppendJsonString(out, var->Name);
        out += ", \"label\": ";
        AppendJsonString(out, var->Label);
        out += ", \"type\": ";
        out += var->IsNumeric ? "\"numeric\"" : "\"string\"";
        out += ", \"width\": ";
        AppendInt(out, var->PrintWidth);
        out += ", \"print_format\": ";
        AppendJsonString(out, FormatSpecText(var->PrintType, var->PrintWidth, var->PrintDecimals));
        out += ", \"write_format\": ";
        AppendJsonString(out, FormatSpecText(var->WriteType, var->WriteWidth, var->WriteDecimals));
        out += ", \"measure\": ";
        AppendJsonString(out, MeasureName(var->MeasureLevel));
        out += ", \"alignment\": ";
        AppendJsonString(out, AlignmentName(var->Alignment));
        out += ", \"column_width\": ";
        AppendInt(out, var->ColumnWidth);
        out += ", \"missing\": {\"format\": ";
        AppendInt(out, var->MissingFormat);
        out += ", \"values\": [";
        const char* valueSeparator = "";
        for (const TVariant* value : {&var->Missing1, &var->Missing2, &var->Missing3}) {
            if (!std::holds_alternative<std::monostate>(*value)) {
                out += valueSeparator;
                out += JsonValue(*value);
                valueSeparator = ", ";
            }
        }
        out += "], \"text\": ";
        AppendJsonString(out, MissingSummary(file, *var));
        out += "}, \"value_labels\": [";
        valueSeparator = "";
        for (const auto& label : var->ValueLabels) {
            out += valueSeparator;
            out += '[';
            AppendJsonString(out, CountedView(label->Value, scratch));
            out += ", ";
            AppendJsonString(out, label->Label);
            out += ']';
            valueSeparator = ", ";
        }
        out += "]}";
        separator = ",\n";
        Flush(out, sink);
    }
    const TSPSSVariable* weight = file.Variables().WeightVariable;
    out += "\n  ],\n  \"weight\": ";
    if (weight != nullptr) {
        AppendJsonString(out, weight->Name);
    } else {
        out += "null";
    }
    out += ",\n  \"variable_sets\": [";
    separator = "\n";
    for (const auto& set : file.VariableSets()) {
        out += separator;
        out += "    {\"name\": ";
        AppendJsonString(out, set->Name);
        out += ", \"variables\": ";
        AppendNameList(out, set->VarList, true);
        out += '}';
        separator = ",\n";
    }
    out += "\n  ],\n  \"mr_sets\": [";
    separator = "\n";
    for (const auto& set : file.MRSets()) {
        out += separator;
        out += "    {\"name\": ";
        AppendJsonString(out, set->Name);
        out += ", \"label\": ";
        AppendJsonString(out, set->Label);
        out += ", \"dichotomy\": ";
        out += set->IsDichotomy ? "true" : "false";
        out += ", \"counted_value\": ";
        out += JsonValue(set->CountedValue);
        out += ", \"variables\": ";
        AppendNameList(out, set->VarList, true);
        out += '}';
        separator = ",\n";
    }
    out += "\n  ]\n}\n";
}

// Writes in pieces; the last piece goes out whatever its size.
template <typename Writer>
void Print(const TSPSSDatafile& file, std::ostream& stream, Writer write) {
    std::string out;
    out.reserve(kPieceSize + kPieceSize / 4);
    const Sink sink = [&](std::string& piece) {
        stream.write(piece.data(), std::streamsize(piece.size()));
    };
    write(file, out, &sink);
    sink(out);
}

} // namespace

std::string DictionaryText(const TSPSSDatafile& file) {
    std::string out;
    out.reserve(256 + std::size_t(file.Variables().Count()) * 512);
    WriteText(file, out, nullptr);
    return out;
}

std::string DictionaryJson(const TSPSSDatafile& file) {
    std::string out;
    out.reserve(256 + std::size_t(file.Variables().Count()) * 640);
    WriteJson(file, out, nullptr);
    return out;
}

void PrintDictionaryText(const TSPSSDatafile& file, std::ostream& out) {
    Print(file, out, WriteText);
}

void PrintDictionaryJson(const TSPSSDatafile& file, std::ostream& out) {
    Print(file, out, WriteJson);
}

std::string VariableSummary(const TSPSSVariable& var, std::size_t maxValueLabels) {
    std::string out;
    if (!var.Label.empty()) {
        out.append(var.Label);
        out += '\n';
    }
    out += var.IsNumeric ? "Type: numeric, " : "Type: string, ";
    out += FormatSpecText(var.PrintType, var.PrintWidth, var.PrintDecimals);
    out += "\nMeasure: ";
    out += MeasureName(var.MeasureLevel);
    std::string scratch;
    std::size_t shown = 0;
    for (const auto& label : var.ValueLabels) {
        if (shown == maxValueLabels) {
            out += "\n  ... ";
            AppendInt(out, var.ValueLabels.Count() - static_cast<int>(shown));
            out += " more";
            break;
        }
        out += shown == 0 ? "\nValue labels:\n  " : "\n  ";
        out += CountedView(label->Value, scratch);
        out += " = ";
        out.append(label->Label);
        ++shown;
    }
    return out;
}

} // namespace qs
