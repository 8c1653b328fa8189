#include "javascript/ParseContext.h"

#include <algorithm>

namespace javascript {

void ParseContext::addMessage(std::string text, MessageSeverity severity, SourcePosition position) {
    messages_.push_back({position, std::move(text), severity});
    if (severity == MessageSeverity::Error)
        hasError_ = true;
}

const std::string& ParseContext::formatMessages() {
    // Stable, so that messages at one position keep the order in which they were found.
    std::stable_sort(messages_.begin(), messages_.end(),
                     [](const ParseMessage& a, const ParseMessage& b) {
                         return a.position.index < b.position.index;
                     });
    formatted_.clear();
    for (const ParseMessage& message : messages_) {
        if (message.severity != MessageSeverity::Info) {
            formatted_.append(sourceName_);
            if (message.position.line >= 0) {
                formatted_.append("(").append(std::to_string(message.position.line + 1));
                formatted_.append(")");
            }
            formatted_.append(": ");
            formatted_.append(message.severity == MessageSeverity::Warning ? "warning: "
                                                                           : "error: ");
        }
        formatted_.append(message.text).append("\r\n");
    }
    return formatted_;
}

} // namespace javascript
