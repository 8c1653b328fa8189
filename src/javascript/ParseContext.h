#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace javascript {

// A point in the configuration text: 0-based line and byte offset; (-1, -1) for none.
struct SourcePosition {
    std::int32_t line = -1;
    std::int32_t index = -1;
};

enum class MessageSeverity : std::int32_t { Info = 0, Warning = 1, Error = 2 };

struct ParseMessage {
    SourcePosition position;
    std::string text;
    MessageSeverity severity;
};

// What the lexer and the parser report about one text, and its rendering for the user.
class ParseContext {
public:
    explicit ParseContext(std::string sourceName) : sourceName_(std::move(sourceName)) {}

    // The messages a rendering shows, and how many are kept to sort and show: a text of bad
    // bytes makes one message a byte, and nobody reads past the first screens of them.
    static constexpr std::size_t shownMessages = 100;
    static constexpr std::size_t keptMessages = 1000;

    // Any Error marks the whole parse as failed. Messages past keptMessages are only counted.
    void addMessage(std::string text, MessageSeverity severity, SourcePosition position = {});
    // Sorts the messages by position and renders the first shownMessages, one per line ending
    // in CR LF: Info messages alone, others as "<source>(<line>): error: <text>"; then, when
    // there were more, one line "<count> more messages.".
    const std::string& formatMessages();

    bool hasError() const { return hasError_; }
    const std::vector<ParseMessage>& messages() const { return messages_; }

private:
    std::vector<ParseMessage> messages_;
    std::string formatted_;
    std::string sourceName_;
    std::size_t dropped_ = 0;
    bool hasError_ = false;
};

} // namespace javascript
