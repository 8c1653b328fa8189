#pragma once

#include <string>
#include <typeinfo>
#include <utility>
#include <variant>

// The payload of a value: a boolean, a number, a string or nothing. It is held in place, so a
// value costs one allocation. Reading it as another type than it holds, or reading an empty
// variant, throws std::bad_cast.
class Variant {
public:
    Variant() = default;
    template <typename T>
    explicit Variant(T value) : payload_(std::in_place_type<T>, std::move(value)) {}
    virtual ~Variant() = default;

    template <typename T>
    const T& get() const {
        const T* value = std::get_if<T>(&payload_);
        if (value == nullptr)
            throw std::bad_cast();
        return *value;
    }

    // The same payload: the same type and value, or both empty.
    friend bool operator==(const Variant& a, const Variant& b) { return a.payload_ == b.payload_; }

private:
    std::variant<std::monostate, bool, double, std::string> payload_;
};
