#pragma once

#include <string>
#include <string_view>

namespace util::log {

// Appends `message` to `line` as the log shows it, so that no text from outside (a file name, a
// counter path, another program's error text) can pass for a line of the log's own or steer a
// terminal. A line end of the message (CR LF) becomes `lineBreak`, which starts a continuation
// line, except at its end; any other control character is escaped, as \t, \n, \r or \xNN, and
// so are the C1 controls and the line and paragraph separators of UTF-8 text, as \uNNNN.
void appendLogText(std::string& line, std::string_view message, std::string_view lineBreak);

// Another program's text to be quoted inside a message, its line ends escaped too, so that it
// stays on the message's line.
std::string quotedText(std::string_view text);

} // namespace util::log
