#pragma once
// Base of the objects that cross the toolkit boundary (cameras, grabbers,
// devices). Such objects are allocated and freed by the toolkit's own
// operators, so a module that creates one and a program that deletes it agree
// on the heap even when they were built apart.

#include <cstddef>

class KvObject {
public:
    virtual ~KvObject() = default;

    static void* operator new(size_t size);
    static void operator delete(void* block) noexcept;
    static void* operator new[](size_t size);
    static void operator delete[](void* block) noexcept;
};
