#pragma once

// Hangul syllables taken apart arithmetically (a precomposed syllable is 0xAC00 + (initial *
// 21 + medial) * 28 + final), for matching station names by their initial consonants.

#include <optional>
#include <string>
#include <string_view>

namespace velomar::hangul {

inline constexpr int kInitialCount =
    19;  // ㄱ ㄲ ㄴ ㄷ ㄸ ㄹ ㅁ ㅂ ㅃ ㅅ ㅆ ㅇ ㅈ ㅉ ㅊ ㅋ ㅌ ㅍ ㅎ

struct Syllable {
    int initial;  // 0-18
    int medial;   // 0-20
    int final;    // 0 none, 1-27
};

// A precomposed syllable (가 to 힣), or nothing.
std::optional<Syllable> SyllableOf(char16_t c);

// The initial a typed consonant stands for: the compatibility jamo of a keyboard (ㄱ U+3131 …
// ㅎ U+314E) or a leading conjoining jamo (U+1100 … U+1112). Nothing for vowels, for
// consonants that never begin a syllable (ㄳ, ㄵ …) and for anything else.
std::optional<int> TypedInitial(char16_t c);

// A doubled initial counts as its plain one, as the station directory groups 쌍용 under ㅅ.
int PlainInitial(int initial);
bool IsDoubledInitial(int initial);

// The text as a sequence of jamo: each syllable becomes its initial, medial and (if any)
// final, in an alphabet of their own; other characters stay one unit each. Edit distances
// over it count a wrong vowel or a missing final as one typo.
std::u32string Jamo(std::u16string_view text);

}  // namespace velomar::hangul
