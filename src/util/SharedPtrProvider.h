#pragma once

// Marks a class whose objects are only ever handled through std::shared_ptr. It has no members;
// the name documents ownership where the class is declared.
template <typename T>
class SharedPtrProvider {
protected:
    SharedPtrProvider() = default;
    ~SharedPtrProvider() = default;
};
