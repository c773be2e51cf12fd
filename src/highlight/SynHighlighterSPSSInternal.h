// Internals shared by the highlighter's rule files: the flag bits its word index keeps per
// word (the lists a word is in) and the character sets of the rules.
#pragma once

#include "highlight/SynHighlighterSPSS.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <utility>

namespace qs::word_flags {

inline constexpr std::uint32_t kCommand = 1;
inline constexpr std::uint32_t kSubcommand = 2;
inline constexpr std::uint32_t kKeyword = 4;
inline constexpr std::uint32_t kFunction = 8;
inline constexpr std::uint32_t kOperator = 16;
inline constexpr std::uint32_t kClassMask = 31;
inline constexpr std::uint32_t kExecute = 32;
inline constexpr std::uint32_t kStarter = 64;
inline constexpr std::uint32_t kTwoWord = 128;
inline constexpr std::uint32_t kThreeWord = 256;
inline constexpr std::uint32_t kSystemVariable = 512;
inline constexpr std::uint32_t kVariable = 1024;
// A word with any of these flags is never Unknown, so it stops before a period.
inline constexpr std::uint32_t kKnownWord = kClassMask | kExecute | kVariable;

} // namespace qs::word_flags

namespace qs::spss_scan {

// Character classes of the rules, looked up in one table per character.
inline constexpr std::uint8_t kLetterBit = 1;  // A-Z a-z
inline constexpr std::uint8_t kDigitBit = 2;   // 0-9
inline constexpr std::uint8_t kBlankBit = 4;   // 1-9, 11, 12, 14-32
inline constexpr std::uint8_t kScratchBit = 8; // # $ . 0-9 @ A-Z _ a-z
inline constexpr std::uint8_t kPhraseBit = 16; // the word set without the period
inline constexpr std::uint8_t kWordBit = 32;   // # $ - . / 0-9 @ A-Z _ a-z

constexpr std::array<std::uint8_t, 256> MakeCharClasses() {
    std::array<std::uint8_t, 256> classes{};
    for (int c = 0; c < 256; ++c) {
        bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        bool digit = c >= '0' && c <= '9';
        bool scratch = letter || digit || c == '#' || c == '$' || c == '.' || c == '@' || c == '_';
        bool word = scratch || c == '-' || c == '/';
        std::uint8_t bits = 0;
        bits |= letter ? kLetterBit : 0;
        bits |= digit ? kDigitBit : 0;
        bits |= (c >= 1 && c <= 32 && c != 10 && c != 13) ? kBlankBit : 0;
        bits |= scratch ? kScratchBit : 0;
        bits |= (word && c != '.') ? kPhraseBit : 0;
        bits |= word ? kWordBit : 0;
        classes[static_cast<size_t>(c)] = bits;
    }
    return classes;
}
inline constexpr std::array<std::uint8_t, 256> kCharClasses = MakeCharClasses();

inline bool HasClass(char c, std::uint8_t bit) {
    return (kCharClasses[static_cast<unsigned char>(c)] & bit) != 0;
}
inline bool IsLetter(char c) {
    return HasClass(c, kLetterBit);
}
inline bool IsDigit(char c) {
    return HasClass(c, kDigitBit);
}
inline bool IsBlank(char c) {
    return HasClass(c, kBlankBit);
}
inline bool IsScratchChar(char c) {
    return HasClass(c, kScratchBit);
}
inline bool IsPhraseChar(char c) {
    return HasClass(c, kPhraseBit);
}
inline bool IsWordSetChar(char c) {
    return HasClass(c, kWordBit);
}

// The class code is the last entry of the sequence whose letters are all present.
constexpr std::array<ClassCode, 32> MakeClassCodes() {
    using namespace word_flags;
    constexpr std::pair<ClassCode, std::uint32_t> sequence[] = {
        {ClassCode::C, kCommand},
        {ClassCode::S, kSubcommand},
        {ClassCode::K, kKeyword},
        {ClassCode::F, kFunction},
        {ClassCode::O, kOperator},
        {ClassCode::CK, kCommand | kKeyword},
        {ClassCode::CS, kCommand | kSubcommand},
        {ClassCode::SK, kSubcommand | kKeyword},
        {ClassCode::CF, kCommand | kFunction},
        {ClassCode::SF, kSubcommand | kFunction},
        {ClassCode::KF, kKeyword | kFunction},
        {ClassCode::OK, kOperator | kKeyword},
        {ClassCode::CSK, kCommand | kSubcommand | kKeyword},
        {ClassCode::CKF, kCommand | kKeyword | kFunction},
        {ClassCode::CSF, kCommand | kSubcommand | kFunction},
        {ClassCode::SKF, kSubcommand | kKeyword | kFunction},
    };
    std::array<ClassCode, 32> codes{};
    for (std::uint32_t bits = 0; bits < 32; ++bits) {
        for (const auto& [code, letters] : sequence) {
            if ((bits & letters) == letters) {
                codes[bits] = code;
            }
        }
    }
    return codes;
}
inline constexpr std::array<ClassCode, 32> kClassCodes = MakeClassCodes();

inline WordClass Classify(std::uint32_t wordBits, std::uint32_t variableBits) {
    WordClass result;
    result.code = kClassCodes[wordBits & word_flags::kClassMask];
    if (wordBits & word_flags::kExecute) {
        result.preliminary = TokenKind::Execute;
    } else if (variableBits != 0) {
        result.preliminary = TokenKind::Variable;
    }
    result.starter = (wordBits & word_flags::kStarter) != 0;
    return result;
}

inline bool IsCommentWord(std::string_view word) {
    constexpr std::string_view kComment = "COMMENT";
    if (word.size() != kComment.size()) {
        return false;
    }
    for (size_t i = 0; i < word.size(); ++i) {
        if (WordTable::Fold(static_cast<unsigned char>(word[i])) != kComment[i]) {
            return false;
        }
    }
    return true;
}

} // namespace qs::spss_scan
