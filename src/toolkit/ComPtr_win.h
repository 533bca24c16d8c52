#pragma once
// An owned reference to a COM interface, released on every path.
#include <unknwn.h>

#include "toolkit/Unique.h"

template <class T>
struct TComTraits {
    using Handle = T*;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { h->Release(); }
};

template <class T>
class TComPtr : public TUnique<TComTraits<T>> {
public:
    using TUnique<TComTraits<T>>::TUnique;
    T* operator->() const { return this->get(); }
    // For QueryInterface and the like, which write a void*.
    void** PutVoid() { return reinterpret_cast<void**>(this->put()); }
};
