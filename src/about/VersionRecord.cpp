#include "about/VersionRecord.h"

#include <algorithm>
#include <string_view>

namespace qs {

namespace {

constexpr char kFormat = '\x01';
// A record is small; anything longer is not one.
constexpr std::size_t kMaxRecord = 4096;
constexpr std::size_t kChunk = std::size_t{1} << 20;

bool EqualNoCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

// The record after the marker; nothing when the bytes are not a complete record.
std::optional<VersionRecord> ParseRecord(std::string_view bytes) {
    if (bytes.empty() || bytes[0] != kFormat) {
        return std::nullopt;
    }
    bytes = bytes.substr(1, kMaxRecord);
    VersionRecord record;
    std::size_t pos = 0;
    while (true) {
        const std::size_t end = bytes.find('\0', pos);
        if (end == std::string_view::npos) {
            return std::nullopt; // cut off
        }
        const std::string_view entry = bytes.substr(pos, end - pos);
        if (entry.empty()) {
            return record;
        }
        const std::size_t eq = entry.find('=');
        const bool control = std::any_of(entry.begin(), entry.end(),
                                         [](char c) { return static_cast<unsigned char>(c) < 0x20; });
        if (eq == std::string_view::npos || eq == 0 || control) {
            return std::nullopt;
        }
        record.entries.emplace_back(entry.substr(0, eq), entry.substr(eq + 1));
        pos = end + 1;
    }
}

} // namespace

std::optional<std::string> VersionRecord::Query(const std::string& path) const {
    for (const auto& [query, value] : entries) {
        if (EqualNoCase(query, path)) {
            return value;
        }
    }
    return std::nullopt;
}

std::string VersionRecordMarker() {
    std::string marker = "DROCER-NOISREV-ENOTSLLIUQ";
    std::reverse(marker.begin(), marker.end());
    return marker;
}

RecordSearch FindVersionRecord(std::istream& in, VersionRecord& record) {
    const std::string marker = VersionRecordMarker();
    std::string window; // the bytes not yet ruled out
    std::size_t searchFrom = 0;
    bool atEnd = false;
    while (true) {
        if (!atEnd) {
            const std::size_t old = window.size();
            window.resize(old + kChunk);
            in.read(window.data() + old, static_cast<std::streamsize>(kChunk));
            window.resize(old + static_cast<std::size_t>(in.gcount()));
            if (in.bad()) {
                return RecordSearch::ReadError;
            }
            atEnd = !in;
        }
        std::size_t hit = window.find(marker, searchFrom);
        for (; hit != std::string::npos; hit = window.find(marker, searchFrom)) {
            const std::size_t after = hit + marker.size();
            if (!atEnd && window.size() - after <= kMaxRecord + 1) {
                break; // the record may go on in the next chunk
            }
            if (auto parsed = ParseRecord(std::string_view(window).substr(after))) {
                record = std::move(*parsed);
                return RecordSearch::Found;
            }
            searchFrom = hit + 1;
        }
        if (atEnd) {
            return RecordSearch::None;
        }
        // Keep what may still start a record: from an unfinished hit, else the tail that
        // could be the beginning of a marker.
        std::size_t cut = hit;
        if (hit == std::string::npos) {
            cut = window.size() >= marker.size() ? window.size() - marker.size() + 1 : 0;
        }
        window.erase(0, cut);
        searchFrom = std::max(searchFrom, cut) - cut;
    }
}

} // namespace qs
