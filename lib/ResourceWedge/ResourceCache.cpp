#include "lib/ResourceWedge/ResourceCache.h"

#include "lib/LangStrings/LangStrings.h"
#include "lib/ResourceWedge/RealFunctions.h"
#include "lib/ResourceWedge/TemplateTranslation.h"
#include "lib/ResourceWedge/WedgeImpl.h"
#include "lib/ResourceWedge/WedgeTextTranslator.h"

namespace {

constexpr WORD kMenu = 4, kDialog = 5, kStringTable = 6, kAccelerators = 9, kDialogInit = 240;

TranslateAnswer Translate(WORD type, const void* data, std::size_t size, std::vector<std::uint8_t>& copy) {
    if (!LangStrings::Initialized() || !g_WedgeImpl.Initialized()) return TranslateAnswer::failure;
    WedgeTextTranslator texts;
    switch (type) {
    case kMenu: return TranslateMenuTemplate(data, size, texts, &copy);
    case kDialog: return TranslateDialogTemplate(data, size, texts, WedgeTextTranslator::DefaultGuiFont(), &copy);
    case kStringTable: return TranslateStringBlock(data, size, texts, &copy);
    case kAccelerators:
        return static_cast<TranslateAnswer>(g_WedgeImpl.TranslateAcceleratorTable(data, size, copy));
    case kDialogInit:
        return static_cast<TranslateAnswer>(g_WedgeImpl.TranslateDialogInitData(data, size, copy));
    default: return TranslateAnswer::failure;
    }
}

} // namespace

ResourceCache& ResourceCache::Instance() {
    static ResourceCache* cache = new ResourceCache;
    return *cache;
}

std::shared_ptr<const ResourceCache::Entry> ResourceCache::Find(HRSRC resource) const {
    std::lock_guard<std::mutex> guard(lock_);
    const auto it = entries_.find(resource);
    return it == entries_.end() ? nullptr : it->second;
}

void ResourceCache::Examine(HMODULE module, HRSRC resource, const void* type) {
    std::lock_guard<std::mutex> guard(lock_);
    if (entries_.count(resource)) return;
    const auto typeValue = reinterpret_cast<ULONG_PTR>(type);
    if (typeValue >> 16) return; // a type given by name
    const WORD typeId = static_cast<WORD>(typeValue);
    if (typeId != kMenu && typeId != kDialog && typeId != kStringTable && typeId != kAccelerators &&
        typeId != kDialogInit) {
        return;
    }
    const auto loadResource = ResourceWedge::Real::LoadResource.Get();
    if (!loadResource) return;
    HGLOBAL loaded = loadResource(module, resource);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return;
    const std::size_t size = SizeofResource(module, resource);

    auto entry = std::make_shared<Entry>();
    try {
        switch (Translate(typeId, data, size, entry->copy)) {
        case TranslateAnswer::translated:
            entry->hasCopy = true;
            entries_[resource] = std::move(entry);
            break;
        case TranslateAnswer::unchanged:
            entry->copy.clear();
            entries_[resource] = std::move(entry);
            break;
        default:
            break;
        }
    } catch (...) {
        // The resource is used as it stands and translated again at its next search.
    }
}
