#pragma once

#include "javascript/Variant.h"
#include "util/SharedPtrProvider.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace javascript {

// A node of the configuration's value tree. Objects and arrays have no payload; booleans,
// numbers and strings carry theirs as a Variant.
class Value : public Variant, public SharedPtrProvider<Value> {
public:
    using Variant::Variant;
};

// Named members in insertion order. A name added twice keeps both members; lookups by name
// find the later one.
class Object : public Value {
public:
    using Value::get; // the payload access, which get(name) would hide

    void set(std::string name, std::shared_ptr<Value> value);
    // Room for `count` members, for a reader that counted them first.
    void reserve(std::size_t count) { members_.reserve(count); }
    // Throws std::out_of_range("key '<name>' does not exist.") when the name is missing.
    std::shared_ptr<Value> get(const std::string& name) const;
    std::size_t memberCount() const { return members_.size(); }
    // Both throw std::out_of_range past the last member.
    std::shared_ptr<Value> memberAt(std::size_t position) const;
    const std::string& nameAt(std::size_t position) const;

private:
    // A configuration's objects have a few members each, which a scan finds fastest; an object
    // with more gets an index, so that building or searching it never takes quadratic time.
    static constexpr std::size_t scannedMembers = 8;

    using Member = std::pair<std::string, std::shared_ptr<Value>>;
    const Member& member(std::size_t position) const;

    using Index = std::unordered_map<std::string, std::uint32_t>;

    std::vector<Member> members_;
    std::unique_ptr<Index> index_; // null while the scan is used, which keeps objects small
};

// An array is an object whose content is its elements; it never has named members.
class Array : public Object {
public:
    void push(std::shared_ptr<Value> value) { elements_.push_back(std::move(value)); }
    // Room for `count` elements; an array has no members to make room for.
    void reserve(std::size_t count) { elements_.reserve(count); }
    // Throws std::out_of_range past the last element.
    std::shared_ptr<Value> at(std::size_t position) const;
    std::size_t size() const { return elements_.size(); }
    const std::vector<std::shared_ptr<Value>>& elements() const { return elements_; }

private:
    std::vector<std::shared_ptr<Value>> elements_;
};

class Primitive : public Value {
public:
    using Value::Value;
};

class Boolean : public Primitive {
public:
    explicit Boolean(bool value) : Primitive(value) {}
};

class Number : public Primitive {
public:
    explicit Number(double value) : Primitive(value) {}
};

class String : public Primitive {
public:
    explicit String(std::string value) : Primitive(std::move(value)) {}
};

// Whether two trees hold the same: values of the same kind and payload, objects with the same
// names in the same order, arrays with the same elements. Two nulls are the same.
bool sameTree(const std::shared_ptr<Value>& a, const std::shared_ptr<Value>& b);

} // namespace javascript
