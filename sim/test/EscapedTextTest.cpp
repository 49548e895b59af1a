// The one rule by which the runner echoes texts: every class of character it escapes, the bytes
// outside well-formed UTF-8, and the cut between characters with its count.
#include <gtest/gtest.h>

#include <string>

#include "EscapedText.h"

namespace {

struct Case {
    const char* what;
    std::string text;
    std::string escaped;
};

TEST(EscapedTextTest, EachClassOfCharacterAndByteEscapesItsOwnWay) {
    const Case cases[] = {
        {"plain text and UTF-8 letters", "ab \xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80",
         "ab \xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80"},
        {"a backslash and an n", "a\\nb", "a\\\\nb"},
        {"a newline", "a\nb", "a\\u000ab"},
        {"double quotes", "say \"hi\"", "say \\\"hi\\\""},
        {"NUL", std::string("a\0b", 3), "a\\u0000b"},
        {"the last C0 control, ESC, tab, CR", "\x1f\x1b\t\r", "\\u001f\\u001b\\u0009\\u000d"},
        {"DEL", "\x7f", "\\u007f"},
        {"the C1 controls U+0080, U+0085, U+009F", "\xc2\x80\xc2\x85\xc2\x9f",
         "\\u0080\\u0085\\u009f"},
        {"U+00A0 after C1 is shown", "\xc2\xa0", "\xc2\xa0"},
        {"the marks U+200E, U+200F", "\xe2\x80\x8e\xe2\x80\x8f", "\\u200e\\u200f"},
        {"the embeddings and overrides U+202A, U+202E",
         "\xe2\x80\xaa"
         "x\xe2\x80\xae",
         "\\u202ax\\u202e"},
        {"the isolates U+2066, U+2069", "\xe2\x81\xa6\xe2\x81\xa9", "\\u2066\\u2069"},
        {"the separators U+2028, U+2029",
         "a\xe2\x80\xa8"
         "b\xe2\x80\xa9",
         "a\\u2028b\\u2029"},
        {"neighbours shown: U+200D, U+2010, U+2065, U+206A",
         "\xe2\x80\x8d\xe2\x80\x90\xe2\x81\xa5\xe2\x81\xaa",
         "\xe2\x80\x8d\xe2\x80\x90\xe2\x81\xa5\xe2\x81\xaa"},
        {"overlong forms", "\xc0\xaf\xc1\xbf\xe0\x80\xaf\xf0\x80\x80\xaf",
         "\\xc0\\xaf\\xc1\\xbf\\xe0\\x80\\xaf\\xf0\\x80\\x80\\xaf"},
        {"a surrogate, and U+D7FF shown", "\xed\xa0\x80\xed\x9f\xbf",
         "\\xed\\xa0\\x80\xed\x9f\xbf"},
        {"above U+10FFFF, and U+10FFFF shown", "\xf4\x90\x80\x80\xf5\x80\xf4\x8f\xbf\xbf",
         "\\xf4\\x90\\x80\\x80\\xf5\\x80\xf4\x8f\xbf\xbf"},
        {"stray continuation bytes",
         "a\x80\xbf"
         "b",
         "a\\x80\\xbfb"},
        {"truncated sequences",
         "\xe2\x82"
         "a\xf0\x9f\x98",
         "\\xe2\\x82a\\xf0\\x9f\\x98"},
        {"bytes never in UTF-8", "\xfe\xff", "\\xfe\\xff"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(sim::escaped(c.text), c.escaped);
        EXPECT_EQ(sim::quotedText(c.text), "\"" + c.escaped + "\"");
        EXPECT_EQ(sim::echoed(c.text), c.escaped);
    }
}

// A line of escaped texts: the same rule, but its backslashes and quotes are the texts' own.
TEST(EscapedTextTest, APrintableLineKeepsBackslashesAndQuotes) {
    EXPECT_EQ(sim::printable("set \"a\\\"b\": x\ny\xe2\x80\xae\xff"),
              "set \"a\\\"b\": x\\u000ay\\u202e\\xff");
}

// Echoed texts keep 400 bytes, quoted names 120, cut between characters; the note counts the
// bytes of the text left out.
TEST(EscapedTextTest, CutsFallBetweenCharactersAndCountTheBytesLeftOut) {
    const std::string x399(399, 'x');
    const Case cases[] = {
        {"400 bytes whole", std::string(400, 'x'), std::string(400, 'x')},
        {"one byte more", std::string(401, 'x'), std::string(400, 'x') + "... (1 more byte)"},
        {"a two-byte letter across the end", x399 + "\xc3\xa9yy", x399 + "... (4 more bytes)"},
        {"a control across the end, escaped before it", std::string(398, 'x') + "\"\xe2\x80\xae",
         std::string(398, 'x') + "\\\"... (3 more bytes)"},
        {"a letter ending at the limit", std::string(398, 'x') + "\xc3\xa9z",
         std::string(398, 'x') + "\xc3\xa9... (1 more byte)"},
        {"continuation bytes, each one shown", std::string(500, '\x80'),
         [] {
             std::string shown;
             for (int i = 0; i < 400; ++i) {
                 shown += "\\x80";
             }
             return shown + "... (100 more bytes)";
         }()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(sim::echoed(c.text), c.escaped);
    }
    EXPECT_EQ(sim::escaped(std::string(1000, 'x')), std::string(1000, 'x'));  // never cut
    EXPECT_EQ(sim::quotedText(std::string(1000, 'x')), '"' + std::string(1000, 'x') + '"');
    EXPECT_EQ(sim::quoted(std::string(120, 'n')), "\"" + std::string(120, 'n') + "\"");
    EXPECT_EQ(sim::quoted(std::string(119, 'n') + "\xe2\x80\xa8" + "m"),
              "\"" + std::string(119, 'n') + "\"... (4 more bytes)");
}

}  // namespace
