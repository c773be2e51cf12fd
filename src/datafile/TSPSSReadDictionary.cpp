// Reading the dictionary of an open file into the model: variables with their formats,
// labels, missing values and value labels, the weight variable and the two kinds of sets.
#include "datafile/LocaleText.h"
#include "datafile/TSPSSVL.h"
#include "platform/spssio/spssio.h"

#include <algorithm>
#include <vector>

namespace qs {

namespace {

// Releases what a get function returned: explicitly on success, so that the free
// function's result can be checked, or when the scope ends after a failure.
template <class Fn> class ScopeRelease {
public:
    explicit ScopeRelease(Fn release) : m_release(release) {}
    ~ScopeRelease() {
        if (m_armed) {
            m_release();
        }
    }
    ScopeRelease(const ScopeRelease&) = delete;
    ScopeRelease& operator=(const ScopeRelease&) = delete;

    int Release() {
        m_armed = false;
        return m_release();
    }

private:
    Fn m_release;
    bool m_armed = true;
};

constexpr std::size_t kLabelBufferSize =
    SPSS_LABEL_BUFFER_SIZE > 256 ? SPSS_LABEL_BUFFER_SIZE : 256;
constexpr std::size_t kMissingBufferSize =
    SPSS_CMISSING_BUFFER_SIZE > 10 ? SPSS_CMISSING_BUFFER_SIZE : 10;
constexpr std::size_t kNameBufferSize = SPSS_NAME_BUFFER_SIZE > 9 ? SPSS_NAME_BUFFER_SIZE : 9;

} // namespace

void TSPSSDatafile::ReadDictionary() {
    int compression = 0;
    CheckSPSSError(spssGetCompression(ReadHandle, &compression));
    Compression = compression == SPSS_COMPRESSION_ZSAV  ? cmZlib
                  : compression == SPSS_COMPRESSION_SAV ? cmBytecode
                                                        : cmNone;
    Compressed = Compression != cmNone;
    int count = 0;
    CheckSPSSError(spssGetNumberofVariables(ReadHandle, &count));

    int namesCount = 0;
    char** names = nullptr;
    int* types = nullptr;
    CheckSPSSError(spssGetVarNames(ReadHandle, &namesCount, &names, &types));
    ScopeRelease releaseNames([&] {
        return names != nullptr || types != nullptr ? spssFreeVarNames(names, types, namesCount)
                                                    : SPSS_OK;
    });

    long cases = 0;
    const int casesResult = spssGetNumberofCases(ReadHandle, &cases);
    m_cases->NumberOfCases = std::max<long>(cases, -1);
    CheckSPSSError(casesResult);

    // The loop follows the variable count; the name array must hold as many names.
    const int n = names != nullptr ? std::min(count, namesCount) : 0;
    m_variables->Reserve(m_variables->Count() + n);
    for (int i = 0; i < n; ++i) {
        TSPSSVariable& var = *m_variables->Add();
        var.Name = names[i] != nullptr ? names[i] : "";
        var.DictionaryIndex = i;
        ReadVariable(var);
        if (var.Index() == 0) {
            var.CaseOffset = 0;
        } else {
            const TSPSSVariable& previous = (*m_variables)[var.Index() - 1];
            var.CaseOffset = previous.CaseOffset + previous.CaseWidth;
        }
    }

    CheckSPSSError(releaseNames.Release());

    std::vector<char> weight(kNameBufferSize);
    CheckSPSSError(spssGetCaseWeightVar(ReadHandle, weight.data()));
    const std::string weightName(weight.data());
    if (!weightName.empty()) {
        if (TSPSSVariable* var = m_variables->FindByName(weightName)) {
            m_variables->WeightVariable = var;
        }
    }

    m_variables->RebuildIndexes();
    ReadVariableSets();
    ReadMRSets();
}

void TSPSSDatafile::ReadVariable(TSPSSVariable& var) {
    const char* name = var.Name.c_str();
    CheckSPSSError(spssGetVarHandle(ReadHandle, name, &var.VarHandle));
    int type = 0;
    int decimals = 0;
    int width = 0;
    CheckSPSSError(spssGetVarPrintFormat(ReadHandle, name, &type, &decimals, &width));
    var.PrintType = type;
    var.PrintDecimals = decimals;
    var.PrintWidth = width;
    CheckSPSSError(spssGetVarWriteFormat(ReadHandle, name, &type, &decimals, &width));
    var.WriteType = type;
    var.WriteDecimals = decimals;
    var.WriteWidth = width;
    // The print format decides; the type array of the name list is not consulted.
    var.IsNumeric = var.PrintType != 1 && var.PrintType != 2;

    int value = 0;
    CheckSPSSError(spssGetVarColumnWidth(ReadHandle, name, &value));
    var.ColumnWidth = value;
    CheckSPSSError(spssGetVarAlignment(ReadHandle, name, &value));
    var.Alignment = static_cast<std::uint8_t>(value & 0xFF);
    // On the stack: one heap block per variable showed in profiles of large files.
    char label[kLabelBufferSize];
    label[0] = '\0';
    CheckSPSSError(spssGetVarLabel(ReadHandle, name, label));
    var.Label = label;
    CheckSPSSError(spssGetVarMeasureLevel(ReadHandle, name, &value));
    var.MeasureLevel = static_cast<std::uint8_t>(value & 0xFF);

    ReadMissingValues(var);
    ReadValueLabels(var);
    var.CaseWidth = var.IsNumeric ? 8 : ((var.PrintWidth - 1) / 8 + 1) * 8;
}

void TSPSSDatafile::ReadMissingValues(TSPSSVariable& var) {
    TVariant values[3];
    int format = 0;
    if (var.IsNumeric) {
        double numbers[3] = {};
        CheckSPSSError(spssGetVarNMissingValues(ReadHandle, var.Name.c_str(), &format, &numbers[0],
                                                &numbers[1], &numbers[2]));
        for (int k = 0; k < 3; ++k) {
            values[k] = numbers[k];
        }
    } else if (var.PrintWidth <= 8) {
        char texts[3][kMissingBufferSize] = {};
        // Its result is ignored: a string without missing values is no error.
        spssGetVarCMissingValues(ReadHandle, var.Name.c_str(), &format, texts[0], texts[1],
                                 texts[2]);
        for (int k = 0; k < 3; ++k) {
            values[k] = std::string(texts[k]);
        }
    }
    var.MissingFormat = format;
    var.Missing1 = var.Missing2 = var.Missing3 = TVariant();
    switch (format) {
    case 3:
    case -3:
        var.Missing3 = values[2];
        [[fallthrough]];
    case 2:
    case -2:
        var.Missing2 = values[1];
        [[fallthrough]];
    case 1:
        var.Missing1 = values[0];
        break;
    default:
        break;
    }
}

void TSPSSDatafile::ReadValueLabels(TSPSSVariable& var) {
    int count = 0;
    char** labels = nullptr;
    if (var.IsNumeric) {
        double* values = nullptr;
        const int result =
            spssGetVarNValueLabels(ReadHandle, var.Name.c_str(), &values, &labels, &count);
        ScopeRelease release([&] {
            return values != nullptr || labels != nullptr
                       ? spssFreeVarNValueLabels(values, labels, count)
                       : SPSS_OK;
        });
        CheckSPSSError(result);
        if (values != nullptr && labels != nullptr) {
            var.ValueLabels.Reserve(var.ValueLabels.Count() + count);
        }
        for (int k = 0; values != nullptr && labels != nullptr && k < count; ++k) {
            TSPSSValueLabel& item = *var.ValueLabels.Add();
            item.Value = FloatToText(values[k]);
            item.Label = labels[k] != nullptr ? labels[k] : "";
        }
        CheckSPSSError(release.Release());
    } else if (var.PrintWidth <= 8) {
        char** values = nullptr;
        const int result =
            spssGetVarCValueLabels(ReadHandle, var.Name.c_str(), &values, &labels, &count);
        ScopeRelease release([&] {
            return values != nullptr || labels != nullptr
                       ? spssFreeVarCValueLabels(values, labels, count)
                       : SPSS_OK;
        });
        CheckSPSSError(result);
        if (values != nullptr && labels != nullptr) {
            var.ValueLabels.Reserve(var.ValueLabels.Count() + count);
        }
        for (int k = 0; values != nullptr && labels != nullptr && k < count; ++k) {
            TSPSSValueLabel& item = *var.ValueLabels.Add();
            item.Value = std::string(values[k] != nullptr ? values[k] : "");
            item.Label = labels[k] != nullptr ? labels[k] : "";
        }
        CheckSPSSError(release.Release());
    }
}

void TSPSSDatafile::ReadVariableSets() {
    char* text = nullptr;
    CheckSPSSError(spssGetVariableSets(ReadHandle, &text));
    if (text == nullptr) {
        return;
    }
    std::string copy(text);
    CheckSPSSError(spssFreeVariableSets(text));
    ParseVariableSets(std::move(copy));
}

void TSPSSDatafile::ReadMRSets() {
    char* text = nullptr;
    CheckSPSSError(spssGetMultRespDefs(ReadHandle, &text));
    std::string copy(text != nullptr ? text : "");
    if (text != nullptr) {
        CheckSPSSError(spssFreeMultRespDefs(text));
    }
    ParseMRSets(std::move(copy));
}

} // namespace qs
