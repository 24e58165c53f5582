#pragma once

#include <cstdint>
#include <utility>

namespace ubrof {

// Base of every object that the debug-record readers keep. The count starts
// at 0; the last CountedHandle to let go deletes the object through the
// virtual destructor. Copying an object does not copy its count.
class CountedObject {
public:
    CountedObject() = default;
    CountedObject(const CountedObject&) {}
    CountedObject& operator=(const CountedObject&) { return *this; }
    virtual ~CountedObject() = default;

    void AddReference() { ++referenceCount_; }
    void Release() {
        if (--referenceCount_ == 0) {
            delete this;
        }
    }
    int32_t ReferenceCount() const { return referenceCount_; }

private:
    int32_t referenceCount_ = 0;
};

// A one-pointer owning handle to a CountedObject; a null handle is allowed
// everywhere.
template <class T> class CountedHandle {
public:
    CountedHandle() = default;
    explicit CountedHandle(T* object) : object_(object) { Acquire(object_); }
    CountedHandle(const CountedHandle& other) : object_(other.object_) { Acquire(object_); }
    template <class U> CountedHandle(const CountedHandle<U>& other) : object_(other.get()) {
        Acquire(object_);
    }
    CountedHandle(CountedHandle&& other) noexcept
        : object_(std::exchange(other.object_, nullptr)) {}
    ~CountedHandle() { Drop(object_); }

    CountedHandle& operator=(const CountedHandle& other) { return Assign(other.object_); }
    CountedHandle& operator=(T* object) { return Assign(object); }
    CountedHandle& operator=(CountedHandle&& other) noexcept {
        if (this != &other) {
            T* old = std::exchange(object_, std::exchange(other.object_, nullptr));
            Drop(old);
        }
        return *this;
    }

    T* get() const { return object_; }
    T* operator->() const { return object_; }
    T& operator*() const { return *object_; }
    explicit operator bool() const { return object_ != nullptr; }

private:
    // The new reference is taken before the old one goes, so assigning a
    // handle whose object is reachable only through the old one stays safe.
    CountedHandle& Assign(T* object) {
        if (object != object_) {
            Acquire(object);
            T* old = std::exchange(object_, object);
            Drop(old);
        }
        return *this;
    }
    static void Acquire(T* object) {
        if (object != nullptr) {
            object->AddReference();
        }
    }
    static void Drop(T* object) {
        if (object != nullptr) {
            object->Release();
        }
    }

    T* object_ = nullptr;
};

} // namespace ubrof
