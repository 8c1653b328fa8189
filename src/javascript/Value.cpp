#include "javascript/Value.h"

#include <stdexcept>
#include <typeinfo>

namespace javascript {

// Indexes every member when the object outgrows the scan, and each later one as it comes; a
// later duplicate takes over the name.
void Object::set(std::string name, std::shared_ptr<Value> value) {
    members_.emplace_back(std::move(name), std::move(value));
    if (members_.size() <= scannedMembers)
        return;
    std::size_t first = members_.size() - 1;
    if (!index_) {
        index_ = std::make_unique<Index>();
        first = 0;
    }
    for (std::size_t i = first; i < members_.size(); ++i)
        (*index_)[members_[i].first] = static_cast<std::uint32_t>(i);
}

// The scan runs from the back, so that it finds the later of two members with one name.
std::shared_ptr<Value> Object::get(const std::string& name) const {
    if (index_) {
        if (const auto found = index_->find(name); found != index_->end())
            return members_[found->second].second;
    } else {
        for (auto member = members_.rbegin(); member != members_.rend(); ++member)
            if (member->first == name)
                return member->second;
    }
    throw std::out_of_range("key '" + name + "' does not exist.");
}

std::shared_ptr<Value> Object::memberAt(std::size_t position) const {
    return member(position).second;
}

const std::string& Object::nameAt(std::size_t position) const {
    return member(position).first;
}

const Object::Member& Object::member(std::size_t position) const {
    if (position >= members_.size())
        throw std::out_of_range("member " + std::to_string(position) + " does not exist.");
    return members_[position];
}

std::shared_ptr<Value> Array::at(std::size_t position) const {
    if (position >= elements_.size())
        throw std::out_of_range("element " + std::to_string(position) + " does not exist.");
    return elements_[position];
}

namespace {

bool sameMembers(const Object& a, const Object& b) {
    if (a.memberCount() != b.memberCount())
        return false;
    for (std::size_t i = 0; i < a.memberCount(); ++i)
        if (a.nameAt(i) != b.nameAt(i) || !sameTree(a.memberAt(i), b.memberAt(i)))
            return false;
    return true;
}

bool sameElements(const Array& a, const Array& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!sameTree(a.at(i), b.at(i)))
            return false;
    return true;
}

} // namespace

bool sameTree(const std::shared_ptr<Value>& a, const std::shared_ptr<Value>& b) {
    if (!a || !b)
        return !a && !b;
    const Value& first = *a;
    const Value& second = *b;
    if (typeid(first) != typeid(second) || !(static_cast<const Variant&>(first) == second))
        return false;
    if (const auto* array = dynamic_cast<const Array*>(a.get()))
        return sameElements(*array, static_cast<const Array&>(*b));
    if (const auto* object = dynamic_cast<const Object*>(a.get()))
        return sameMembers(*object, static_cast<const Object&>(*b));
    return true;
}

} // namespace javascript
