// A zeroed heap array freed when it goes, for the working memory of the
// picture code. (No std::vector: its length checks would bring the
// run-time's string and exception classes into the player.)
#pragma once

#include <cstddef>
#include <cstdlib>

template <typename T>
class Buffer {
public:
    // Null when memory runs out.
    explicit Buffer(size_t n) : data_(static_cast<T *>(std::calloc(n ? n : 1, sizeof(T)))) {}
    ~Buffer() { std::free(data_); }
    Buffer(const Buffer &) = delete;
    Buffer &operator=(const Buffer &) = delete;
    T *get() const { return data_; }
    T &operator[](size_t i) const { return data_[i]; }

private:
    T *data_;
};
