// Test data that ends right before an inaccessible region, so a read past its end faults at once,
// even from code no sanitizer instruments (the system's libjpeg). The region is larger than any
// single JPEG segment (64 KiB), so a skip over a whole damaged segment lands inside it too.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace marvolet::testing {

class GuardedBuffer {
 public:
  GuardedBuffer(const unsigned char* bytes, size_t size) : size_(size) {
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    const size_t dataPages = (size + page - 1) / page;
    const size_t guardSize = ((GuardBytes + page - 1) / page) * page;
    mappedSize_ = dataPages * page + guardSize;
    void* base =
        mmap(nullptr, mappedSize_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED) return;
    base_ = static_cast<unsigned char*>(base);
    unsigned char* guard = base_ + dataPages * page;
    mprotect(guard, guardSize, PROT_NONE);
    data_ = guard - size;
    if (size > 0) std::memcpy(data_, bytes, size);
  }
  ~GuardedBuffer() {
    if (base_ != nullptr) munmap(base_, mappedSize_);
  }
  GuardedBuffer(const GuardedBuffer&) = delete;
  GuardedBuffer& operator=(const GuardedBuffer&) = delete;

  bool ok() const { return base_ != nullptr; }
  const unsigned char* data() const { return data_; }
  int32_t size() const { return static_cast<int32_t>(size_); }

 private:
  static constexpr size_t GuardBytes = size_t{1} << 20;
  unsigned char* base_ = nullptr;
  unsigned char* data_ = nullptr;
  size_t size_;
  size_t mappedSize_ = 0;
};

}  // namespace marvolet::testing
