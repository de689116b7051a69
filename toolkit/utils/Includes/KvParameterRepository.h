#pragma once
// Named, typed parameters with ranges, enumerations, attributes and change
// tracking: the settings store of every device, camera and configuration.
//
// A parameter is reached three ways: by name (a `const KvString&` argument),
// by identifier (a `uint32_t` argument) or by its position in registration
// order (the functions whose names end in `ByIndex`). A base class that adds
// its parameters first with identifiers 0, 1, 2, ... (or with automatic
// identifiers) gets index and identifier equal for them.
//
// A derived class that overrides one of the virtual GetParameter or
// SetParameter overloads adds `using KvParameterRepository::GetParameter;`
// (or SetParameter) so that the other overloads stay visible.
//
// Threads: every call is safe from any thread. The repository holds one lock
// for its own data and never holds it while running a hook, so hooks may call
// back into the repository (read or write other parameters, change ranges).

#include <concepts>
#include <cstdint>
#include <limits>
#include <memory>
#include <type_traits>
#include <vector>

#include "KvErrorInterface.h"
#include "KvObject.h"
#include "KvString.h"

// Type codes of parameters; other code stores and compares these numbers.
namespace KvParameterType {
inline constexpr uint32_t TEXT = 0;
inline constexpr uint32_t INT64 = 1;
inline constexpr uint32_t DOUBLE = 2;
inline constexpr uint32_t BOOL = 3;  // an integer restricted to 0 and 1
inline constexpr uint32_t ENUM = 4;  // a 64-bit integer with named entries
inline constexpr uint32_t UINT8 = 5;
inline constexpr uint32_t INT8 = 6;
inline constexpr uint32_t UINT16 = 7;
inline constexpr uint32_t INT16 = 8;
inline constexpr uint32_t UINT32 = 9;
inline constexpr uint32_t INT32 = 10;
inline constexpr uint32_t UINT64 = 11;
inline constexpr uint32_t FLOAT = 12;
inline constexpr uint32_t UNKNOWN = 13;  // answer of GetParameterType for a name that is not there
}  // namespace KvParameterType

// Readable name of a type code ("text", "int64", "double", "bool", "enum",
// "uint8", ...), as written into XML files; "unknown" for other codes.
const char* KvParameterTypeName(uint32_t type);
// The type code of such a name, KvParameterType::UNKNOWN when it is none.
uint32_t KvParameterTypeFromName(std::string_view name);

// Identifier argument of AddParameter that lets the repository choose.
inline constexpr uint32_t KV_PARAMETER_AUTO_ID = 0xFFFFFFFF;
// Attribute bit: the parameter refuses writes while read-only checking is on.
// Every other attribute bit is stored and returned unchanged.
inline constexpr uint32_t KV_ATTRIBUTE_READ_ONLY = 0x01;

struct KvEnumEntry {
    KvString m_sName;
    int64_t m_nValue = 0;
};

// A snapshot of everything known about one parameter; numbers in their text
// form (the same form GetParameter with a KvString gives). Minimum, maximum
// and increment are empty for text parameters.
struct KvParameterInfo {
    uint32_t m_nIndex = 0;
    uint32_t m_nIdentifier = 0;
    uint32_t m_nType = KvParameterType::UNKNOWN;
    uint32_t m_nAttributes = 0;
    KvString m_sName;
    KvString m_sDescription;
    KvString m_sGroup;
    KvString m_sValue;
    KvString m_sDefault;
    KvString m_sMinimum;
    KvString m_sMaximum;
    KvString m_sIncrement;
    std::vector<KvEnumEntry> m_Entries;
    bool m_bChanged = false;
};

// The C++ types a value can be read into or written from.
template <typename T>
concept KvParameterScalar = std::same_as<T, bool> || std::same_as<T, float> ||
    std::same_as<T, double> ||
    (std::integral<T> && (sizeof(T) == 1 || sizeof(T) == 2 || sizeof(T) == 4 || sizeof(T) == 8));
template <typename T>
concept KvParameterValue = KvParameterScalar<T> || std::same_as<T, KvString>;

class KvParameterRepository : public KvErrorInterface, public KvObject {
public:
    KvParameterRepository();
    ~KvParameterRepository() override;
    KvParameterRepository(const KvParameterRepository&) = delete;
    KvParameterRepository& operator=(const KvParameterRepository&) = delete;

    // Identity of the repository itself (shown by configuration pages, used
    // to find its section in XML files).
    void SetRepositoryName(const KvString& name);
    KvString GetRepositoryName() const;
    void SetRepositoryIdentifier(uint32_t id);
    uint32_t GetRepositoryIdentifier() const;
    void SetRepositoryGroup(const KvString& group);
    KvString GetRepositoryGroup() const;

    // ---- registration ----------------------------------------------------
    // Adds a parameter whose value and default start at zero (empty text),
    // with the full range of its type and no attributes. With id
    // KV_PARAMETER_AUTO_ID the repository takes the lowest unused identifier
    // not below the current parameter count. Fails with 18 for an empty or
    // duplicate name, a duplicate identifier or an unknown type.
    KvResult AddParameter(const KvString& name, uint32_t type, uint32_t id = KV_PARAMETER_AUTO_ID,
                          const KvString& description = KvString());
    // Adds a named entry to an integer parameter (usually of type ENUM). The
    // value must lie in the parameter's range; names and values are unique.
    // Once a parameter has entries, only their values can be set.
    KvResult AddEnumParameterValue(const KvString& name, const KvString& entry, int64_t value);
    KvResult AddEnumParameterValue(uint32_t id, const KvString& entry, int64_t value);

    KvResult SetParameterDescription(const KvString& name, const KvString& description);
    KvResult SetParameterDescription(uint32_t id, const KvString& description);
    // The group decides the sub-element a persistent repository saves the
    // parameter in (when it groups its parameters); empty means none.
    KvResult SetParameterGroup(const KvString& name, const KvString& group);
    KvResult SetParameterGroup(uint32_t id, const KvString& group);

    // Ranges, increments and defaults take and give any number type; they are
    // converted to the parameter's type. A range must lie within the limits
    // of the type (18 otherwise) and min must not exceed max. The current
    // value is left as it is when a new range excludes it. Reading a range
    // into a narrower type saturates.
    template <typename A, typename B>
    requires KvParameterScalar<A> && KvParameterScalar<B> KvResult SetParameterRange(uint32_t id,
                                                                                     A min, B max) {
        return SetRange(Key::ById(id), Number::Of(min), Number::Of(max));
    }
    template <typename A, typename B>
    requires KvParameterScalar<A> && KvParameterScalar<B> KvResult
    SetParameterRange(const KvString& name, A min, B max) {
        return SetRange(Key::ByName(name), Number::Of(min), Number::Of(max));
    }
    template <KvParameterScalar T>
    KvResult GetParameterRange(uint32_t id, T& min, T& max) const {
        return GetRangeAs(Key::ById(id), min, max);
    }
    template <KvParameterScalar T>
    KvResult GetParameterRange(const KvString& name, T& min, T& max) const {
        return GetRangeAs(Key::ByName(name), min, max);
    }
    // The step a user interface offers; 0 (the start) means none.
    template <KvParameterScalar T>
    KvResult SetParameterIncrement(uint32_t id, T increment) {
        return SetIncrement(Key::ById(id), Number::Of(increment));
    }
    template <KvParameterScalar T>
    KvResult SetParameterIncrement(const KvString& name, T increment) {
        return SetIncrement(Key::ByName(name), Number::Of(increment));
    }
    template <KvParameterScalar T>
    KvResult GetParameterIncrement(uint32_t id, T& increment) const {
        return GetIncrementAs(Key::ById(id), increment);
    }
    template <KvParameterScalar T>
    KvResult GetParameterIncrement(const KvString& name, T& increment) const {
        return GetIncrementAs(Key::ByName(name), increment);
    }
    // Sets the default and, as registration goes, the current value too,
    // without hooks and without raising the changed flag. The default is
    // checked like a value (type, range, entries).
    template <KvParameterValue T>
    KvResult SetParameterDefault(uint32_t id, const T& value) {
        return SetDefault(Key::ById(id), In(value));
    }
    template <KvParameterValue T>
    KvResult SetParameterDefault(const KvString& name, const T& value) {
        return SetDefault(Key::ByName(name), In(value));
    }
    KvResult SetParameterDefault(uint32_t id, const char* value) {
        return SetParameterDefault(id, KvString(value));
    }
    KvResult SetParameterDefault(const KvString& name, const char* value) {
        return SetParameterDefault(name, KvString(value));
    }
    // Sets the parameter back to its default through SetParameter (hooks run).
    KvResult RestoreDefault(const KvString& name);
    KvResult RestoreDefault(uint32_t id);

    KvResult SetAttributes(const KvString& name, uint32_t attributes);
    KvResult SetAttributes(uint32_t id, uint32_t attributes);
    KvResult GetAttributes(const KvString& name, uint32_t& attributes) const;
    KvResult GetAttributes(uint32_t id, uint32_t& attributes) const;
    // While off, read-only parameters can be written. On at construction.
    void EnableReadOnlyChecking(bool enable);
    bool IsReadOnlyCheckingEnabled() const;

    // ---- lookups ---------------------------------------------------------
    uint32_t GetParameterCount() const;
    KvResult GetIndex(uint32_t id, uint32_t& index) const;
    KvResult GetIndex(const KvString& name, uint32_t& index) const;
    KvResult GetParameterNameByIndex(uint32_t index, KvString& name) const;
    KvResult GetParameterInfo(uint32_t index, KvParameterInfo& info) const;
    // KvParameterType::UNKNOWN (13) when there is no such parameter; no error
    // is recorded, since asking is how callers test for a name.
    uint32_t GetParameterType(const KvString& name) const;
    uint32_t GetParameterType(uint32_t id) const;
    // Entry value by entry name, and entry name by value, of the parameter at
    // index; 6 when there is no such entry.
    KvResult FindEnumValueByIndex(uint32_t index, const KvString& entry, int64_t& value) const;
    KvResult FindEnumNameByIndex(uint32_t index, int64_t value, KvString& entry) const;

    // ---- changed flags ---------------------------------------------------
    // Raised by every set that changes the value; false for unknown names.
    bool IsParameterChanged(const KvString& name) const;
    bool IsParameterChanged(uint32_t id) const;
    bool IsAnyParameterChanged() const;
    KvResult ClearParameterChanged(const KvString& name);
    KvResult ClearParameterChanged(uint32_t id);
    void ClearAllChanged();

    // ---- values ----------------------------------------------------------
    // Reading runs OnParameterGet first (a non-zero answer fails the read).
    // Any parameter reads as text; integer parameters (bool and enumerations
    // included) read into any integer or real type the value fits (18 when
    // it does not fit); real parameters read into float and double. Other
    // combinations fail with 5.
    //
    // Writing checks the read-only bit (7), converts the value (5 when the
    // types do not go together or a text does not parse), checks the range
    // and the enumeration entries (18), then runs OnParameterSet before the
    // value is stored; a non-zero answer leaves the value unchanged and is
    // returned. Integer parameters take any integer or bool, or a text
    // holding a decimal or 0x-hexadecimal number, "true"/"false" for bools
    // and an entry name for enumerations; real parameters take integers,
    // reals and number texts; text parameters take only text.
    //
    // bCheckOnly: when true the write is only tried. Every check runs and the
    // hook is called with its flag true so that the owner can refuse, but
    // nothing is stored, no flag is raised and an owner must not act on the
    // value. An ordinary write, including every write of an XML load, passes
    // false, so owners act on every write whose flag is false.
    virtual KvResult GetParameter(const KvString& name, KvString& value) const;
    virtual KvResult GetParameter(const KvString& name, int64_t& value) const;
    virtual KvResult GetParameter(const KvString& name, double& value) const;
    virtual KvResult GetParameter(const KvString& name, bool& value) const;
    virtual KvResult GetParameter(const KvString& name, uint8_t& value) const;
    virtual KvResult GetParameter(const KvString& name, int8_t& value) const;
    virtual KvResult GetParameter(const KvString& name, uint16_t& value) const;
    virtual KvResult GetParameter(const KvString& name, int16_t& value) const;
    virtual KvResult GetParameter(const KvString& name, uint32_t& value) const;
    virtual KvResult GetParameter(const KvString& name, int32_t& value) const;
    virtual KvResult GetParameter(const KvString& name, uint64_t& value) const;
    virtual KvResult GetParameter(const KvString& name, float& value) const;

    virtual KvResult SetParameter(const KvString& name, const KvString& value,
                                  bool bCheckOnly = false);
    virtual KvResult SetParameter(const KvString& name, int64_t value, bool bCheckOnly = false);
    virtual KvResult SetParameter(const KvString& name, double value, bool bCheckOnly = false);
    virtual KvResult SetParameter(const KvString& name, bool value, bool bCheckOnly = false);
    virtual KvResult SetParameter(const KvString& name, uint8_t value, bool bCheckOnly = false);
    virtual KvResult SetParameter(const KvString& name, int8_t value, bool bCheckOnly = false);
    virtual KvResult SetParameter(const KvString& name, uint16_t value, bool bCheckOnly = false);
    virtual KvResult SetParameter(const KvString& name, int16_t value, bool bCheckOnly = false);
    virtual KvResult SetParameter(const KvString& name, uint32_t value, bool bCheckOnly = false);
    virtual KvResult SetParameter(const KvString& name, int32_t value, bool bCheckOnly = false);
    virtual KvResult SetParameter(const KvString& name, uint64_t value, bool bCheckOnly = false);
    virtual KvResult SetParameter(const KvString& name, float value, bool bCheckOnly = false);
    // A literal text must not turn into a bool.
    KvResult SetParameter(const KvString& name, const char* value, bool bCheckOnly = false) {
        return SetParameter(name, KvString(value), bCheckOnly);
    }

    // By identifier and by index: the same rules, for every value type above.
    template <KvParameterValue T>
    KvResult GetParameter(uint32_t id, T& value) const {
        return GetAs(Key::ById(id), value);
    }
    template <KvParameterValue T>
    KvResult SetParameter(uint32_t id, const T& value, bool bCheckOnly = false) {
        return SetValue(Key::ById(id), In(value), bCheckOnly);
    }
    KvResult SetParameter(uint32_t id, const char* value, bool bCheckOnly = false) {
        return SetParameter(id, KvString(value), bCheckOnly);
    }
    template <KvParameterValue T>
    KvResult GetParameterByIndex(uint32_t index, T& value) const {
        return GetAs(Key::ByIndex(index), value);
    }
    template <KvParameterValue T>
    KvResult SetParameterByIndex(uint32_t index, const T& value, bool bCheckOnly = false) {
        return SetValue(Key::ByIndex(index), In(value), bCheckOnly);
    }
    KvResult SetParameterByIndex(uint32_t index, const char* value, bool bCheckOnly = false) {
        return SetParameterByIndex(index, KvString(value), bCheckOnly);
    }

protected:
    // Runs when a value is about to be stored (after every check, before the
    // store) with the parameter's index, identifier and name, the check-only
    // flag described above and the new value as text, as a 64-bit integer
    // and as a real (each as close as the value allows; 0 for text). A
    // non-zero answer refuses the write. The default accepts.
    virtual KvResult OnParameterSet(uint32_t index, uint32_t id, const KvString& name,
                                    bool bCheckOnly, const KvString& textValue, int64_t intValue,
                                    double realValue);
    // Runs before a value is read; an owner may refresh the value here (by
    // setting it). A non-zero answer fails the read. The default accepts.
    virtual KvResult OnParameterGet(uint32_t index, uint32_t id, const KvString& name);

    // Whether a text would be accepted by the parameter at index (read-only
    // bit, type, range, entries), without running the set hook or storing
    // anything; 0 or the code a set would fail with, the error recorded.
    KvResult TestParameterText(uint32_t index, const KvString& text) const;

private:
    struct Impl;
    struct Param;

    struct Key {
        enum Kind : uint8_t { NAME, ID, INDEX };
        Kind m_eKind;
        uint32_t m_nNumber;
        const KvString* m_pName;
        static Key ByName(const KvString& name) { return {NAME, 0, &name}; }
        static Key ById(uint32_t id) { return {ID, id, nullptr}; }
        static Key ByIndex(uint32_t index) { return {INDEX, index, nullptr}; }
    };

    // A number of any C++ type with its exact value.
    struct Number {
        enum Kind : uint8_t { SIGNED, UNSIGNED, REAL };
        Kind m_eKind;
        int64_t m_nSigned;
        uint64_t m_nUnsigned;
        double m_dReal;
        template <KvParameterScalar T>
        static Number Of(T v) {
            if constexpr (std::is_floating_point_v<T>) {
                return {REAL, 0, 0, static_cast<double>(v)};
            } else if constexpr (std::is_signed_v<T>) {
                return {SIGNED, static_cast<int64_t>(v), 0, 0.0};
            } else {
                return {UNSIGNED, 0, static_cast<uint64_t>(v), 0.0};
            }
        }
        template <KvParameterScalar T>
        T As() const;
    };

    // A value crossing into the repository: a text, or else a number.
    struct Incoming {
        Number m_Number;
        const KvString* m_pText;
    };
    static Incoming In(const KvString& text) { return {{}, &text}; }
    template <KvParameterScalar T>
    static Incoming In(const T& v) {
        return {Number::Of(v), nullptr};
    }

    KvResult SetValue(const Key& key, const Incoming& value, bool bCheckOnly);
    // Reads the value as text, or as a number that the caller converts.
    KvResult GetText(const Key& key, KvString& value) const;
    KvResult GetNumber(const Key& key, Number& value, uint32_t wantedType) const;
    template <KvParameterValue T>
    KvResult GetAs(const Key& key, T& value) const;

    KvResult SetRange(const Key& key, const Number& min, const Number& max);
    KvResult GetRange(const Key& key, Number& min, Number& max) const;
    template <KvParameterScalar T>
    KvResult GetRangeAs(const Key& key, T& min, T& max) const {
        Number lo{}, hi{};
        const KvResult r = GetRange(key, lo, hi);
        if (r == 0) {
            min = lo.As<T>();
            max = hi.As<T>();
        }
        return r;
    }
    KvResult SetIncrement(const Key& key, const Number& increment);
    KvResult GetIncrement(const Key& key, Number& increment) const;
    template <KvParameterScalar T>
    KvResult GetIncrementAs(const Key& key, T& increment) const {
        Number step{};
        const KvResult r = GetIncrement(key, step);
        if (r == 0) {
            increment = step.As<T>();
        }
        return r;
    }
    KvResult SetDefault(const Key& key, const Incoming& value);

    KvResult RunGetHook(const Key& key) const;
    KvResult RunSetHook(uint32_t index, uint32_t id, const KvString& name, bool bCheckOnly,
                        const KvString& text, int64_t intValue, double realValue);

    std::unique_ptr<Impl> m_pImpl;
};

// Saturating conversion of a number into the caller's type.
template <KvParameterScalar T>
T KvParameterRepository::Number::As() const {
    if constexpr (std::same_as<T, bool>) {
        return m_eKind == REAL ? m_dReal != 0.0 : (m_nSigned != 0 || m_nUnsigned != 0);
    } else if constexpr (std::is_floating_point_v<T>) {
        switch (m_eKind) {
            case SIGNED:
                return static_cast<T>(m_nSigned);
            case UNSIGNED:
                return static_cast<T>(m_nUnsigned);
            default:
                return static_cast<T>(m_dReal);
        }
    } else {
        using L = std::numeric_limits<T>;
        switch (m_eKind) {
            case SIGNED:
                if constexpr (std::is_signed_v<T>) {
                    return m_nSigned < L::min()   ? L::min()
                           : m_nSigned > L::max() ? L::max()
                                                  : static_cast<T>(m_nSigned);
                } else {
                    return m_nSigned < 0 ? T(0)
                           : static_cast<uint64_t>(m_nSigned) > L::max()
                               ? L::max()
                               : static_cast<T>(m_nSigned);
                }
            case UNSIGNED:
                return m_nUnsigned > static_cast<uint64_t>(L::max()) ? L::max()
                                                                     : static_cast<T>(m_nUnsigned);
            default:
                if (!(m_dReal > static_cast<double>(L::min()))) {
                    return L::min();
                }
                if (!(m_dReal < static_cast<double>(L::max()))) {
                    return L::max();
                }
                return static_cast<T>(m_dReal);
        }
    }
}

template <KvParameterValue T>
KvResult KvParameterRepository::GetAs(const Key& key, T& value) const {
    if constexpr (std::same_as<T, KvString>) {
        return GetText(key, value);
    } else {
        Number n{};
        uint32_t wanted = KvParameterType::INT64;
        if constexpr (std::is_floating_point_v<T>) {
            wanted = sizeof(T) == sizeof(float) ? KvParameterType::FLOAT : KvParameterType::DOUBLE;
        } else if constexpr (std::same_as<T, bool>) {
            wanted = KvParameterType::BOOL;
        } else {
            // Tell the repository the exact width so that it refuses values
            // that do not fit instead of saturating them.
            constexpr bool s = std::is_signed_v<T>;
            wanted = sizeof(T) == 1   ? (s ? KvParameterType::INT8 : KvParameterType::UINT8)
                     : sizeof(T) == 2 ? (s ? KvParameterType::INT16 : KvParameterType::UINT16)
                     : sizeof(T) == 4 ? (s ? KvParameterType::INT32 : KvParameterType::UINT32)
                                      : (s ? KvParameterType::INT64 : KvParameterType::UINT64);
        }
        const KvResult r = GetNumber(key, n, wanted);
        if (r == 0) {
            value = n.As<T>();
        }
        return r;
    }
}
