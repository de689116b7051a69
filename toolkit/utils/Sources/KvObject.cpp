#include "KvObject.h"

#include <cstdlib>
#include <new>

void* KvObject::operator new(size_t size) {
    if (void* block = std::malloc(size ? size : 1)) {
        return block;
    }
    throw std::bad_alloc();
}

void KvObject::operator delete(void* block) noexcept { std::free(block); }

void* KvObject::operator new[](size_t size) { return KvObject::operator new(size); }

void KvObject::operator delete[](void* block) noexcept { KvObject::operator delete(block); }
