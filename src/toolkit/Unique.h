#pragma once
// One move-only owner for every kind of handle; a traits struct names the handle type, its empty
// value and how it is closed.
template <class Traits>
class TUnique {
public:
    using Handle = typename Traits::Handle;
    TUnique() = default;
    explicit TUnique(Handle h) : h_(h) {}
    TUnique(TUnique&& o) noexcept : h_(o.release()) {}
    TUnique& operator=(TUnique&& o) noexcept {
        reset(o.release());
        return *this;
    }
    TUnique(const TUnique&) = delete;
    TUnique& operator=(const TUnique&) = delete;
    ~TUnique() { reset(); }

    Handle get() const { return h_; }
    explicit operator bool() const { return h_ != Traits::Empty(); }
    Handle release() {
        Handle h = h_;
        h_ = Traits::Empty();
        return h;
    }
    void reset(Handle h = Traits::Empty()) {
        if (*this) Traits::Close(h_);
        h_ = h;
    }
    // For out-parameters: frees the old value first.
    Handle* put() {
        reset();
        return &h_;
    }

private:
    Handle h_ = Traits::Empty();
};
