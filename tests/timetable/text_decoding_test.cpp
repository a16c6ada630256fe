#include <gtest/gtest.h>

#include <filesystem>

#include "platform/utf8.h"
#include "support/plain_timetable_reader.h"
#include "timetable/text_decoding.h"

namespace velomar {
namespace {

TEST(DecodeTimetableText, EveryAcceptedEncodingGivesTheSameCharacters) {
    const std::u16string expected = u"0001\t0700\t/\n=";
    const std::string ascii = "0001\t0700\t/\r\n=";
    const std::string utf8Bom = "\xEF\xBB\xBF" + ascii;
    std::string utf16le = "\xFF\xFE";
    std::string utf16be = "\xFE\xFF";
    for (char c : ascii) {
        utf16le += c;
        utf16le += '\0';
        utf16be += '\0';
        utf16be += c;
    }
    EXPECT_EQ(DecodeTimetableText(ascii), expected);
    EXPECT_EQ(DecodeTimetableText(utf8Bom), expected);
    EXPECT_EQ(DecodeTimetableText(utf16le), expected);
    EXPECT_EQ(DecodeTimetableText(utf16be), expected);
}

TEST(DecodeTimetableText, OnlyCrLfPairsFold) {
    EXPECT_EQ(DecodeTimetableText("a\r\nb\rc\n\r"), u"a\nb\rc\n\r");
    EXPECT_EQ(DecodeTimetableText("\r\r\n"), u"\r\n");
}

TEST(DecodeTimetableText, BadBytesBecomeReplacementCharacters) {
    EXPECT_EQ(DecodeTimetableText("1\xFF"
                                  "2\xC3"),
              u"1\uFFFD2\uFFFD");
    EXPECT_EQ(DecodeTimetableText("\xE2\x82"), u"\uFFFD\uFFFD");
    EXPECT_EQ(DecodeTimetableText("서울"), u"서울");
    EXPECT_EQ(DecodeTimetableText(std::string("1\0"
                                              "2",
                                              3)),
              std::u16string(u"1\0"
                             "2",
                             3));
    EXPECT_EQ(DecodeTimetableText("\xFF\xFE"
                                  "A"),
              u"")
        << "odd trailing byte is dropped";
}

TEST(Utf8, RoundTripsAndRejectsInvalidInput) {
    const std::u16string text = u"서울 \U0001F686 0001";
    EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
    EXPECT_EQ(ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
    EXPECT_EQ(ToUtf8(std::u16string(1, char16_t(0xDC00)) + u"A"),
              "\xEF\xBF\xBD"
              "A");
    for (const char* bad : {"\xC0\xAF", "\xED\xA0\x80", "\xE2\x82", "\xFF", "\x80"}) {
        EXPECT_FALSE(FromUtf8(bad).has_value()) << bad;
    }
}

// Korean folder names survive the way from an argument to the file system and back into a
// message on every platform (Windows keeps paths in UTF-16).
TEST(Utf8, PathsKeepKoreanNames) {
    const std::string name = "시간표/TimeData/서울";
    const std::filesystem::path path = PathFromUtf8(name);
    EXPECT_EQ(PathToUtf8(path), name);
    EXPECT_EQ(path.filename().u16string(), u"서울");
    EXPECT_EQ(PathToUtf8(path.parent_path().parent_path()), "시간표");
#ifdef _WIN32
    EXPECT_EQ(PathToUtf8(PathFromUtf8("a\xFF-")), "a\xEF\xBF\xBD-");  // never a throw
#else
    EXPECT_EQ(PathFromUtf8("a\xFF-").string(), "a\xFF-");  // bytes as given
#endif
}

}  // namespace
}  // namespace velomar
