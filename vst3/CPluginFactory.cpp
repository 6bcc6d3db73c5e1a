#include "vst3/CPluginFactory.h"

#include "core/Utf16Text.h"

#include <cstring>

using namespace Steinberg;

CPluginFactory* gPluginFactory = nullptr;

CPluginFactory::CPluginFactory(const PFactoryInfo& info) : factoryInfo(info) {}

CPluginFactory::~CPluginFactory()
{
    if (gPluginFactory == this) gPluginFactory = nullptr;
}

bool CPluginFactory::registerClass(const PClassInfo2* info, CreateFunction create, void* context)
{
    if (!info || !create) return false;
    classInfo = *info;
    createFunction = create;
    createContext = context;
    return true;
}

tresult PLUGIN_API CPluginFactory::queryInterface(const TUID iid, void** obj)
{
    if (!obj) return kInvalidArgument;
    if (FUnknownPrivate::iidEqual(iid, FUnknown::iid) ||
        FUnknownPrivate::iidEqual(iid, IPluginFactory::iid) ||
        FUnknownPrivate::iidEqual(iid, IPluginFactory2::iid) ||
        FUnknownPrivate::iidEqual(iid, IPluginFactory3::iid))
    {
        addRef();
        *obj = static_cast<IPluginFactory3*>(this);
        return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
}

uint32 PLUGIN_API CPluginFactory::addRef()
{
    return static_cast<uint32>(++refCount);
}

uint32 PLUGIN_API CPluginFactory::release()
{
    const int32 left = --refCount;
    if (left == 0) delete this;
    return static_cast<uint32>(left);
}

tresult PLUGIN_API CPluginFactory::getFactoryInfo(PFactoryInfo* info)
{
    if (!info) return kInvalidArgument;
    *info = factoryInfo;
    return kResultOk;
}

int32 PLUGIN_API CPluginFactory::countClasses()
{
    return createFunction ? 1 : 0;
}

tresult PLUGIN_API CPluginFactory::getClassInfo(int32 index, PClassInfo* info)
{
    if (!info || index != 0 || !createFunction) return kInvalidArgument;
    std::memcpy(info->cid, classInfo.cid, sizeof(TUID));
    info->cardinality = classInfo.cardinality;
    std::memcpy(info->category, classInfo.category, sizeof info->category);
    std::memcpy(info->name, classInfo.name, sizeof info->name);
    return kResultOk;
}

tresult PLUGIN_API CPluginFactory::getClassInfo2(int32 index, PClassInfo2* info)
{
    if (!info || index != 0 || !createFunction) return kInvalidArgument;
    *info = classInfo;
    return kResultOk;
}

tresult PLUGIN_API CPluginFactory::getClassInfoUnicode(int32 index, PClassInfoW* info)
{
    if (!info || index != 0 || !createFunction) return kInvalidArgument;
    using vellicor::Utf8ToUtf16;
    // The 8-bit fields are not guaranteed to be terminated when they fill their width.
    auto field = [](const char8* src, std::size_t width, char* dst)
    {
        std::memcpy(dst, src, width);
        dst[width] = '\0';
    };
    char text[PClassInfo2::kSubCategoriesSize + 1];

    *info = PClassInfoW();
    std::memcpy(info->cid, classInfo.cid, sizeof(TUID));
    info->cardinality = classInfo.cardinality;
    std::memcpy(info->category, classInfo.category, sizeof info->category);
    field(classInfo.name, sizeof classInfo.name, text);
    Utf8ToUtf16(text, info->name, PClassInfo::kNameSize);
    info->classFlags = classInfo.classFlags;
    std::memcpy(info->subCategories, classInfo.subCategories, sizeof info->subCategories);
    field(classInfo.vendor, sizeof classInfo.vendor, text);
    Utf8ToUtf16(text, info->vendor, PClassInfoW::kVendorSize);
    field(classInfo.version, sizeof classInfo.version, text);
    Utf8ToUtf16(text, info->version, PClassInfoW::kVersionSize);
    field(classInfo.sdkVersion, sizeof classInfo.sdkVersion, text);
    Utf8ToUtf16(text, info->sdkVersion, PClassInfoW::kVersionSize);
    return kResultOk;
}

tresult PLUGIN_API CPluginFactory::createInstance(FIDString cid, FIDString iid, void** obj)
{
    if (!obj) return kInvalidArgument;
    *obj = nullptr;
    if (!cid || !iid || !createFunction || std::memcmp(cid, classInfo.cid, sizeof(TUID)) != 0)
        return kNoInterface;

    FUnknown* instance = createFunction(createContext);
    if (!instance) return kNoInterface;
    if (instance->queryInterface(iid, obj) == kResultOk && *obj)
    {
        instance->release(); // the host's reference is the one queryInterface added
        return kResultOk;
    }
    *obj = nullptr;
    instance->release();
    return kNoInterface;
}

tresult PLUGIN_API CPluginFactory::setHostContext(FUnknown*)
{
    return kNotImplemented;
}
