#include "lib/ResourceWedge/WedgeImpl.h"

#include "lib/LangStrings/ActiveLanguage.h"
#include "lib/LangStrings/LangPlatform.h"
#include "lib/LangStrings/LangStrings.h"

WedgeImpl g_WedgeImpl;

namespace {

std::atomic<bool> g_fatalMessageShown{false};

} // namespace

WedgeImpl::WedgeImpl() = default;

WedgeImpl::~WedgeImpl() {
    langplatform::DestroyAcceleratorHandle(acceleratorTable_.Exchange(nullptr));
    destroyed_ = true;
}

WedgeImpl::AllLocks::AllLocks(WedgeImpl& wedge) {
    held_ = {&wedge.initialized_.Mutex(), &wedge.languageId_.Mutex(), &wedge.userLanguage_.Mutex(),
             &wedge.lookupContext_.Mutex(), &wedge.acceleratorTable_.Mutex()};
    for (std::recursive_mutex* lock : held_) lock->lock();
}

WedgeImpl::AllLocks::~AllLocks() {
    for (auto it = held_.rbegin(); it != held_.rend(); ++it) (*it)->unlock();
}

bool WedgeImpl::Destroyed() const {
    if (!destroyed_.load()) return false;
    if (!g_fatalMessageShown.exchange(true)) {
        langplatform::ShowSystemMessage(
            "ResourceWedge",
            "Error encountered in the ResourceWedge:  The main application thread has exited, "
            "leaving the ResourceWedge in a state where it is unusable to the other threads that "
            "are calling it.");
    }
    return true;
}

bool WedgeImpl::Initialized() const {
    if (Destroyed()) return false;
    return initialized_.Get() && lookupContext_.Get() != nullptr;
}

std::uint16_t WedgeImpl::LanguageId() const { return Destroyed() ? 0 : languageId_.Get(); }
std::uint16_t WedgeImpl::UserLanguage() const { return Destroyed() ? 0 : userLanguage_.Get(); }
std::uint32_t WedgeImpl::LanguageCodePage() const { return Destroyed() ? 0 : ActiveLanguage::LanguageCodePage(); }
std::uint32_t WedgeImpl::FallbackCodePage() const { return Destroyed() ? 0 : ActiveLanguage::FallbackCodePage(); }
std::uint32_t WedgeImpl::ConversionCodePage() const { return Destroyed() ? 0 : ActiveLanguage::ConversionCodePage(); }

std::shared_ptr<LangSectionSet> WedgeImpl::LookupContext() const {
    return Destroyed() ? nullptr : lookupContext_.Get();
}

std::unique_lock<std::recursive_mutex> WedgeImpl::LockLookupContext() const {
    if (Destroyed()) return {};
    return std::unique_lock<std::recursive_mutex>(lookupContext_.Mutex());
}

void WedgeImpl::SetInitialized(bool initialized) {
    if (!Destroyed()) initialized_.Set(initialized);
}
void WedgeImpl::SetLanguageId(std::uint16_t language) {
    if (!Destroyed()) languageId_.Set(language);
}
void WedgeImpl::SetUserLanguage(std::uint16_t language) {
    if (!Destroyed()) userLanguage_.Set(language);
}
void WedgeImpl::SetLanguageCodePage(std::uint32_t codePage) {
    if (!Destroyed()) ActiveLanguage::SetLanguageCodePage(codePage);
}
void WedgeImpl::SetFallbackCodePage(std::uint32_t codePage) {
    if (!Destroyed()) ActiveLanguage::SetFallbackCodePage(codePage);
}
void WedgeImpl::SetLookupContext(std::shared_ptr<LangSectionSet> context) {
    if (!Destroyed()) lookupContext_.Set(std::move(context));
}

void* WedgeImpl::AcceleratorTable() const { return Destroyed() ? nullptr : acceleratorTable_.Get(); }

void WedgeImpl::SetAcceleratorTable(void* table) {
    if (Destroyed()) return;
    void* previous = acceleratorTable_.Exchange(table);
    if (previous != table) langplatform::DestroyAcceleratorHandle(previous);
}

std::optional<std::string> WedgeImpl::Lookup(std::string_view key) const {
    const std::shared_ptr<LangSectionSet> context = LookupContext();
    if (!context) return std::nullopt;
    const std::optional<std::string_view> value = context->Lookup(key);
    if (!value) return std::nullopt;
    return std::string(*value);
}

std::string WedgeImpl::TranslateText(std::string_view text, bool* changed) const {
    bool replaced = false;
    const std::shared_ptr<LangSectionSet> context = LookupContext();
    std::string result = context ? context->Translate(text, replaced) : std::string(text);
    if (changed) *changed = replaced;
    return result;
}

ResourceTranslation WedgeImpl::TranslateAcceleratorTable(const void* data, std::size_t size,
                                                         std::vector<unsigned char>& table) const {
    if (!LangStrings::Initialized() || !Initialized()) return ResourceTranslation::kNotActive;
    const std::shared_ptr<LangSectionSet> context = LookupContext();
    if (!context) return ResourceTranslation::kNotActive;
    return ::TranslateAcceleratorTable(data, size, *context, table);
}

ResourceTranslation WedgeImpl::TranslateDialogInitData(const void* data, std::size_t size,
                                                       std::vector<unsigned char>& result) const {
    if (!LangStrings::Initialized() || !Initialized()) return ResourceTranslation::kNotActive;
    const std::shared_ptr<LangSectionSet> context = LookupContext();
    if (!context) return ResourceTranslation::kNotActive;
    return ::TranslateDialogInitData(data, size, *context, result);
}

void WedgeImpl::Reset() {
    AllLocks all(*this);
    initialized_.Set(false);
    languageId_.Set(0);
    userLanguage_.Set(0);
    ActiveLanguage::Clear();
    lookupContext_.Set(nullptr);
    SetAcceleratorTable(nullptr);
}
