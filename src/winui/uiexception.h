#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace winui {

// A failure of the window framework: the message, and the desktop's error code at the failure.
class uiexception : public std::exception {
public:
    uiexception(std::string message, std::uint32_t error)
        : message(std::move(message)), error(error) {}

    const char* what() const noexcept override { return message.c_str(); }

    std::string message;
    std::uint32_t error;
};

} // namespace winui
