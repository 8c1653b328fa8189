#include "javascript/Value.h"

#include <stdexcept>

namespace javascript {

void Object::set(const std::string& name, std::shared_ptr<Value> value) {
    members_.emplace_back(name, std::move(value));
    index_[name] = static_cast<std::uint32_t>(members_.size() - 1);
}

std::shared_ptr<Value> Object::get(const std::string& name) const {
    const auto found = index_.find(name);
    if (found == index_.end())
        throw std::out_of_range("key '" + name + "' does not exist.");
    return members_[found->second].second;
}

std::shared_ptr<Value> Object::memberAt(std::size_t position) const {
    if (position >= members_.size())
        throw std::out_of_range("member " + std::to_string(position) + " does not exist.");
    return members_[position].second;
}

std::shared_ptr<Value> Array::at(std::size_t position) const {
    if (position >= elements_.size())
        throw std::out_of_range("element " + std::to_string(position) + " does not exist.");
    return elements_[position];
}

} // namespace javascript
