#pragma once
// A typed pointer to a node: constructed from any node pointer, it holds the
// node when the node implements T and is empty otherwise. Using an empty one
// raises a logical-error exception instead of crashing.

#include "GenApi/GenICamException.h"
#include "GenApi/Interfaces.h"

namespace GenApi {

template <class T>
class CPointer {
public:
    CPointer() = default;
    CPointer(T* p) : m_pT(p) {}  // NOLINT: implicit like a raw pointer
    template <class U>
    CPointer(U* p) : m_pT(dynamic_cast<T*>(p)) {}  // NOLINT
    template <class U>
    CPointer(const CPointer<U>& other) : m_pT(dynamic_cast<T*>(other.GetPointer())) {}  // NOLINT

    template <class U>
    CPointer& operator=(U* p) {
        m_pT = dynamic_cast<T*>(p);
        return *this;
    }
    CPointer& operator=(T* p) {
        m_pT = p;
        return *this;
    }

    T* operator->() const {
        Check();
        return m_pT;
    }
    T& operator*() const {
        Check();
        return *m_pT;
    }
    operator T*() const { return m_pT; }  // NOLINT
    T* GetPointer() const { return m_pT; }
    bool IsValid() const { return m_pT != nullptr; }
    void Release() { m_pT = nullptr; }

private:
    void Check() const {
        if (m_pT == nullptr) {
            GENICAM_RAISE(LogicalErrorException, "NULL poiner dereferenced");
        }
    }
    T* m_pT = nullptr;
};

using CNodePtr = CPointer<INode>;
using CValuePtr = CPointer<IValue>;
using CCategoryPtr = CPointer<ICategory>;
using CIntegerPtr = CPointer<IInteger>;
using CFloatPtr = CPointer<IFloat>;
using CBooleanPtr = CPointer<IBoolean>;
using CStringPtr = CPointer<IString>;
using CRegisterPtr = CPointer<IRegister>;
using CEnumerationPtr = CPointer<IEnumeration>;
using CEnumEntryPtr = CPointer<IEnumEntry>;
using CCommandPtr = CPointer<ICommand>;
using CPortPtr = CPointer<IPort>;

}  // namespace GenApi
