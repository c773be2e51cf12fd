// Turns the raw records into the dictionary: picks the encoding, recodes every
// text (marking where the interface's limits cut it), folds very long string
// segments, applies long names, display parameters, value labels (within their
// budget) and missing values, and rewrites the set texts.
#include "platform/spssio/SavLongStrings.h"
#include "platform/spssio/SavNameIndex.h"
#include "platform/spssio/SavRaw.h"
#include "platform/spssio/SavSets.h"
#include "platform/spssio/SavText.h"
#include "platform/spssio/SavValueLabels.h"
#include "platform/spssio/spssio.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <span>
#include <unordered_map>

namespace qs::spssio {

namespace {

// The interface's limit of a variable label in bytes of the file's encoding
// (SPSS_MAX_VARLABEL counts the terminating zero).
constexpr std::size_t kMaxVarLabel = SPSS_MAX_VARLABEL - 1;
constexpr std::string_view kProductLeads[] = {"@(#) SPSS DATA FILE ", "@(#) "};

std::string chooseEncoding(const RawDictionary& raw)
{
    std::string name;
    for (char c : raw.encoding)
        if (c != '\0' && c != ' ')
            name += c;
    if (isKnownEncoding(name))
        return name;
    name.clear();
    if (raw.hasMachineInfo)
        name = codePageEncoding(raw.machineInfo[7]);
    if (isKnownEncoding(name))
        return name;
    // The file does not say: text that is valid UTF-8 is taken as such, else Windows ANSI.
    bool utf8 = isValidUtf8(raw.longNames) && isValidUtf8(raw.fileLabel) &&
                isValidUtf8(raw.mrSets) && isValidUtf8(raw.variableSets);
    for (const RawVariable& v : raw.variables)
        utf8 = utf8 && isValidUtf8(v.name) && isValidUtf8(v.label);
    for (const RawLabel& label : raw.labels)
        utf8 = utf8 && isValidUtf8(label.label);
    return utf8 ? "UTF-8" : "WINDOWS-1252";
}

std::string lowerAscii(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    return s;
}

// Splits "KEY=VALUE<tab>KEY=VALUE..." (NULs ignored) into keys and values.
template <typename F> void forEachPair(std::string_view text, F&& f)
{
    while (!text.empty()) {
        std::size_t end = text.find('\t');
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view item = text.substr(0, end);
        text.remove_prefix(std::min(text.size(), end + 1));
        std::string cleaned;
        if (item.find('\0') != std::string_view::npos) {
            for (char c : item)
                if (c != '\0')
                    cleaned += c;
            item = cleaned;
        }
        const std::size_t eq = item.find('=');
        if (eq != std::string_view::npos && eq > 0)
            f(item.substr(0, eq), item.substr(eq + 1));
    }
}

int fixFormat(int format, int width)
{
    const int type = (format >> 16) & 0xFF;
    if (width == 0)
        return (type == SPSS_FMT_A || type == SPSS_FMT_AHEX) ? (SPSS_FMT_F << 16 | 8 << 8 | 2)
                                                            : (format & 0xFFFFFF);
    // The width field has 8 bits; readers take a string format's width from the variable.
    const int w = std::min(type == SPSS_FMT_AHEX ? 2 * width : width, 255);
    return (type == SPSS_FMT_AHEX ? SPSS_FMT_AHEX : SPSS_FMT_A) << 16 | w << 8;
}

class Builder {
public:
    Builder(RawDictionary& raw, const SavInput& in, SavDictionary& dict)
        : m_raw(raw), m_in(in), m_dict(dict), m_recode(chooseEncoding(raw)),
          m_labels(dict, valueLabelBudget(in.position()))
    {
    }

    int run();

private:
    // A set's labels as one kind of variable gets them: folded, recoded, charged.
    struct SetLabels {
        bool ready = false;
        std::vector<SavValueLabel> labels;
        std::uint64_t charge = 0;
    };

    void buildVariables();
    void addSegments(SavVariable& v, std::span<const RawVariable> records);
    void applyDisplayParams();
    void applyValueLabels();
    void prepareLabels(SetLabels& out, std::span<const RawLabel> labels,
                       const std::vector<std::string_view>& recoded, int width);
    std::string stringValue(const std::array<char, 8>& bytes, int width)
    {
        return m_recode(cutToWidth(std::string_view(bytes.data(), bytes.size()), width));
    }

    RawDictionary& m_raw; // the dictionary takes over its text arena
    const SavInput& m_in;
    SavDictionary& m_dict;
    Recoder m_recode;
    std::vector<int> m_varOfSlot;   // folded variable starting at a slot, else -1
    std::vector<int> m_firstRecord; // raw variable index of each folded variable
    LabelTable m_labels;
};

void Builder::buildVariables()
{
    // Short name → long name; the first pair of a short name counts.
    std::vector<std::pair<std::string_view, std::string_view>> longNames;
    NameIndex longNameIndex;
    longNames.reserve(m_raw.variables.size());
    longNameIndex.reserve(m_raw.variables.size());
    const auto shortOf = [&](std::int32_t i) { return longNames[std::size_t(i)].first; };
    forEachPair(m_raw.longNames, [&](std::string_view k, std::string_view v) {
        const std::string_view key = m_dict.texts.Copy(m_recode(k));
        if (longNameIndex.insert(key, static_cast<std::int32_t>(longNames.size()), shortOf))
            longNames.emplace_back(key, m_dict.texts.Copy(m_recode(v)));
    });
    std::unordered_map<std::string, int> veryLong;
    forEachPair(m_raw.veryLongStrings, [&](std::string_view k, std::string_view v) {
        int width = 0;
        for (char c : v)
            if (c >= '0' && c <= '9' && width <= SPSS_MAX_LONGSTRING)
                width = width * 10 + (c - '0');
        if (width > 255 && width <= SPSS_MAX_LONGSTRING)
            veryLong.emplace(foldName(m_recode(k)), width);
    });
    auto& raws = m_raw.variables;
    m_varOfSlot.assign(static_cast<std::size_t>(m_raw.slotCount), -1);
    m_dict.variables.reserve(raws.size());
    m_firstRecord.reserve(raws.size());
    for (std::size_t i = 0; i < raws.size();) {
        RawVariable& rv = raws[i];
        SavVariable v;
        v.shortName = m_recode(rv.name);
        v.width = rv.width;
        v.slot = rv.slot;
        v.slotCount = rv.slotCount;
        std::size_t segments = 1;
        const auto it = rv.width > 0 && !veryLong.empty() ? veryLong.find(foldName(v.shortName))
                                                          : veryLong.end();
        if (it != veryLong.end()) {
            const std::size_t n = static_cast<std::size_t>((it->second + 251) / 252);
            bool whole = i + n <= raws.size();
            for (std::size_t k = 1; whole && k < n; ++k)
                whole = raws[i + k].width > 0;
            if (whole) {
                segments = n;
                v.width = it->second;
                for (std::size_t k = 1; k < n; ++k)
                    v.slotCount += raws[i + k].slotCount;
                addSegments(v, std::span<const RawVariable>(raws.data() + i, n));
            }
        }
        if (const std::int32_t name = longNameIndex.find(v.shortName, shortOf); name >= 0)
            v.name = longNames[std::size_t(name)].second;
        else if (m_raw.longNames.empty())
            v.name = lowerAscii(v.shortName); // files without long names: as SPSS shows them
        else
            v.name = v.shortName;
        v.printFormat = fixFormat(rv.printFormat, v.width);
        v.writeFormat = fixFormat(rv.writeFormat, v.width);
        v.hasLabel = rv.hasLabel;
        v.label = trimLabelView(m_recode.kept(rv.label, m_dict.texts));
        v.labelCut = static_cast<std::uint32_t>(
            m_recode.recodedPrefix(trimLabelView(rv.label), v.label, kMaxVarLabel));
        v.alignment = v.width == 0 ? SPSS_ALIGN_RIGHT : SPSS_ALIGN_LEFT;
        v.measure = v.width == 0 ? SPSS_MLVL_RAT : SPSS_MLVL_NOM;
        v.columnWidth = std::min(v.width == 0 ? 8 : v.width, 255);
        const int count = std::abs(rv.missingFormat);
        if (v.width == 0) {
            v.missing.format = rv.missingFormat;
            for (int k = 0; k < count; ++k)
                v.missing.number[k] = m_in.decode64(reinterpret_cast<const std::uint8_t*>(rv.missing[k].data()));
        } else if (rv.missingFormat > 0) {
            v.missing.format = rv.missingFormat;
            for (int k = 0; k < count; ++k)
                v.missing.text[k] = m_dict.texts.Copy(stringValue(rv.missing[k], v.width));
        }
        m_varOfSlot[static_cast<std::size_t>(v.slot)] = static_cast<int>(m_dict.variables.size());
        m_firstRecord.push_back(static_cast<int>(i));
        m_dict.variables.push_back(std::move(v));
        i += segments;
    }
    m_dict.rebuildIndex();
}

void Builder::addSegments(SavVariable& v, std::span<const RawVariable> records)
{
    // Each segment holds up to 255 bytes of the value, the last one the rest; a writer's
    // narrower segment holds what its slots can, and what is missing reads as blanks.
    v.firstSegment = static_cast<int>(m_dict.segments.size());
    v.segmentCount = static_cast<int>(records.size());
    int left = v.width;
    for (std::size_t k = 0; k < records.size(); ++k) {
        const int room = records[k].slotCount * 8;
        const int bytes = std::min(left, k + 1 < records.size() ? std::min(room, 255) : room);
        m_dict.segments.push_back({records[k].slot, bytes});
        left -= bytes;
    }
}

void Builder::applyDisplayParams()
{
    const auto& p = m_raw.displayParams;
    if (p.empty())
        return;
    const std::size_t records = m_raw.variables.size(), folded = m_dict.variables.size();
    std::size_t per = 0;
    bool byRecord = true;
    if (p.size() == 3 * records || p.size() == 2 * records)
        per = p.size() / records;
    else if (p.size() == 3 * folded || p.size() == 2 * folded)
        per = p.size() / folded, byRecord = false;
    if (per == 0)
        return;
    for (std::size_t i = 0; i < folded; ++i) {
        SavVariable& v = m_dict.variables[i];
        const std::size_t at = per * (byRecord ? static_cast<std::size_t>(m_firstRecord[i]) : i);
        const int measure = p[at], alignment = p[at + per - 1];
        v.measure = measure >= 1 && measure <= 3 ? measure : SPSS_MLVL_UNK;
        if (per == 3)
            v.columnWidth = std::max(0, p[at + 1]);
        if (alignment >= 0 && alignment <= 2)
            v.alignment = alignment;
    }
}

void Builder::prepareLabels(SetLabels& out, std::span<const RawLabel> labels,
                            const std::vector<std::string_view>& recoded, int width)
{
    out.labels.clear();
    for (std::size_t k = 0; k < labels.size(); ++k) {
        const RawLabel& raw = labels[k];
        SavValueLabel label;
        label.label = recoded[k];
        if (width == 0) {
            label.number = m_in.decode64(reinterpret_cast<const std::uint8_t*>(raw.value.data()));
        } else {
            const std::string_view value(raw.value.data(), raw.value.size());
            label.text = trimBlanksView(
                m_recode.kept(m_dict.texts.Copy(cutToWidth(value, width)), m_dict.texts));
        }
        out.labels.push_back(label);
    }
    foldDuplicateValues(out.labels);
    out.charge = labelCharge(out.labels);
    out.ready = true;
}

void Builder::applyValueLabels()
{
    // A label set applies once per variable. Its labels are recoded, folded and charged
    // once for all the variables of a kind (numeric, or strings of one width) it names.
    std::vector<int> appliedBy(m_dict.variables.size(), -1);
    std::vector<std::string_view> recoded;
    std::array<SetLabels, 9> prepared; // [0] numeric, [w] strings of width w
    int setIndex = 0;
    for (const RawLabelSet& set : m_raw.labelSets) {
        ++setIndex;
        recoded.clear();
        for (SetLabels& kind : prepared)
            kind.ready = false;
        const std::span<const RawLabel> labels(m_raw.labels.data() + set.firstLabel,
                                               set.labelCount);
        const std::span<const std::int32_t> slots(m_raw.labelSlots.data() + set.firstSlot,
                                                  set.slotCount);
        for (std::int32_t slot : slots) {
            if (slot < 1 || slot > m_raw.slotCount)
                continue;
            const int var = m_varOfSlot[static_cast<std::size_t>(slot - 1)];
            if (var < 0 || appliedBy[static_cast<std::size_t>(var)] == setIndex)
                continue;
            appliedBy[static_cast<std::size_t>(var)] = setIndex;
            const int width = m_dict.variables[static_cast<std::size_t>(var)].width;
            if (width > 8)
                continue;
            if (recoded.empty())
                for (const RawLabel& raw : labels)
                    recoded.push_back(trimLabelView(m_recode.kept(raw.label, m_dict.texts)));
            SetLabels& kind = prepared[static_cast<std::size_t>(width)];
            if (!kind.ready)
                prepareLabels(kind, labels, recoded, width);
            m_labels.addAll(var, kind.labels, kind.charge);
        }
    }
}

int Builder::run()
{
    SavDictionary& d = m_dict;
    d = SavDictionary{};
    // Texts read from the records stay where they are; only recoded ones are added.
    d.texts = std::move(m_raw.texts);
    d.encoding = m_recode.encoding();
    d.bigEndian = m_raw.bigEndian;
    d.compression = m_raw.compression;
    std::string_view product(m_raw.product);
    for (std::string_view lead : kProductLeads)
        if (product.starts_with(lead)) {
            product.remove_prefix(lead.size());
            break;
        }
    d.systemString = m_recode.cut(product.substr(0, product.find('\0')), SPSS_MAX_SYSSTRING);
    d.date = m_recode(m_raw.date);
    d.time = m_recode(m_raw.time);
    d.fileLabel = m_recode(m_raw.fileLabel);
    d.textInfo = m_recode(m_raw.textInfo);
    d.textInfoCut = m_recode.recodedPrefix(m_raw.textInfo, d.textInfo, SPSS_MAX_TEXTINFO);
    d.hasMachineInfo = m_raw.hasMachineInfo;
    for (int i = 0; i < 8; ++i)
        d.releaseInfo[i] = m_raw.machineInfo[i];
    d.codePage = m_raw.hasMachineInfo ? m_raw.machineInfo[7] : 0;
    d.sysmis = m_raw.hasFloatInfo ? m_raw.floatInfo[0] : -DBL_MAX;
    d.highest = m_raw.hasFloatInfo ? m_raw.floatInfo[1] : DBL_MAX;
    d.lowest = m_raw.hasFloatInfo ? m_raw.floatInfo[2] : std::nextafter(-DBL_MAX, 0.0);
    d.caseCount = m_raw.headerCases >= 0 ? m_raw.headerCases : (m_raw.cases64 >= 0 ? m_raw.cases64 : -1);
    d.slotCount = m_raw.slotCount;
    d.bias = m_raw.bias;
    d.dataOffset = m_in.position();
    for (const std::string& line : m_raw.documents)
        d.documents.push_back(m_recode(line));

    buildVariables();
    applyDisplayParams();
    applyValueLabels();
    applyLongStringLabels(m_raw.longLabels, m_in, m_recode, d,
                          [this](int var, SavValueLabel label) { m_labels.add(var, label); });
    d.valueLabelBudget = m_labels.budget();
    d.droppedValueLabels = m_labels.dropped();
    applyLongStringMissing(m_raw.longMissing, m_in, m_recode, d);
    if (m_raw.weightSlot > 0 && m_raw.weightSlot <= m_raw.slotCount) {
        const int var = m_varOfSlot[static_cast<std::size_t>(m_raw.weightSlot - 1)];
        if (var >= 0 && d.variables[static_cast<std::size_t>(var)].width == 0)
            d.weightVariable = var;
    }
    if (m_raw.variableSets.empty() && m_raw.mrSets.empty() && m_raw.mrSetsExt.empty())
        return SPSS_OK;
    const MemberNames names(d);
    d.variableSets = rewriteVariableSets(m_recode(m_raw.variableSets), names);
    std::string mr = std::move(m_raw.mrSets);
    if (!m_raw.mrSetsExt.empty())
        mr += "\n" + m_raw.mrSetsExt;
    d.mrSets = rewriteMrSets(mr, m_recode, names);
    return SPSS_OK;
}

} // namespace

int buildDictionary(RawDictionary& raw, const SavInput& in, SavDictionary& dict)
{
    Builder builder(raw, in, dict);
    return builder.run();
}

std::string foldName(std::string_view name)
{
    std::string key(name);
    for (char& c : key)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
    return key;
}

int SavDictionary::find(std::string_view name) const
{
    // Callers ask about one variable several times in a row (its format, label, ...):
    // the last answer is checked first. It only ever holds an answer of the index, so
    // a name equal to that variable's own gives what the index would.
    // A walk in dictionary order asks about the next variable: that is checked second,
    // unless an earlier variable has the same name (ignoring case) and so owns it.
    std::atomic_ref<int> last(m_lastFound);
    const int hint = last.load(std::memory_order_relaxed);
    if (hint >= 0 && static_cast<std::size_t>(hint) < variables.size()) {
        if (variables[static_cast<std::size_t>(hint)].name == name)
            return hint;
        const std::size_t next = static_cast<std::size_t>(hint) + 1;
        if (next < m_ownsName.size() && next < variables.size() && m_ownsName[next] &&
            variables[next].name == name) {
            last.store(static_cast<int>(next), std::memory_order_relaxed);
            return static_cast<int>(next);
        }
    }
    const std::int32_t found = m_index.find(name, [this](std::int32_t i) {
        return std::string_view(variables[std::size_t(i)].name);
    });
    if (found >= 0)
        last.store(found, std::memory_order_relaxed);
    return found;
}

void SavDictionary::rebuildIndex()
{
    m_lastFound = -1;
    m_index.clear();
    m_index.reserve(variables.size());
    m_ownsName.assign(variables.size(), false);
    const auto nameOf = [this](std::int32_t i) {
        return std::string_view(variables[std::size_t(i)].name);
    };
    for (std::size_t i = 0; i < variables.size(); ++i)
        m_ownsName[i] = m_index.insert(variables[i].name, static_cast<std::int32_t>(i), nameOf);
}

} // namespace qs::spssio
