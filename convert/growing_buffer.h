// A buffer that grows and never shrinks, and whose new room is not filled:
// reused from piece to piece, it costs nothing after the first.
#pragma once

#include <cstddef>
#include <memory>
#include <new>

namespace recodo {

template <typename T>
class GrowingBuffer {
 public:
  bool Reserve(std::size_t count) {
    if (count <= capacity_) return true;
    std::unique_ptr<T[]> bigger(new (std::nothrow) T[count]);
    if (!bigger) return false;
    data_ = std::move(bigger);
    capacity_ = count;
    return true;
  }
  T* data() { return data_.get(); }

 private:
  std::unique_ptr<T[]> data_;
  std::size_t capacity_ = 0;
};

}  // namespace recodo
