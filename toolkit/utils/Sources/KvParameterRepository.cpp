#include "KvParameterRepository.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <mutex>
#include <unordered_map>

#include "KvParameterValue.h"

using KvParam::Family;
using KvParam::Value;
using KvParam::Wide;

namespace {

const char* const kTypeNames[] = {"text",   "int64", "double", "bool",  "enum",   "uint8", "int8",
                                  "uint16", "int16", "uint32", "int32", "uint64", "float"};

KvString Quoted(const KvString& name) {
    return "\"" + name + "\"";
}

bool SameRecord(const KvErrorInfo& a, const KvErrorInfo& b) {
    return a.m_nCode == b.m_nCode && a.m_sMessage == b.m_sMessage &&
           a.m_sSourceFile == b.m_sSourceFile && a.m_nLine == b.m_nLine &&
           a.m_nSystemError == b.m_nSystemError;
}

}  // namespace

const char* KvParameterTypeName(uint32_t type) {
    return KvParam::IsKnownType(type) ? kTypeNames[type] : "unknown";
}

uint32_t KvParameterTypeFromName(std::string_view name) {
    for (uint32_t t = 0; t <= KvParameterType::FLOAT; ++t) {
        if (name == kTypeNames[t]) {
            return t;
        }
    }
    return KvParameterType::UNKNOWN;
}

struct KvParameterRepository::Param {
    uint32_t m_nId = 0;
    KvString m_sName;
    uint32_t m_nType = 0;
    Family m_eFamily = Family::TEXT;
    KvString m_sDescription;
    KvString m_sGroup;
    uint32_t m_nAttributes = 0;
    Value m_Value;
    Value m_Default;
    Value m_Min;
    Value m_Max;
    Value m_Increment;
    std::vector<KvEnumEntry> m_Entries;
    bool m_bChanged = false;

    const KvEnumEntry* EntryByValue(Wide v) const {
        for (const KvEnumEntry& e : m_Entries) {
            if (e.m_nValue == v) {
                return &e;
            }
        }
        return nullptr;
    }
    const KvEnumEntry* EntryByName(const KvString& name) const {
        for (const KvEnumEntry& e : m_Entries) {
            if (e.m_sName == name) {
                return &e;
            }
        }
        return nullptr;
    }

    KvString Format(const Value& v) const {
        switch (m_eFamily) {
            case Family::TEXT:
                return v.m_sText;
            case Family::REAL:
                return KvParam::FormatReal(v.m_dReal, m_nType == KvParameterType::FLOAT);
            default:
                if (const KvEnumEntry* e = EntryByValue(v.m_nInt)) {
                    return e->m_sName;
                }
                return KvParam::FormatInteger(v.m_nInt);
        }
    }
    const char* TypeName() const { return KvParameterTypeName(m_nType); }
};

struct KvParameterRepository::Impl {
    mutable std::mutex m_mLock;
    std::vector<Param> m_Params;
    std::unordered_map<KvString, uint32_t> m_ByName;
    std::unordered_map<uint32_t, uint32_t> m_ById;
    KvString m_sName;
    KvString m_sGroup;
    uint32_t m_nId = 0;
    bool m_bReadOnlyChecking = true;

    // Finds a parameter; on failure fills why and returns null. Lock held.
    Param* Find(const Key& key, KvString& why) {
        switch (key.m_eKind) {
            case Key::NAME: {
                const auto it = m_ByName.find(*key.m_pName);
                if (it != m_ByName.end()) {
                    return &m_Params[it->second];
                }
                why = "Parameter " + Quoted(*key.m_pName) + " not found";
                return nullptr;
            }
            case Key::ID: {
                const auto it = m_ById.find(key.m_nNumber);
                if (it != m_ById.end()) {
                    return &m_Params[it->second];
                }
                why = KvString::Format("Parameter with identifier %u not found", key.m_nNumber);
                return nullptr;
            }
            default:
                if (key.m_nNumber < m_Params.size()) {
                    return &m_Params[key.m_nNumber];
                }
                why = KvString::Format("Parameter index %u is beyond the %zu parameters",
                                       key.m_nNumber, m_Params.size());
                return nullptr;
        }
    }
    uint32_t IndexOf(const Param& p) const { return static_cast<uint32_t>(&p - m_Params.data()); }

    // Runs `fn(param, why)` under the lock; records a failure in `errors`.
    template <typename Fn>
    KvResult With(const KvErrorInterface& errors, const Key& key, Fn&& fn) {
        KvString why;
        KvResult code = KvCode::NOT_FOUND;
        {
            std::lock_guard lock(m_mLock);
            if (Param* p = Find(key, why)) {
                code = fn(*p, why);
            }
        }
        if (code != 0) {
            // The error record is the only thing a const reader changes.
            const_cast<KvErrorInterface&>(errors).SetErrorInfo(why, code, __FILE__, __LINE__);
        }
        return code;
    }

    static Number NumberOf(Wide v) {
        return v < 0 ? Number{Number::SIGNED, static_cast<int64_t>(v), 0, 0.0}
                     : Number{Number::UNSIGNED, 0, static_cast<uint64_t>(v), 0.0};
    }
    static Number NumberOf(double v) { return {Number::REAL, 0, 0, v}; }
    static Wide WideOf(const Number& n) {
        return n.m_eKind == Number::SIGNED ? Wide(n.m_nSigned) : Wide(n.m_nUnsigned);
    }
    static double RealOf(const Number& n) {
        switch (n.m_eKind) {
            case Number::SIGNED:
                return static_cast<double>(n.m_nSigned);
            case Number::UNSIGNED:
                return static_cast<double>(n.m_nUnsigned);
            default:
                return n.m_dReal;
        }
    }
    // A real that stands for an integer exactly (for ranges and increments).
    static bool IntegralOf(const Number& n, Wide& out) {
        if (n.m_eKind != Number::REAL) {
            out = WideOf(n);
            return true;
        }
        const double d = n.m_dReal;
        if (!(d >= -9223372036854775808.0 && d < 18446744073709551616.0) || std::trunc(d) != d) {
            return false;
        }
        out = static_cast<Wide>(d);
        return true;
    }
    static KvString FormatNumber(const Number& n) {
        return n.m_eKind == Number::REAL ? KvParam::FormatReal(n.m_dReal, false)
                                         : KvParam::FormatInteger(WideOf(n));
    }

    static KvResult RangeError(const Param& p, const KvString& value, KvString& why) {
        why = "Value " + value + " is out of range [" + p.Format(p.m_Min) + " .. " +
              p.Format(p.m_Max) + "] for parameter " + Quoted(p.m_sName);
        return KvCode::INVALID_ARGUMENT;
    }

    // Turns an incoming value into the parameter's stored form, checked
    // against type, range and entries.
    static KvResult Convert(const Param& p, const Incoming& in, Value& out, KvString& why) {
        const KvString* text = in.m_pText;
        auto wrongType = [&](const char* what) {
            why = "Parameter " + Quoted(p.m_sName) + " of type " + p.TypeName() + " cannot take " +
                  what;
            return KvCode::WRONG_TYPE;
        };
        auto badText = [&] {
            why = Quoted(*text) + " is not a valid " + p.TypeName() + " value for parameter " +
                  Quoted(p.m_sName);
            return KvCode::WRONG_TYPE;
        };
        switch (p.m_eFamily) {
            case Family::TEXT:
                if (!text) {
                    return wrongType("a number");
                }
                out.m_sText = *text;
                return 0;
            case Family::REAL: {
                double d = 0.0;
                if (text) {
                    if (!KvParam::ParseReal(text->view(), d)) {
                        return badText();
                    }
                } else {
                    d = RealOf(in.m_Number);
                }
                if (!(d >= p.m_Min.m_dReal && d <= p.m_Max.m_dReal)) {
                    return RangeError(p, KvParam::FormatReal(d, false), why);
                }
                out.m_dReal = p.m_nType == KvParameterType::FLOAT
                                  ? static_cast<double>(static_cast<float>(d))
                                  : d;
                return 0;
            }
            default: {
                Wide v = 0;
                if (text) {
                    const KvEnumEntry* entry = p.EntryByName(*text);
                    if (entry) {
                        v = entry->m_nValue;
                    } else if (p.m_nType == KvParameterType::BOOL
                                   ? !KvParam::ParseBool(text->view(), v)
                                   : !KvParam::ParseInteger(text->view(), v)) {
                        return badText();
                    }
                } else if (in.m_Number.m_eKind == Number::REAL) {
                    return wrongType("a real value");
                } else {
                    v = WideOf(in.m_Number);
                }
                if (v < p.m_Min.m_nInt || v > p.m_Max.m_nInt) {
                    return RangeError(p, KvParam::FormatInteger(v), why);
                }
                if (!p.m_Entries.empty() && !p.EntryByValue(v)) {
                    why = "Value " + KvParam::FormatInteger(v) + " is not an entry of parameter " +
                          Quoted(p.m_sName);
                    return KvCode::INVALID_ARGUMENT;
                }
                out.m_nInt = v;
                return 0;
            }
        }
    }

    // ---- edits shared by the name and identifier overloads ----------------
    static auto AddEntry(const KvString& entry, int64_t value) {
        return [&entry, value](Param& p, KvString& why) -> KvResult {
            if (p.m_eFamily != Family::INTEGER) {
                why = "Parameter " + Quoted(p.m_sName) + " of type " + p.TypeName() +
                      " cannot have enumeration entries";
                return KvCode::WRONG_TYPE;
            }
            if (entry.IsEmpty() || p.EntryByName(entry) || p.EntryByValue(value)) {
                why = "Parameter " + Quoted(p.m_sName) + ": entry " + Quoted(entry) + " = " +
                      KvParam::FormatInteger(value) + " is empty or not unique";
                return KvCode::INVALID_ARGUMENT;
            }
            if (value < p.m_Min.m_nInt || value > p.m_Max.m_nInt) {
                return RangeError(p, KvParam::FormatInteger(value), why);
            }
            p.m_Entries.push_back({entry, value});
            return 0;
        };
    }
    static auto SetText(KvString Param::*member, const KvString& text) {
        return [member, &text](Param& p, KvString&) -> KvResult {
            p.*member = text;
            return 0;
        };
    }
    static auto SetAttributeWord(uint32_t attributes) {
        return [attributes](Param& p, KvString&) -> KvResult {
            p.m_nAttributes = attributes;
            return 0;
        };
    }
    static auto GetAttributeWord(uint32_t& attributes) {
        return [&attributes](Param& p, KvString&) -> KvResult {
            attributes = p.m_nAttributes;
            return 0;
        };
    }
    static auto ClearChanged() {
        return [](Param& p, KvString&) -> KvResult {
            p.m_bChanged = false;
            return 0;
        };
    }
    static KvResult NoRange(const Param& p, KvString& why) {
        why = "Parameter " + Quoted(p.m_sName) + " of type text has no range or increment";
        return KvCode::WRONG_TYPE;
    }

    // Everything a write checks before the hook: the read-only bit, then the
    // value itself. Lock held.
    KvResult CheckWrite(const Param& p, const Incoming& in, Value& out, KvString& why) const {
        if ((p.m_nAttributes & KV_ATTRIBUTE_READ_ONLY) && m_bReadOnlyChecking) {
            why = "Parameter " + Quoted(p.m_sName) + " is read-only";
            return KvCode::READ_ONLY;
        }
        return Convert(p, in, out, why);
    }

    // The value as an incoming one, for writing a stored value back.
    static Incoming AsIncoming(const Param& p, const Value& v) {
        switch (p.m_eFamily) {
            case Family::TEXT:
                return {{}, &v.m_sText};
            case Family::REAL:
                return {NumberOf(v.m_dReal), nullptr};
            default:
                return {NumberOf(v.m_nInt), nullptr};
        }
    }
};

// ---- identity ----------------------------------------------------------------

KvParameterRepository::KvParameterRepository() : m_pImpl(std::make_unique<Impl>()) {}

KvParameterRepository::~KvParameterRepository() = default;

void KvParameterRepository::SetRepositoryName(const KvString& name) {
    std::lock_guard lock(m_pImpl->m_mLock);
    m_pImpl->m_sName = name;
}
KvString KvParameterRepository::GetRepositoryName() const {
    std::lock_guard lock(m_pImpl->m_mLock);
    return m_pImpl->m_sName;
}
void KvParameterRepository::SetRepositoryIdentifier(uint32_t id) {
    std::lock_guard lock(m_pImpl->m_mLock);
    m_pImpl->m_nId = id;
}
uint32_t KvParameterRepository::GetRepositoryIdentifier() const {
    std::lock_guard lock(m_pImpl->m_mLock);
    return m_pImpl->m_nId;
}
void KvParameterRepository::SetRepositoryGroup(const KvString& group) {
    std::lock_guard lock(m_pImpl->m_mLock);
    m_pImpl->m_sGroup = group;
}
KvString KvParameterRepository::GetRepositoryGroup() const {
    std::lock_guard lock(m_pImpl->m_mLock);
    return m_pImpl->m_sGroup;
}

// ---- registration ------------------------------------------------------------

KvResult KvParameterRepository::AddParameter(const KvString& name, uint32_t type, uint32_t id,
                                             const KvString& description) {
    KvString why;
    {
        std::lock_guard lock(m_pImpl->m_mLock);
        Impl& impl = *m_pImpl;
        if (name.IsEmpty()) {
            why = "A parameter needs a name";
        } else if (!KvParam::IsKnownType(type)) {
            why =
                KvString::Format("Parameter %s: unknown type %u", Quoted(name).c_str_ascii(), type);
        } else if (impl.m_ByName.contains(name)) {
            why = "Parameter " + Quoted(name) + " already exists";
        } else if (id != KV_PARAMETER_AUTO_ID && impl.m_ById.contains(id)) {
            why = KvString::Format("Parameter %s: identifier %u is already used",
                                   Quoted(name).c_str_ascii(), id);
        } else if (impl.m_Params.size() >= KV_PARAMETER_AUTO_ID - 1) {
            why = "The repository is full";
        } else {
            if (id == KV_PARAMETER_AUTO_ID) {
                // Starting at the count keeps index and identifier equal for
                // as long as every parameter so far had them equal.
                id = static_cast<uint32_t>(impl.m_Params.size());
                while (impl.m_ById.contains(id) || id == KV_PARAMETER_AUTO_ID) {
                    ++id;
                }
            }
            Param p;
            p.m_nId = id;
            p.m_sName = name;
            p.m_nType = type;
            p.m_eFamily = KvParam::FamilyOf(type);
            p.m_sDescription = description;
            if (p.m_eFamily == Family::INTEGER) {
                p.m_Min.m_nInt = KvParam::LowestOf(type);
                p.m_Max.m_nInt = KvParam::HighestOf(type);
            } else if (p.m_eFamily == Family::REAL) {
                p.m_Min.m_dReal = KvParam::DefaultLowestRealOf(type);
                p.m_Max.m_dReal = KvParam::DefaultHighestRealOf(type);
            }
            const auto index = static_cast<uint32_t>(impl.m_Params.size());
            impl.m_Params.push_back(std::move(p));
            impl.m_ByName.emplace(name, index);
            impl.m_ById.emplace(id, index);
            return KvCode::OK;
        }
    }
    return KV_ERROR(why, KvCode::INVALID_ARGUMENT);
}

KvResult KvParameterRepository::AddEnumParameterValue(const KvString& name, const KvString& entry,
                                                      int64_t value) {
    return m_pImpl->With(*this, Key::ByName(name), Impl::AddEntry(entry, value));
}
KvResult KvParameterRepository::AddEnumParameterValue(uint32_t id, const KvString& entry,
                                                      int64_t value) {
    return m_pImpl->With(*this, Key::ById(id), Impl::AddEntry(entry, value));
}

KvResult KvParameterRepository::SetParameterDescription(const KvString& name,
                                                        const KvString& description) {
    return m_pImpl->With(*this, Key::ByName(name),
                         Impl::SetText(&Param::m_sDescription, description));
}
KvResult KvParameterRepository::SetParameterDescription(uint32_t id, const KvString& description) {
    return m_pImpl->With(*this, Key::ById(id), Impl::SetText(&Param::m_sDescription, description));
}
KvResult KvParameterRepository::SetParameterGroup(const KvString& name, const KvString& group) {
    return m_pImpl->With(*this, Key::ByName(name), Impl::SetText(&Param::m_sGroup, group));
}
KvResult KvParameterRepository::SetParameterGroup(uint32_t id, const KvString& group) {
    return m_pImpl->With(*this, Key::ById(id), Impl::SetText(&Param::m_sGroup, group));
}

KvResult KvParameterRepository::SetRange(const Key& key, const Number& min, const Number& max) {
    return m_pImpl->With(*this, key, [&](Param& p, KvString& why) -> KvResult {
        const KvString shown =
            "[" + Impl::FormatNumber(min) + " .. " + Impl::FormatNumber(max) + "]";
        auto refuse = [&] {
            why = "Range " + shown + " does not suit parameter " + Quoted(p.m_sName) + " of type " +
                  p.TypeName();
            return KvCode::INVALID_ARGUMENT;
        };
        switch (p.m_eFamily) {
            case Family::TEXT:
                return Impl::NoRange(p, why);
            case Family::REAL: {
                const double lo = Impl::RealOf(min);
                const double hi = Impl::RealOf(max);
                if (!(lo <= hi && lo >= KvParam::LowestRealOf(p.m_nType) &&
                      hi <= KvParam::HighestRealOf(p.m_nType))) {
                    return refuse();
                }
                p.m_Min.m_dReal = lo;
                p.m_Max.m_dReal = hi;
                return 0;
            }
            default: {
                Wide lo = 0, hi = 0;
                if (!Impl::IntegralOf(min, lo) || !Impl::IntegralOf(max, hi) || lo > hi ||
                    lo < KvParam::LowestOf(p.m_nType) || hi > KvParam::HighestOf(p.m_nType)) {
                    return refuse();
                }
                p.m_Min.m_nInt = lo;
                p.m_Max.m_nInt = hi;
                return 0;
            }
        }
    });
}

KvResult KvParameterRepository::GetRange(const Key& key, Number& min, Number& max) const {
    return m_pImpl->With(*this, key, [&](Param& p, KvString& why) -> KvResult {
        switch (p.m_eFamily) {
            case Family::TEXT:
                return Impl::NoRange(p, why);
            case Family::REAL:
                min = Impl::NumberOf(p.m_Min.m_dReal);
                max = Impl::NumberOf(p.m_Max.m_dReal);
                return 0;
            default:
                min = Impl::NumberOf(p.m_Min.m_nInt);
                max = Impl::NumberOf(p.m_Max.m_nInt);
                return 0;
        }
    });
}

KvResult KvParameterRepository::SetIncrement(const Key& key, const Number& increment) {
    return m_pImpl->With(*this, key, [&](Param& p, KvString& why) -> KvResult {
        auto refuse = [&] {
            why = "Increment " + Impl::FormatNumber(increment) + " does not suit parameter " +
                  Quoted(p.m_sName);
            return KvCode::INVALID_ARGUMENT;
        };
        switch (p.m_eFamily) {
            case Family::TEXT:
                return Impl::NoRange(p, why);
            case Family::REAL: {
                const double step = Impl::RealOf(increment);
                if (!(step >= 0.0 && std::isfinite(step))) {
                    return refuse();
                }
                p.m_Increment.m_dReal = step;
                return 0;
            }
            default: {
                Wide step = 0;
                if (!Impl::IntegralOf(increment, step) || step < 0) {
                    return refuse();
                }
                p.m_Increment.m_nInt = step;
                return 0;
            }
        }
    });
}

KvResult KvParameterRepository::GetIncrement(const Key& key, Number& increment) const {
    return m_pImpl->With(*this, key, [&](Param& p, KvString& why) -> KvResult {
        switch (p.m_eFamily) {
            case Family::TEXT:
                return Impl::NoRange(p, why);
            case Family::REAL:
                increment = Impl::NumberOf(p.m_Increment.m_dReal);
                return 0;
            default:
                increment = Impl::NumberOf(p.m_Increment.m_nInt);
                return 0;
        }
    });
}

KvResult KvParameterRepository::SetDefault(const Key& key, const Incoming& value) {
    return m_pImpl->With(*this, key, [&](Param& p, KvString& why) -> KvResult {
        Value v;
        if (const KvResult r = Impl::Convert(p, value, v, why); r != 0) {
            return r;
        }
        p.m_Default = v;
        p.m_Value = v;
        return 0;
    });
}

KvResult KvParameterRepository::RestoreDefault(const KvString& name) {
    Value def;
    uint32_t index = 0;
    const KvResult r =
        m_pImpl->With(*this, Key::ByName(name), [&](Param& p, KvString&) -> KvResult {
            def = p.m_Default;
            index = m_pImpl->IndexOf(p);
            return 0;
        });
    if (r != 0) {
        return r;
    }
    Incoming in{};
    {
        std::lock_guard lock(m_pImpl->m_mLock);
        in = Impl::AsIncoming(m_pImpl->m_Params[index], def);
    }
    return SetValue(Key::ByIndex(index), in, false);
}

KvResult KvParameterRepository::RestoreDefault(uint32_t id) {
    uint32_t index = 0;
    if (const KvResult r = GetIndex(id, index); r != 0) {
        return r;
    }
    KvString name;
    GetParameterNameByIndex(index, name);
    return RestoreDefault(name);
}

KvResult KvParameterRepository::SetAttributes(const KvString& name, uint32_t attributes) {
    return m_pImpl->With(*this, Key::ByName(name), Impl::SetAttributeWord(attributes));
}
KvResult KvParameterRepository::SetAttributes(uint32_t id, uint32_t attributes) {
    return m_pImpl->With(*this, Key::ById(id), Impl::SetAttributeWord(attributes));
}
KvResult KvParameterRepository::GetAttributes(const KvString& name, uint32_t& attributes) const {
    return m_pImpl->With(*this, Key::ByName(name), Impl::GetAttributeWord(attributes));
}
KvResult KvParameterRepository::GetAttributes(uint32_t id, uint32_t& attributes) const {
    return m_pImpl->With(*this, Key::ById(id), Impl::GetAttributeWord(attributes));
}

void KvParameterRepository::EnableReadOnlyChecking(bool enable) {
    std::lock_guard lock(m_pImpl->m_mLock);
    m_pImpl->m_bReadOnlyChecking = enable;
}
bool KvParameterRepository::IsReadOnlyCheckingEnabled() const {
    std::lock_guard lock(m_pImpl->m_mLock);
    return m_pImpl->m_bReadOnlyChecking;
}

// ---- lookups -----------------------------------------------------------------

uint32_t KvParameterRepository::GetParameterCount() const {
    std::lock_guard lock(m_pImpl->m_mLock);
    return static_cast<uint32_t>(m_pImpl->m_Params.size());
}

KvResult KvParameterRepository::GetIndex(uint32_t id, uint32_t& index) const {
    return m_pImpl->With(*this, Key::ById(id), [&](Param& p, KvString&) -> KvResult {
        index = m_pImpl->IndexOf(p);
        return 0;
    });
}
KvResult KvParameterRepository::GetIndex(const KvString& name, uint32_t& index) const {
    return m_pImpl->With(*this, Key::ByName(name), [&](Param& p, KvString&) -> KvResult {
        index = m_pImpl->IndexOf(p);
        return 0;
    });
}

KvResult KvParameterRepository::GetParameterNameByIndex(uint32_t index, KvString& name) const {
    return m_pImpl->With(*this, Key::ByIndex(index), [&](Param& p, KvString&) -> KvResult {
        name = p.m_sName;
        return 0;
    });
}

KvResult KvParameterRepository::GetParameterInfo(uint32_t index, KvParameterInfo& info) const {
    return m_pImpl->With(*this, Key::ByIndex(index), [&](Param& p, KvString&) -> KvResult {
        info.m_nIndex = index;
        info.m_nIdentifier = p.m_nId;
        info.m_nType = p.m_nType;
        info.m_nAttributes = p.m_nAttributes;
        info.m_sName = p.m_sName;
        info.m_sDescription = p.m_sDescription;
        info.m_sGroup = p.m_sGroup;
        info.m_sValue = p.Format(p.m_Value);
        info.m_sDefault = p.Format(p.m_Default);
        const bool numeric = p.m_eFamily != Family::TEXT;
        // Range ends are numbers, not entry names.
        auto number = [&](const Value& v) {
            return p.m_eFamily == Family::REAL
                       ? KvParam::FormatReal(v.m_dReal, p.m_nType == KvParameterType::FLOAT)
                       : KvParam::FormatInteger(v.m_nInt);
        };
        info.m_sMinimum = numeric ? number(p.m_Min) : KvString();
        info.m_sMaximum = numeric ? number(p.m_Max) : KvString();
        info.m_sIncrement = numeric ? number(p.m_Increment) : KvString();
        info.m_Entries = p.m_Entries;
        info.m_bChanged = p.m_bChanged;
        return 0;
    });
}

uint32_t KvParameterRepository::GetParameterType(const KvString& name) const {
    std::lock_guard lock(m_pImpl->m_mLock);
    KvString why;
    const Param* p = m_pImpl->Find(Key::ByName(name), why);
    return p ? p->m_nType : KvParameterType::UNKNOWN;
}
uint32_t KvParameterRepository::GetParameterType(uint32_t id) const {
    std::lock_guard lock(m_pImpl->m_mLock);
    KvString why;
    const Param* p = m_pImpl->Find(Key::ById(id), why);
    return p ? p->m_nType : KvParameterType::UNKNOWN;
}

KvResult KvParameterRepository::FindEnumValueByIndex(uint32_t index, const KvString& entry,
                                                     int64_t& value) const {
    return m_pImpl->With(*this, Key::ByIndex(index), [&](Param& p, KvString& why) -> KvResult {
        if (const KvEnumEntry* e = p.EntryByName(entry)) {
            value = e->m_nValue;
            return 0;
        }
        why = "Parameter " + Quoted(p.m_sName) + " has no entry " + Quoted(entry);
        return KvCode::NOT_FOUND;
    });
}

KvResult KvParameterRepository::FindEnumNameByIndex(uint32_t index, int64_t value,
                                                    KvString& entry) const {
    return m_pImpl->With(*this, Key::ByIndex(index), [&](Param& p, KvString& why) -> KvResult {
        if (const KvEnumEntry* e = p.EntryByValue(value)) {
            entry = e->m_sName;
            return 0;
        }
        why = "Parameter " + Quoted(p.m_sName) + " has no entry of value " +
              KvParam::FormatInteger(value);
        return KvCode::NOT_FOUND;
    });
}

// ---- changed flags -------------------------------------------------------------

bool KvParameterRepository::IsParameterChanged(const KvString& name) const {
    std::lock_guard lock(m_pImpl->m_mLock);
    KvString why;
    const Param* p = m_pImpl->Find(Key::ByName(name), why);
    return p && p->m_bChanged;
}
bool KvParameterRepository::IsParameterChanged(uint32_t id) const {
    std::lock_guard lock(m_pImpl->m_mLock);
    KvString why;
    const Param* p = m_pImpl->Find(Key::ById(id), why);
    return p && p->m_bChanged;
}
bool KvParameterRepository::IsAnyParameterChanged() const {
    std::lock_guard lock(m_pImpl->m_mLock);
    return std::ranges::any_of(m_pImpl->m_Params, &Param::m_bChanged);
}
KvResult KvParameterRepository::ClearParameterChanged(const KvString& name) {
    return m_pImpl->With(*this, Key::ByName(name), Impl::ClearChanged());
}
KvResult KvParameterRepository::ClearParameterChanged(uint32_t id) {
    return m_pImpl->With(*this, Key::ById(id), Impl::ClearChanged());
}
void KvParameterRepository::ClearAllChanged() {
    std::lock_guard lock(m_pImpl->m_mLock);
    for (Param& p : m_pImpl->m_Params) {
        p.m_bChanged = false;
    }
}

// ---- values --------------------------------------------------------------------

KvResult KvParameterRepository::OnParameterSet(uint32_t, uint32_t, const KvString&, bool,
                                               const KvString&, int64_t, double) {
    return KvCode::OK;
}

KvResult KvParameterRepository::OnParameterGet(uint32_t, uint32_t, const KvString&) {
    return KvCode::OK;
}

KvResult KvParameterRepository::RunSetHook(uint32_t index, uint32_t id, const KvString& name,
                                           bool bCheckOnly, const KvString& text, int64_t intValue,
                                           double realValue) {
    KvErrorInfo before;
    GetErrorInfo(&before);
    const KvResult r = OnParameterSet(index, id, name, bCheckOnly, text, intValue, realValue);
    if (r != 0) {
        KvErrorInfo after;
        GetErrorInfo(&after);
        // Keep the owner's own explanation when it recorded one.
        if (SameRecord(before, after)) {
            KV_ERROR("Setting parameter " + Quoted(name) + " to " + Quoted(text) +
                         KvString::Format(" was refused (code %u)", r),
                     r);
        }
    }
    return r;
}

KvResult KvParameterRepository::SetValue(const Key& key, const Incoming& value, bool bCheckOnly) {
    Value v;
    uint32_t index = 0, id = 0;
    KvString name, text;
    int64_t intValue = 0;
    double realValue = 0.0;
    const KvResult checked = m_pImpl->With(*this, key, [&](Param& p, KvString& why) -> KvResult {
        if (const KvResult r = m_pImpl->CheckWrite(p, value, v, why); r != 0) {
            return r;
        }
        index = m_pImpl->IndexOf(p);
        id = p.m_nId;
        name = p.m_sName;
        text = p.Format(v);
        if (p.m_eFamily == Family::INTEGER) {
            intValue = KvParam::ToInt64(v.m_nInt);
            realValue = static_cast<double>(v.m_nInt);
        } else if (p.m_eFamily == Family::REAL) {
            intValue = KvParam::ToInt64(v.m_dReal);
            realValue = v.m_dReal;
        }
        return 0;
    });
    if (checked != 0) {
        return checked;
    }
    if (const KvResult r = RunSetHook(index, id, name, bCheckOnly, text, intValue, realValue);
        r != 0 || bCheckOnly) {
        return r;
    }
    std::lock_guard lock(m_pImpl->m_mLock);
    Param& p = m_pImpl->m_Params[index];
    if (!KvParam::Equal(p.m_eFamily, p.m_Value, v)) {
        p.m_Value = std::move(v);
        p.m_bChanged = true;
    }
    return KvCode::OK;
}

KvResult KvParameterRepository::TestParameterText(uint32_t index, const KvString& text) const {
    return m_pImpl->With(*this, Key::ByIndex(index), [&](Param& p, KvString& why) -> KvResult {
        Value v;
        return m_pImpl->CheckWrite(p, In(text), v, why);
    });
}

// Runs the get hook of the parameter; its refusal fails the read.
KvResult KvParameterRepository::RunGetHook(const Key& key) const {
    uint32_t index = 0, id = 0;
    KvString name;
    const KvResult found = m_pImpl->With(*this, key, [&](Param& p, KvString&) -> KvResult {
        index = m_pImpl->IndexOf(p);
        id = p.m_nId;
        name = p.m_sName;
        return 0;
    });
    if (found != 0) {
        return found;
    }
    auto& self = const_cast<KvParameterRepository&>(*this);
    KvErrorInfo before;
    GetErrorInfo(&before);
    const KvResult r = self.OnParameterGet(index, id, name);
    if (r != 0) {
        KvErrorInfo after;
        GetErrorInfo(&after);
        if (SameRecord(before, after)) {
            self.KV_ERROR(
                "Reading parameter " + Quoted(name) + KvString::Format(" was refused (code %u)", r),
                r);
        }
    }
    return r;
}

KvResult KvParameterRepository::GetText(const Key& key, KvString& value) const {
    if (const KvResult r = RunGetHook(key); r != 0) {
        return r;
    }
    return m_pImpl->With(*this, key, [&](Param& p, KvString&) -> KvResult {
        value = p.Format(p.m_Value);
        return 0;
    });
}

KvResult KvParameterRepository::GetNumber(const Key& key, Number& value,
                                          uint32_t wantedType) const {
    if (const KvResult r = RunGetHook(key); r != 0) {
        return r;
    }
    return m_pImpl->With(*this, key, [&](Param& p, KvString& why) -> KvResult {
        const Family wanted = KvParam::FamilyOf(wantedType);
        switch (p.m_eFamily) {
            case Family::TEXT:
                why = "Parameter " + Quoted(p.m_sName) + " holds text, not a " +
                      KvParameterTypeName(wantedType);
                return KvCode::WRONG_TYPE;
            case Family::REAL:
                if (wanted != Family::REAL) {
                    why = "Parameter " + Quoted(p.m_sName) + " holds a real, not a " +
                          KvParameterTypeName(wantedType);
                    return KvCode::WRONG_TYPE;
                }
                if (wantedType == KvParameterType::FLOAT &&
                    std::fabs(p.m_Value.m_dReal) > FLT_MAX) {
                    why = "Value of parameter " + Quoted(p.m_sName) + " does not fit a float";
                    return KvCode::INVALID_ARGUMENT;
                }
                value = Impl::NumberOf(p.m_Value.m_dReal);
                return 0;
            default: {
                const Wide v = p.m_Value.m_nInt;
                if (wanted == Family::INTEGER && wantedType != KvParameterType::BOOL &&
                    (v < KvParam::LowestOf(wantedType) || v > KvParam::HighestOf(wantedType))) {
                    why = "Value " + KvParam::FormatInteger(v) + " of parameter " +
                          Quoted(p.m_sName) + " does not fit a " + KvParameterTypeName(wantedType);
                    return KvCode::INVALID_ARGUMENT;
                }
                value = Impl::NumberOf(v);
                return 0;
            }
        }
    });
}

// The by-name accessors, one pair per value type.
#define KV_BY_NAME_ACCESSORS(T, IN)                                                      \
    KvResult KvParameterRepository::GetParameter(const KvString& name, T& value) const { \
        return GetAs(Key::ByName(name), value);                                          \
    }                                                                                    \
    KvResult KvParameterRepository::SetParameter(const KvString& name, IN value,         \
                                                 bool bCheckOnly) {                      \
        return SetValue(Key::ByName(name), In(value), bCheckOnly);                       \
    }
KV_BY_NAME_ACCESSORS(KvString, const KvString&)
KV_BY_NAME_ACCESSORS(int64_t, int64_t)
KV_BY_NAME_ACCESSORS(double, double)
KV_BY_NAME_ACCESSORS(bool, bool)
KV_BY_NAME_ACCESSORS(uint8_t, uint8_t)
KV_BY_NAME_ACCESSORS(int8_t, int8_t)
KV_BY_NAME_ACCESSORS(uint16_t, uint16_t)
KV_BY_NAME_ACCESSORS(int16_t, int16_t)
KV_BY_NAME_ACCESSORS(uint32_t, uint32_t)
KV_BY_NAME_ACCESSORS(int32_t, int32_t)
KV_BY_NAME_ACCESSORS(uint64_t, uint64_t)
KV_BY_NAME_ACCESSORS(float, float)
#undef KV_BY_NAME_ACCESSORS
