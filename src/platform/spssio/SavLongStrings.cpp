// Records 7.21 and 7.22: value labels and missing values of long string
// variables, found by their long names.
#include "platform/spssio/SavLongStrings.h"

#include "platform/spssio/spssio.h"

namespace qs::spssio {

namespace {

// A little cursor over a type-7 payload; every read checks the bounds.
struct Payload {
    const std::string& data;
    const SavInput& in;
    std::size_t pos = 0;
    bool int32(std::int32_t& v)
    {
        if (data.size() - pos < 4)
            return false;
        v = in.decode32(reinterpret_cast<const std::uint8_t*>(data.data() + pos));
        pos += 4;
        return true;
    }
    bool text(std::int32_t n, std::string& out)
    {
        if (n < 0 || data.size() - pos < static_cast<std::size_t>(n))
            return false;
        out.assign(data, pos, static_cast<std::size_t>(n));
        pos += static_cast<std::size_t>(n);
        return true;
    }
    bool byte(int& v)
    {
        if (pos >= data.size())
            return false;
        v = static_cast<unsigned char>(data[pos++]);
        return true;
    }
};

// SPSS writes one value length for all of a variable's values (oneLength);
// older descriptions give each value its own length. Both are tried.
bool parseLongMissing(const std::string& payload, const SavInput& in, Recoder& recode,
                      SavDictionary& dict, bool oneLength, bool apply)
{
    Payload p{payload, in};
    while (p.pos < p.data.size()) {
        std::int32_t nameLen, valueLen = 0;
        std::string name;
        int count;
        if (!p.int32(nameLen) || !p.text(nameLen, name) || !p.byte(count) || count > 3)
            return false;
        if (oneLength && !p.int32(valueLen))
            return false;
        std::string values[3];
        for (int k = 0; k < count; ++k) {
            if (!oneLength && !p.int32(valueLen))
                return false;
            if (!p.text(valueLen, values[k]))
                return false;
        }
        if (!apply)
            continue;
        const int var = dict.find(recode(name));
        if (var < 0 || dict.variables[static_cast<std::size_t>(var)].width == 0)
            continue;
        SavVariable& v = dict.variables[static_cast<std::size_t>(var)];
        v.missing = SavMissing{};
        v.missing.format = count;
        for (int k = 0; k < count; ++k)
            v.missing.text[k] = dict.texts.Copy(
                recode.cut(cutToWidth(values[k], v.width), SPSS_MAX_SHORTSTRING));
    }
    return true;
}

} // namespace

void applyLongStringLabels(const std::string& payload, const SavInput& in, Recoder& recode,
                           SavDictionary& dict, const AddLabel& add)
{
    Payload p{payload, in};
    while (p.pos < p.data.size()) {
        std::int32_t nameLen, width, count;
        std::string name;
        if (!p.int32(nameLen) || !p.text(nameLen, name) || !p.int32(width) || !p.int32(count) ||
            count < 0)
            return; // a damaged record keeps what came before the damage
        const int var = dict.find(recode(name));
        for (std::int32_t k = 0; k < count; ++k) {
            std::int32_t valueLen, labelLen;
            std::string value, label;
            if (!p.int32(valueLen) || !p.text(valueLen, value) || !p.int32(labelLen) ||
                !p.text(labelLen, label))
                return;
            if (var < 0 || dict.variables[static_cast<std::size_t>(var)].width == 0)
                continue;
            SavValueLabel vl;
            const int variableWidth = dict.variables[static_cast<std::size_t>(var)].width;
            vl.text = trimBlanksView(dict.texts.Copy(recode(cutToWidth(value, variableWidth))));
            vl.label = trimLabelView(dict.texts.Copy(recode(label)));
            add(var, std::move(vl));
        }
    }
}

void applyLongStringMissing(const std::string& payload, const SavInput& in, Recoder& recode,
                            SavDictionary& dict)
{
    if (payload.empty())
        return;
    if (parseLongMissing(payload, in, recode, dict, true, false))
        parseLongMissing(payload, in, recode, dict, true, true);
    else if (parseLongMissing(payload, in, recode, dict, false, false))
        parseLongMissing(payload, in, recode, dict, false, true);
}


} // namespace qs::spssio
