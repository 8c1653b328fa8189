#pragma once

#include <memory>
#include <typeinfo>

// A type-erased payload of one of a few value types. Copies share the payload. Reading it as
// another type than it holds, or reading an empty variant, throws std::bad_cast.
class Variant {
public:
    Variant() = default;
    template <typename T>
    explicit Variant(T value) : impl_(std::make_shared<VariantImpl<T>>(std::move(value))) {}
    virtual ~Variant() = default;

    template <typename T>
    const T& get() const {
        const auto* impl = dynamic_cast<const VariantImpl<T>*>(impl_.get());
        if (impl == nullptr)
            throw std::bad_cast();
        return impl->value;
    }

private:
    struct AbstractVariantImpl {
        virtual ~AbstractVariantImpl() = default;
    };

    template <typename T>
    struct VariantImpl final : AbstractVariantImpl {
        explicit VariantImpl(T v) : value(std::move(v)) {}
        T value;
    };

    std::shared_ptr<const AbstractVariantImpl> impl_;
};
