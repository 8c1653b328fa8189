#pragma once

#include <functional>

namespace util {

// A value with an optional getter that computes it and an optional setter that stores it.
template <typename T>
class ReadOnlyProperty {
public:
    using Getter = std::function<T(ReadOnlyProperty&)>;
    using Setter = std::function<void(ReadOnlyProperty&, T)>;

    explicit ReadOnlyProperty(T value = T(), Getter getter = {}, Setter setter = {})
        : value_(std::move(value)), getter_(std::move(getter)), setter_(std::move(setter)) {}
    virtual ~ReadOnlyProperty() = default;

    virtual T& get() { return value_; }
    virtual const T& get() const { return value_; }
    // The getter's result, or a copy of the stored value.
    virtual T value() { return getter_ ? getter_(*this) : value_; }

protected:
    T value_;
    Getter getter_;
    Setter setter_;
};

template <typename T>
class Property : public ReadOnlyProperty<T> {
public:
    using ReadOnlyProperty<T>::ReadOnlyProperty;

    // Hands a copy to the setter, which stores it itself, or stores it directly.
    virtual void set(const T& value) {
        if (this->setter_)
            this->setter_(*this, value);
        else
            this->value_ = value;
    }
    Property& operator=(const T& value) {
        set(value);
        return *this;
    }
};

} // namespace util
