#include "network/hangul.h"

#include <array>

namespace velomar::hangul {

namespace {

constexpr char16_t kFirstSyllable = 0xAC00;
constexpr char16_t kLastSyllable = 0xD7A3;
constexpr int kMedialCount = 21;
constexpr int kFinalCount = 28;

// Compatibility jamo U+3131 to U+314E as initials; -1 where the letter cannot begin a
// syllable.
constexpr std::array<int, 30> kCompatibilityInitials = {
    0,  1, -1, 2, -1, -1, 3,  4,  5,  -1, -1, -1, -1, -1, -1,
    -1, 6, 7,  8, -1, 9,  10, 11, 12, 13, 14, 15, 16, 17, 18,
};

constexpr char16_t kFirstCompatibility = 0x3131;
constexpr char16_t kFirstLeadingJamo = 0x1100;

// Offsets that keep the three jamo kinds apart from each other and from plain characters.
constexpr char32_t kInitialBase = 0x110000;
constexpr char32_t kMedialBase = kInitialBase + kInitialCount;
constexpr char32_t kFinalBase = kMedialBase + kMedialCount;

}  // namespace

std::optional<Syllable> SyllableOf(char16_t c) {
    if (c < kFirstSyllable || c > kLastSyllable) {
        return std::nullopt;
    }
    const int index = c - kFirstSyllable;
    return Syllable{index / (kMedialCount * kFinalCount), (index / kFinalCount) % kMedialCount,
                    index % kFinalCount};
}

std::optional<int> TypedInitial(char16_t c) {
    if (c >= kFirstLeadingJamo && c < kFirstLeadingJamo + kInitialCount) {
        return c - kFirstLeadingJamo;
    }
    const std::size_t offset = static_cast<std::size_t>(c - kFirstCompatibility);
    if (c >= kFirstCompatibility && offset < kCompatibilityInitials.size()) {
        const int initial = kCompatibilityInitials[offset];
        if (initial >= 0) {
            return initial;
        }
    }
    return std::nullopt;
}

int PlainInitial(int initial) {
    return IsDoubledInitial(initial) ? initial - 1 : initial;
}

bool IsDoubledInitial(int initial) {
    // ㄲ ㄸ ㅃ ㅆ ㅉ, each right after its plain consonant.
    return initial == 1 || initial == 4 || initial == 8 || initial == 10 || initial == 13;
}

std::u32string Jamo(std::u16string_view text) {
    std::u32string out;
    out.reserve(text.size() * 3);
    for (char16_t c : text) {
        if (const auto syllable = SyllableOf(c)) {
            out += kInitialBase + static_cast<char32_t>(syllable->initial);
            out += kMedialBase + static_cast<char32_t>(syllable->medial);
            if (syllable->final != 0) {
                out += kFinalBase + static_cast<char32_t>(syllable->final);
            }
        } else if (const auto initial = TypedInitial(c)) {
            out += kInitialBase + static_cast<char32_t>(*initial);
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace velomar::hangul
