// The C interface of spssio.h for variables and set definitions.
#include "platform/spssio/spssio.h"

#include "platform/spssio/spssioHandles.h"

#include <cstdlib>

using qs::spssio::SavDictionary;
using qs::spssio::SavVariable;
using qs::spssio::copyText;
using qs::spssio::newText;
using qs::spssio::newTextArray;
using qs::spssio::withFile;
using qs::spssio::withVar;

namespace {

int format(int handle, const char* name, bool print, int* type, int* dec, int* width)
{
    if (!type || !dec || !width)
        return SPSS_INVALID_HANDLE;
    return withVar(handle, name, [&](const SavVariable& v) {
        const int f = print ? v.printFormat : v.writeFormat;
        *type = (f >> 16) & 0xFF;
        *width = (f >> 8) & 0xFF;
        *dec = f & 0xFF;
        if (v.width > 0)
            *width = *type == SPSS_FMT_AHEX ? 2 * v.width : v.width; // beyond the 8-bit field
        return SPSS_OK;
    });
}

// A malloc'ed copy of one of the set definition texts, or none with the given code.
int definitions(int handle, char** out, std::string SavDictionary::*text, int noneCode)
{
    return withFile(handle, [&](const SavDictionary& d) {
        if (!out)
            return SPSS_INVALID_HANDLE;
        *out = nullptr;
        if ((d.*text).empty())
            return noneCode;
        *out = newText(d.*text);
        return *out ? SPSS_OK : SPSS_NO_MEMORY;
    });
}

} // namespace

extern "C" {

int spssGetVarNames(int handle, int* numVars, char*** varNames, int** varTypes)
{
    return withFile(handle, [&](const SavDictionary& d) {
        if (!numVars || !varNames || !varTypes)
            return SPSS_INVALID_HANDLE;
        const std::size_t n = d.variables.size();
        char** names = newTextArray(n, [&](std::size_t i) -> const std::string& {
            return d.variables[i].name;
        });
        auto* types = static_cast<int*>(std::calloc(n ? n : 1, sizeof(int)));
        if (!names || !types) {
            std::free(names);
            std::free(types);
            return SPSS_NO_MEMORY;
        }
        for (std::size_t i = 0; i < n; ++i)
            types[i] = d.variables[i].width;
        *numVars = static_cast<int>(n);
        *varNames = names;
        *varTypes = types;
        return SPSS_OK;
    });
}

int spssFreeVarNames(char** varNames, int* varTypes, int numVars)
{
    if (numVars < 0)
        return SPSS_CANNOT_FREE;
    std::free(varNames); // one block with its texts
    std::free(varTypes);
    return SPSS_OK;
}

int spssGetVarHandle(int handle, const char* varName, double* varHandle)
{
    return withFile(handle, [&](const SavDictionary& d) {
        if (!varName)
            return SPSS_INVALID_VARNAME;
        if (!varHandle)
            return SPSS_INVALID_HANDLE;
        const int i = d.find(varName);
        if (i < 0)
            return SPSS_VAR_NOTFOUND;
        // Unique within the file: the variable's first slot, counted from 1.
        *varHandle = d.variables[static_cast<std::size_t>(i)].slot + 1;
        return SPSS_OK;
    });
}

int spssGetVarCompatName(int handle, const char* longName, char* shortName)
{
    return withVar(handle, longName, [&](const SavVariable& v) {
        if (!shortName)
            return SPSS_INVALID_HANDLE;
        copyText(v.shortName, shortName, SPSS_NAME_BUFFER_SIZE);
        return SPSS_OK;
    });
}

int spssGetVarPrintFormat(int handle, const char* varName, int* printType, int* printDec,
                          int* printWid)
{
    return format(handle, varName, true, printType, printDec, printWid);
}

int spssGetVarWriteFormat(int handle, const char* varName, int* writeType, int* writeDec,
                          int* writeWid)
{
    return format(handle, varName, false, writeType, writeDec, writeWid);
}

int spssGetVarColumnWidth(int handle, const char* varName, int* columnWidth)
{
    return withVar(handle, varName, [&](const SavVariable& v) {
        if (!columnWidth)
            return SPSS_INVALID_HANDLE;
        *columnWidth = v.columnWidth;
        return SPSS_OK;
    });
}

int spssGetVarAlignment(int handle, const char* varName, int* alignment)
{
    return withVar(handle, varName, [&](const SavVariable& v) {
        if (!alignment)
            return SPSS_INVALID_HANDLE;
        *alignment = v.alignment;
        return SPSS_OK;
    });
}

int spssGetVarMeasureLevel(int handle, const char* varName, int* measureLevel)
{
    return withVar(handle, varName, [&](const SavVariable& v) {
        if (!measureLevel)
            return SPSS_INVALID_HANDLE;
        *measureLevel = v.measure;
        return SPSS_OK;
    });
}

int spssGetVarLabel(int handle, const char* varName, char* varLabel)
{
    return withVar(handle, varName, [&](const SavVariable& v) {
        if (!varLabel)
            return SPSS_INVALID_HANDLE;
        if (v.label.empty()) {
            varLabel[0] = '\0';
            return SPSS_NO_LABEL;
        }
        copyText(v.label.substr(0, v.labelCut), varLabel, SPSS_LABEL_BUFFER_SIZE);
        return v.labelCut < v.label.size() ? SPSS_EXC_VARLABEL : SPSS_OK;
    });
}

int spssGetVarLabelLong(int handle, const char* varName, char* labelBuff, int lenBuff,
                        int* lenLabel)
{
    return withVar(handle, varName, [&](const SavVariable& v) {
        if (!labelBuff || !lenLabel || lenBuff < 1)
            return SPSS_INVALID_HANDLE;
        *lenLabel = static_cast<int>(v.label.size());
        copyText(v.label, labelBuff, static_cast<std::size_t>(lenBuff));
        return v.label.empty() ? SPSS_NO_LABEL : SPSS_OK;
    });
}

int spssGetVarNMissingValues(int handle, const char* varName, int* missingFormat,
                             double* missingVal1, double* missingVal2, double* missingVal3)
{
    return withVar(handle, varName, [&](const SavVariable& v) {
        if (!missingFormat || !missingVal1 || !missingVal2 || !missingVal3)
            return SPSS_INVALID_HANDLE;
        if (v.width != 0)
            return SPSS_NUME_EXP;
        *missingFormat = v.missing.format;
        *missingVal1 = v.missing.number[0];
        *missingVal2 = v.missing.number[1];
        *missingVal3 = v.missing.number[2];
        return SPSS_OK;
    });
}

int spssGetVarCMissingValues(int handle, const char* varName, int* missingFormat,
                             char* missingVal1, char* missingVal2, char* missingVal3)
{
    return withVar(handle, varName, [&](const SavVariable& v) {
        if (!missingFormat || !missingVal1 || !missingVal2 || !missingVal3)
            return SPSS_INVALID_HANDLE;
        if (v.width == 0)
            return SPSS_STR_EXP;
        *missingFormat = v.missing.format;
        char* out[3] = {missingVal1, missingVal2, missingVal3};
        for (int i = 0; i < 3; ++i)
            copyText(v.missing.text[i], out[i], SPSS_CMISSING_BUFFER_SIZE);
        return SPSS_OK;
    });
}

int spssGetVarNValueLabels(int handle, const char* varName, double** values, char*** labels,
                           int* numofLabels)
{
    return withVar(handle, varName, [&](const SavVariable& v) {
        if (!values || !labels || !numofLabels)
            return SPSS_INVALID_HANDLE;
        if (v.width != 0)
            return SPSS_NUME_EXP;
        const std::size_t n = v.valueLabels.size();
        if (n == 0) {
            *values = nullptr;
            *labels = nullptr;
            *numofLabels = 0;
            return SPSS_NO_LABELS;
        }
        auto* vals = static_cast<double*>(std::calloc(n, sizeof(double)));
        char** texts = newTextArray(n, [&](std::size_t i) {
            return v.valueLabels[i].label;
        });
        if (!vals || !texts) {
            std::free(vals);
            std::free(texts);
            return SPSS_NO_MEMORY;
        }
        for (std::size_t i = 0; i < n; ++i)
            vals[i] = v.valueLabels[i].number;
        *values = vals;
        *labels = texts;
        *numofLabels = static_cast<int>(n);
        return SPSS_OK;
    });
}

int spssFreeVarNValueLabels(double* values, char** labels, int numofLabels)
{
    if (numofLabels < 0)
        return SPSS_CANNOT_FREE;
    std::free(values);
    std::free(labels); // one block with its texts
    return SPSS_OK;
}

int spssGetVarCValueLabels(int handle, const char* varName, char*** values, char*** labels,
                           int* numofLabels)
{
    return withVar(handle, varName, [&](const SavVariable& v) {
        if (!values || !labels || !numofLabels)
            return SPSS_INVALID_HANDLE;
        if (v.width == 0)
            return SPSS_STR_EXP;
        const std::size_t n = v.valueLabels.size();
        if (n == 0) {
            *values = nullptr;
            *labels = nullptr;
            *numofLabels = 0;
            return SPSS_NO_LABELS;
        }
        char** vals = newTextArray(n, [&](std::size_t i) {
            return v.valueLabels[i].text;
        });
        char** texts = newTextArray(n, [&](std::size_t i) {
            return v.valueLabels[i].label;
        });
        if (!vals || !texts) {
            std::free(vals);
            std::free(texts);
            return SPSS_NO_MEMORY;
        }
        *values = vals;
        *labels = texts;
        *numofLabels = static_cast<int>(n);
        return SPSS_OK;
    });
}

int spssFreeVarCValueLabels(char** values, char** labels, int numofLabels)
{
    if (numofLabels < 0)
        return SPSS_CANNOT_FREE;
    std::free(values); // one block each with its texts
    std::free(labels);
    return SPSS_OK;
}

int spssGetVariableSets(int handle, char** varSets)
{
    return definitions(handle, varSets, &SavDictionary::variableSets, SPSS_NO_VARSETS);
}

int spssFreeVariableSets(char* varSets)
{
    std::free(varSets);
    return SPSS_OK;
}

int spssGetMultRespDefs(int handle, char** mrespDefs)
{
    return definitions(handle, mrespDefs, &SavDictionary::mrSets, SPSS_NO_MULTRESP);
}

int spssFreeMultRespDefs(char* mrespDefs)
{
    std::free(mrespDefs);
    return SPSS_OK;
}

} // extern "C"
