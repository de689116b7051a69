#include "KvSettings.h"

#include <mutex>

#include "KvIniSettings.h"

namespace {

std::mutex g_FactoryLock;
KvSettingsFactory g_Factory;

}  // namespace

KvSettingsFactory KvSetSettingsFactory(KvSettingsFactory factory) {
    std::lock_guard lock(g_FactoryLock);
    std::swap(g_Factory, factory);
    return factory;
}

std::unique_ptr<KvSettings> KvOpenSettings(std::string_view program, std::string_view company) {
    KvSettingsFactory factory;
    {
        std::lock_guard lock(g_FactoryLock);
        factory = g_Factory;
    }
    if (factory) {
        if (auto settings = factory(company, program)) {
            return settings;
        }
    }
    return std::make_unique<KvIniSettings>(KvIniSettings::PathFor(company, program));
}
