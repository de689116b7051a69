#include "KvPixelTypeFactory.h"

#include "ConversionPlan.h"

bool KvPixelTypeFactory::HasPixelType(uint64_t id) {
    return KvPixelType::FromID(id).IsValid();
}

KvPixelType KvPixelTypeFactory::GetPixelType(uint64_t id) {
    return KvPixelType::FromID(id);
}

bool KvPixelTypeFactory::HasConverter(uint64_t from, uint64_t to) {
    return KvImgDetail::MakePlan(KvPixelType::FromID(from), KvPixelType::FromID(to)).has_value();
}

KvResult KvPixelTypeFactory::CreateConverter(uint64_t from, uint64_t to,
                                             std::unique_ptr<KvPixelConverter>& out) {
    out.reset();
    const KvPixelType source = KvPixelType::FromID(from);
    const KvPixelType destination = KvPixelType::FromID(to);
    if (!source.IsValid() || !destination.IsValid()) {
        return KvCode::NOT_FOUND;
    }
    const auto plan = KvImgDetail::MakePlan(source, destination);
    if (!plan) {
        return KvCode::NOT_SUPPORTED;
    }
    out.reset(new KvPixelConverter(source, destination, *plan));
    return KvCode::OK;
}
