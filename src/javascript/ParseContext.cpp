#include "javascript/ParseContext.h"

#include <algorithm>
#include <span>

namespace javascript {

void ParseContext::addMessage(std::string text, MessageSeverity severity, SourcePosition position) {
    if (messages_.size() < keptMessages)
        messages_.push_back({position, std::move(text), severity});
    else
        ++dropped_;
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
    std::size_t shown = std::min(messages_.size(), shownMessages);
    for (const ParseMessage& message : std::span(messages_).first(shown)) {
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
    if (std::size_t more = messages_.size() - shown + dropped_; more > 0)
        formatted_.append(std::to_string(more)).append(" more messages.\r\n");
    return formatted_;
}

} // namespace javascript
