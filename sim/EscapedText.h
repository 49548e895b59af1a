// The one way the runner echoes a text (a program's, a scenario's or a file's bytes) in its
// report and messages, so that every echoed text reads back unambiguously on one line:
//  - a backslash is written \\ and a double quote \";
//  - a control character (U+0000 to U+001F, U+007F, U+0080 to U+009F), a bidirectional control
//    (U+200E, U+200F, U+202A to U+202E, U+2066 to U+2069) and the line and paragraph separators
//    (U+2028, U+2029) are written \u and four lower-case hexadecimal digits ("\u000a");
//  - a byte that is not part of well-formed UTF-8 (an overlong form, a surrogate, a code point
//    above U+10FFFF, a stray continuation byte, a truncated sequence) is written \x and two
//    lower-case hexadecimal digits ("\xff");
//  - every other character stays as it is.
// A text that is cut is cut between two characters (a byte not part of well-formed UTF-8 counts
// as one), and "... (N more bytes)" follows, N the bytes of the text left out ("1 more byte").
#pragma once

#include <string>

namespace sim {

// `text` escaped by the rule above, whole.
std::string escaped(const std::string& text);

// `text` escaped and in double quotes, whole.
std::string quotedText(const std::string& text);

// A name from a scenario as messages quote it: quotedText of at most its first 120 bytes, cut
// as above.
std::string quoted(const std::string& name);

// A text of the program or the run (an event's, a fatal stop's, why a run did not complete):
// escaped, at most its first 400 bytes, cut as above.
std::string echoed(const std::string& text);

// A line made of texts already escaped (quoted names in their frame) as one line: the rule
// above but for backslashes and double quotes, which stay as they are (they belong to the
// escaped texts within). For report lines and messages.
std::string printable(const std::string& line);

}  // namespace sim
