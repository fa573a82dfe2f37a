#pragma once
#include <atomic>
#include <cstddef>
#include <utility>

namespace Velmora {

namespace detail {
/// The count block shared by every handle of one object, whatever the handle's pointer type.
struct SmartPointerBlock {
    explicit SmartPointerBlock(long initial) : count(initial) {}
    virtual ~SmartPointerBlock() = default;
    virtual void destroyObject() = 0;
    std::atomic<long> count;
};
}  // namespace detail

/// Shared owner of a heap object. The count block holds a signed count whose magnitude is the number
/// of handles; a negative count marks an object the handles do not own (it is never deleted).
/// Counting is atomic, so handles may be copied and released on several threads at once.
template <typename T>
class SmartPointer {
  public:
    /// How an owned object is deleted; null means `delete`.
    using Deleter = void (*)(T*);

    /// An empty handle.
    SmartPointer() = default;
    /// Takes `object` over (deleted with `deleter` when the last handle goes), or, with `owned` false,
    /// only points at it (never deleted; the caller keeps it alive). Allocates the count block.
    explicit SmartPointer(T* object, Deleter deleter = nullptr, bool owned = true)

        : object_(object), block_(object ? new Block(object, deleter, owned ? 1 : -1) : nullptr) {}
    /// Another handle of the same object (a handle of a derived type converts).
    /// @{
    SmartPointer(const SmartPointer& other) noexcept : object_(other.object_), block_(other.block_) {

        acquire();
    }
    SmartPointer(SmartPointer&& other) noexcept
        : object_(std::exchange(other.object_, nullptr)), block_(std::exchange(other.block_, nullptr)) {}
    template <typename U>
    SmartPointer(const SmartPointer<U>& other) noexcept : object_(other.object_), block_(other.block_) {
        acquire();
    }
    SmartPointer& operator=(SmartPointer other) noexcept {
        std::swap(object_, other.object_);
        std::swap(block_, other.block_);
        return *this;
    }
    /// @}
    /// Releases this handle; the last handle of an owned object deletes it.
    ~SmartPointer() { release(); }

    /// The object, or null; it lives as long as a handle does.
    /// @{
    T* get() const { return object_; }
    T* operator->() const { return object_; }
    T& operator*() const { return *object_; }
    /// @}
    /// Whether the handle points at an object, or at none.
    /// @{
    explicit operator bool() const { return object_ != nullptr; }
    bool isNull() const { return object_ == nullptr; }
    /// @}

    /// The signed count: handles sharing the object, negative when the object is not owned.
    long useCount() const { return block_ ? block_->count.load() : 0; }
    /// Releases this handle; it is empty afterwards.
    void reset() { SmartPointer().swap(*this); }
    /// Exchanges the objects of two handles.
    void swap(SmartPointer& other) noexcept {

        std::swap(object_, other.object_);
        std::swap(block_, other.block_);
    }
    /// Whether both handles point at the same object.
    bool operator==(const SmartPointer& other) const { return object_ == other.object_; }


  private:
    template <typename U>
    friend class SmartPointer;
    struct Block : detail::SmartPointerBlock {
        Block(T* o, Deleter d, long initial) : SmartPointerBlock(initial), object(o), deleter(d) {}
        void destroyObject() override {
            if (deleter)
                deleter(object);
            else
                delete object;
        }
        T* object;
        Deleter deleter;
    };

    void acquire() {
        if (!block_) return;
        if (block_->count.load(std::memory_order_relaxed) > 0)
            block_->count.fetch_add(1, std::memory_order_relaxed);
        else
            block_->count.fetch_sub(1, std::memory_order_relaxed);
    }
    void release() {
        if (!block_) return;
        const bool owned = block_->count.load(std::memory_order_relaxed) > 0;
        const long left = owned ? block_->count.fetch_sub(1, std::memory_order_acq_rel) - 1
                                : -(block_->count.fetch_add(1, std::memory_order_acq_rel) + 1);
        if (left == 0) {
            if (owned) block_->destroyObject();
            delete block_;
        }
        block_ = nullptr;
        object_ = nullptr;
    }

    T* object_ = nullptr;
    detail::SmartPointerBlock* block_ = nullptr;
};

}  // namespace Velmora
