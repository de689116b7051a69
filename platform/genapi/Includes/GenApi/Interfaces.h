#pragma once
// The interfaces through which callers see the nodes of a node map. A node
// implements INode and the interface of its kind; callers reach the kind with
// CPointer (a checked dynamic cast).

#include <cstdint>

#include "GenApi/Types.h"

namespace GenApi {

class IBase {
public:
    virtual ~IBase() = default;
    virtual EAccessMode GetAccessMode() const = 0;
};

// Bound to the transport by the application; the node map reads and writes
// the device's registers only through it.
class IPort : virtual public IBase {
public:
    virtual void Read(void* buffer, int64_t address, int64_t length) = 0;
    virtual void Write(const void* buffer, int64_t address, int64_t length) = 0;
};

class INode : virtual public IBase {
public:
    // The node's name; with fullQualified the name space prefix ("Std::" or
    // "Cust::") is put in front.
    virtual gcstring GetName(bool fullQualified = false) const = 0;
    virtual ENameSpace GetNameSpace() const = 0;
    virtual EVisibility GetVisibility() const = 0;
    virtual ECachingMode GetCachingMode() const = 0;
    virtual gcstring GetToolTip() const = 0;
    virtual gcstring GetDescription() const = 0;
    virtual gcstring GetDisplayName() const = 0;
    virtual gcstring GetEventID() const = 0;
    virtual bool IsStreamable() const = 0;
    virtual EInterfaceType GetPrincipalInterfaceType() const = 0;
    // The nodes this one is built on (its pValue, pMin, pVariable... targets).
    virtual void GetChildren(NodeList_t& children) const = 0;
    // Drops the cached bytes of the registers this node reads.
    virtual void InvalidateNode() = 0;
};

class IValue : virtual public INode {
public:
    virtual INode* GetNode() = 0;
    virtual gcstring ToString(bool verify = false, bool ignoreCache = false) = 0;
    virtual void FromString(const gcstring& value, bool verify = true) = 0;
};

class ICategory : virtual public IValue {
public:
    virtual void GetFeatures(FeatureList_t& features) const = 0;
};

class IInteger : virtual public IValue {
public:
    virtual void SetValue(int64_t value, bool verify = true) = 0;
    virtual int64_t GetValue(bool verify = false, bool ignoreCache = false) = 0;
    virtual int64_t GetMin() = 0;
    virtual int64_t GetMax() = 0;
    virtual int64_t GetInc() = 0;
    virtual ERepresentation GetRepresentation() = 0;
    virtual gcstring GetUnit() const = 0;
};

class IFloat : virtual public IValue {
public:
    virtual void SetValue(double value, bool verify = true) = 0;
    virtual double GetValue(bool verify = false, bool ignoreCache = false) = 0;
    virtual double GetMin() = 0;
    virtual double GetMax() = 0;
    virtual bool HasInc() = 0;
    virtual double GetInc() = 0;
    virtual ERepresentation GetRepresentation() = 0;
    virtual gcstring GetUnit() const = 0;
    virtual EDisplayNotation GetDisplayNotation() const = 0;
    virtual int64_t GetDisplayPrecision() const = 0;
};

class IBoolean : virtual public IValue {
public:
    virtual void SetValue(bool value, bool verify = true) = 0;
    virtual bool GetValue(bool verify = false, bool ignoreCache = false) = 0;
};

class IString : virtual public IValue {
public:
    virtual void SetValue(const gcstring& value, bool verify = true) = 0;
    virtual gcstring GetValue(bool verify = false, bool ignoreCache = false) = 0;
    virtual int64_t GetMaxLength() = 0;
};

class IRegister : virtual public IValue {
public:
    virtual void Set(const uint8_t* buffer, int64_t length, bool verify = true) = 0;
    virtual void Get(uint8_t* buffer, int64_t length, bool verify = false,
                     bool ignoreCache = false) = 0;
    virtual int64_t GetLength() = 0;
    virtual int64_t GetAddress() = 0;
};

class IEnumEntry : virtual public IValue {
public:
    virtual int64_t GetValue() = 0;
    virtual gcstring GetSymbolic() const = 0;
    virtual double GetNumericValue() = 0;
    virtual bool IsSelfClearing() = 0;
};

class IEnumeration : virtual public IValue {
public:
    // The symbolic names of the entries that are implemented, in file order.
    virtual void GetSymbolics(StringList_t& symbolics) = 0;
    // The entry nodes that are implemented, in file order.
    virtual void GetEntries(NodeList_t& entries) = 0;
    virtual void SetIntValue(int64_t value, bool verify = true) = 0;
    virtual int64_t GetIntValue(bool verify = false, bool ignoreCache = false) = 0;
    // The entry of that symbolic name, or null.
    virtual IEnumEntry* GetEntryByName(const gcstring& symbolic) = 0;
    // The entry of that value, or null.
    virtual IEnumEntry* GetEntry(int64_t value) = 0;
    // The entry of the current value, or null when none matches it.
    virtual IEnumEntry* GetCurrentEntry(bool verify = false, bool ignoreCache = false) = 0;
};

class ICommand : virtual public IValue {
public:
    virtual void Execute(bool verify = true) = 0;
    virtual bool IsDone(bool verify = true) = 0;
};

// The loaded graph. CNodeMapRef is the usual way to reach it.
class INodeMap {
public:
    virtual ~INodeMap() = default;
    virtual void GetNodes(NodeList_t& nodes) const = 0;
    virtual INode* GetNode(const gcstring& name) const = 0;
    // Binds a port to the Port node of that name; false when there is none.
    virtual bool Connect(IPort* port, const gcstring& portName) = 0;
    virtual gcstring GetDeviceName() const = 0;
    // Drops every cached register value.
    virtual void InvalidateNodes() = 0;
    // Tells the map that this much time has passed, so that registers whose
    // PollingTime expired are read again.
    virtual void Poll(int64_t elapsedMilliseconds) = 0;
};

}  // namespace GenApi
