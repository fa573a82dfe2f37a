#include "zentrik/asn1/BackwardBuffer.h"

#include <algorithm>

namespace Ostrel {

void BackwardBuffer::grow(std::size_t count) {
    const std::size_t size = written();
    const std::size_t capacity = std::max(2 * static_cast<std::size_t>(end_ - begin_), size + count);
    auto larger = std::make_unique_for_overwrite<unsigned char[]>(capacity);
    unsigned char* end = larger.get() + capacity;
    std::memcpy(end - size, front_, size);
    heap_ = std::move(larger);
    begin_ = heap_.get();
    end_ = end;
    front_ = end - size;
}

}  // namespace Ostrel
