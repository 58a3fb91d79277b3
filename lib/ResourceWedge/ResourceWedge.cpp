#include "lib/ResourceWedge/ResourceWedge.h"

#include "lib/LangStrings/LangSectionSet.h"
#include "lib/ResourceWedge/RealFunctions.h"
#include "lib/ResourceWedge/ReplacementGuard.h"
#include "lib/ResourceWedge/WedgeGate.h"
#include "lib/ResourceWedge/WedgeImpl.h"
#include "lib/ResourceWedge/WedgeResources.h"
#include "string_ext.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

namespace ResourceWedge {

namespace {

constexpr WORD kMenu = 4, kDialog = 5, kStringTable = 6, kAccelerators = 9;

std::uint16_t ReadWord(const std::uint8_t* bytes) {
    return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
}

// Entry index of a string-table block: its code units, or nothing when the block ends first.
struct StringEntry {
    const std::uint8_t* units;
    std::size_t length;
};

std::optional<StringEntry> FindEntry(const FoundResource& block, unsigned index) {
    const auto* bytes = static_cast<const std::uint8_t*>(block.data);
    std::size_t position = 0;
    for (unsigned i = 0;; ++i) {
        if (!bytes || position + 2 > block.size) return std::nullopt;
        const std::size_t length = ReadWord(bytes + position);
        position += 2;
        if (position + 2 * length > block.size) return std::nullopt;
        if (i == index) return StringEntry{bytes + position, length};
        position += 2 * length;
    }
}

std::wstring Units(const StringEntry& entry) {
    std::wstring text(entry.length, L'\0');
    if (entry.length) std::memcpy(text.data(), entry.units, 2 * entry.length);
    return text;
}

template <class Char>
FoundResource StringBlock(HINSTANCE instance, UINT id) {
    if constexpr (sizeof(Char) == 1) {
        return FindAndLoad(instance, MAKEINTRESOURCEA(kStringTable), MAKEINTRESOURCEA((id >> 4) + 1));
    } else {
        return FindAndLoad(instance, MAKEINTRESOURCEW(kStringTable), MAKEINTRESOURCEW((id >> 4) + 1));
    }
}

// Copies at most room - 1 characters and the terminator, as the system's function does;
// a double-byte character that doesn't fit whole is left out.
int CopyTerminated(const std::string& text, char* buffer, int room, UINT codePage) {
    std::size_t count = std::min<std::size_t>(text.size(), static_cast<std::size_t>(room - 1));
    if (count < text.size()) {
        std::size_t end = 0;
        while (end < count) {
            const std::size_t step = IsDBCSLeadByteEx(codePage, static_cast<BYTE>(text[end])) ? 2 : 1;
            if (end + step > count) break;
            end += step;
        }
        count = end;
    }
    std::memcpy(buffer, text.data(), count);
    buffer[count] = '\0';
    return static_cast<int>(count);
}

HACCEL MakeAcceleratorTable(const FoundResource& resource, bool wide) {
    const auto* bytes = static_cast<const std::uint8_t*>(resource.data);
    std::vector<ACCEL> entries;
    for (std::size_t position = 0; bytes && position + 8 <= resource.size; position += 8) {
        const std::uint8_t flags = bytes[position];
        entries.push_back(ACCEL{static_cast<BYTE>(flags & ~0x80), ReadWord(bytes + position + 2),
                                ReadWord(bytes + position + 4)});
        if (flags & 0x80) break;
    }
    if (entries.empty()) return nullptr;
    const int count = static_cast<int>(entries.size());
    HACCEL table = wide ? CreateAcceleratorTableW(entries.data(), count)
                        : CreateAcceleratorTableA(entries.data(), count);
    if (!table) return nullptr;
    g_WedgeImpl.SetAcceleratorTable(table);
    HACCEL current = static_cast<HACCEL>(g_WedgeImpl.AcceleratorTable());
    if (current != table) DestroyAcceleratorTable(table); // the wedge is gone
    return current;
}

// Message boxes of several threads are shown one after the other. A lock of its own: a box
// waits for the user, and holding the lookup context's lock meanwhile would stop every other
// thread's lookups (a thread owning the box's owner window could then never answer the
// messages the box sends it).
std::recursive_mutex& BoxLock() {
    static auto* lock = new std::recursive_mutex;
    return *lock;
}

// The dialog template of a dialog replacement: the language's (null data when the module has
// none), or nothing when the system's function takes the call. The dialog procedure runs
// outside the guard.
template <class Char>
std::optional<FoundResource> WedgeDialog(HINSTANCE instance, const Char* name) noexcept {
    return FallBackOnThrow(
        [&]() -> std::optional<FoundResource> {
            if (!WedgeGate::Open()) return std::nullopt;
            if constexpr (sizeof(Char) == 1) return FindAndLoad(instance, MAKEINTRESOURCEA(kDialog), name);
            else return FindAndLoad(instance, MAKEINTRESOURCEW(kDialog), name);
        },
        [] { return std::optional<FoundResource>(); });
}

void Examine(HMODULE module, HRSRC found, const void* type) {
    if (WedgeGate::Open()) ResourceCache::Instance().Examine(module, found, type);
}

// The translated copy of a found resource when the cache holds one, else the resource itself.
FoundResource LoadFound(HMODULE module, HRSRC found) {
    if (!found) return {};
    if (auto entry = ResourceCache::Instance().Find(found); entry && entry->hasCopy) {
        return {entry->copy.data(), entry->copy.size()};
    }
    HGLOBAL loaded = CallReal(Real::LoadResource, HGLOBAL{}, module, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return {};
    return {data, SizeofResource(module, found)};
}

} // namespace

FoundResource FindAndLoad(HMODULE module, LPCSTR type, LPCSTR name) {
    HRSRC found = ResourceWedge::FindResourceExA(module, type, name, g_WedgeImpl.LanguageId());
    return LoadFound(module, found);
}

FoundResource FindAndLoad(HMODULE module, LPCWSTR type, LPCWSTR name) {
    HRSRC found = ResourceWedge::FindResourceExW(module, type, name, g_WedgeImpl.LanguageId());
    return LoadFound(module, found);
}

std::optional<std::wstring> LoadStringTextW(HINSTANCE instance, UINT id) {
    const std::optional<StringEntry> entry = FindEntry(StringBlock<wchar_t>(instance, id), id & 15);
    if (!entry || entry->length == 0) return std::nullopt;
    return Units(*entry);
}

std::optional<std::string> LoadStringTextA(HINSTANCE instance, UINT id) {
    const std::optional<StringEntry> entry = FindEntry(StringBlock<char>(instance, id), id & 15);
    if (!entry || entry->length == 0) return std::nullopt;
    std::string text;
    if (!try_convert_string(Units(*entry), g_WedgeImpl.ConversionCodePage(), text)) return std::nullopt;
    return text;
}

int WedgeMessageBox(HWND owner, const char* text, const char* caption, UINT style) {
    // After the process-exit code has destroyed the state the box answers -1 (the state has
    // shown its fatal message).
    if (!g_WedgeImpl.LockLookupContext().owns_lock()) return -1;
    std::lock_guard<std::recursive_mutex> guard(BoxLock());
    if (const std::shared_ptr<LangSectionSet> context = g_WedgeImpl.LookupContext()) {
        return context->MsgBox(owner, text, caption, style);
    }
    return CallReal(Real::MessageBoxExA, 0, owner, text, caption, style, g_WedgeImpl.LanguageId());
}

int WINAPI LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int bufferMax) {
    const auto real = [&] { return CallReal(Real::LoadStringA, 0, instance, id, buffer, bufferMax); };
    return FallBackOnThrow(
        [&] {
            if (!WedgeGate::Open()) return real();
            const std::optional<std::string> text = LoadStringTextA(instance, id);
            if (!text || !buffer || bufferMax <= 0) return 0;
            return CopyTerminated(*text, buffer, bufferMax, g_WedgeImpl.ConversionCodePage());
        },
        real);
}

int WINAPI LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int bufferMax) {
    const auto real = [&] { return CallReal(Real::LoadStringW, 0, instance, id, buffer, bufferMax); };
    return FallBackOnThrow(
        [&] {
            if (!WedgeGate::Open()) return real();
            const std::optional<StringEntry> entry = FindEntry(StringBlock<wchar_t>(instance, id), id & 15);
            if (!entry || entry->length == 0 || !buffer || bufferMax < 0) return 0;
            if (bufferMax == 0) {
                // The system's contract: a read-only pointer to the text in the resource.
                *reinterpret_cast<const void**>(buffer) = entry->units;
                return static_cast<int>(entry->length);
            }
            const std::size_t count = std::min<std::size_t>(entry->length, static_cast<std::size_t>(bufferMax - 1));
            std::memcpy(buffer, entry->units, 2 * count);
            buffer[count] = L'\0';
            return static_cast<int>(count);
        },
        real);
}

HACCEL WINAPI LoadAcceleratorsA(HINSTANCE instance, LPCSTR name) {
    const auto real = [&] { return CallReal(Real::LoadAcceleratorsA, HACCEL{}, instance, name); };
    return FallBackOnThrow(
        [&] {
            if (!WedgeGate::Open()) return real();
            return MakeAcceleratorTable(FindAndLoad(instance, MAKEINTRESOURCEA(kAccelerators), name), false);
        },
        real);
}

HACCEL WINAPI LoadAcceleratorsW(HINSTANCE instance, LPCWSTR name) {
    const auto real = [&] { return CallReal(Real::LoadAcceleratorsW, HACCEL{}, instance, name); };
    return FallBackOnThrow(
        [&] {
            if (!WedgeGate::Open()) return real();
            return MakeAcceleratorTable(FindAndLoad(instance, MAKEINTRESOURCEW(kAccelerators), name), true);
        },
        real);
}

HMENU WINAPI LoadMenuA(HINSTANCE instance, LPCSTR name) {
    const auto real = [&] { return CallReal(Real::LoadMenuA, HMENU{}, instance, name); };
    return FallBackOnThrow(
        [&] {
            if (!WedgeGate::Open()) return real();
            const FoundResource menu = FindAndLoad(instance, MAKEINTRESOURCEA(kMenu), name);
            return menu.data ? LoadMenuIndirectA(menu.data) : nullptr;
        },
        real);
}

HMENU WINAPI LoadMenuW(HINSTANCE instance, LPCWSTR name) {
    const auto real = [&] { return CallReal(Real::LoadMenuW, HMENU{}, instance, name); };
    return FallBackOnThrow(
        [&] {
            if (!WedgeGate::Open()) return real();
            const FoundResource menu = FindAndLoad(instance, MAKEINTRESOURCEW(kMenu), name);
            return menu.data ? LoadMenuIndirectW(menu.data) : nullptr;
        },
        real);
}

HWND WINAPI CreateDialogParamA(HINSTANCE instance, LPCSTR name, HWND parent, DLGPROC proc, LPARAM param) {
    const std::optional<FoundResource> dialog = WedgeDialog(instance, name);
    if (!dialog) return CallReal(Real::CreateDialogParamA, HWND{}, instance, name, parent, proc, param);
    if (!dialog->data) return nullptr;
    return CreateDialogIndirectParamA(instance, static_cast<LPCDLGTEMPLATEA>(dialog->data), parent, proc, param);
}

HWND WINAPI CreateDialogParamW(HINSTANCE instance, LPCWSTR name, HWND parent, DLGPROC proc, LPARAM param) {
    const std::optional<FoundResource> dialog = WedgeDialog(instance, name);
    if (!dialog) return CallReal(Real::CreateDialogParamW, HWND{}, instance, name, parent, proc, param);
    if (!dialog->data) return nullptr;
    return CreateDialogIndirectParamW(instance, static_cast<LPCDLGTEMPLATEW>(dialog->data), parent, proc, param);
}

INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR name, HWND parent, DLGPROC proc, LPARAM param) {
    const std::optional<FoundResource> dialog = WedgeDialog(instance, name);
    if (!dialog) return CallReal(Real::DialogBoxParamA, INT_PTR{-1}, instance, name, parent, proc, param);
    if (!dialog->data) return -1;
    return DialogBoxIndirectParamA(instance, static_cast<LPCDLGTEMPLATEA>(dialog->data), parent, proc, param);
}

INT_PTR WINAPI DialogBoxParamW(HINSTANCE instance, LPCWSTR name, HWND parent, DLGPROC proc, LPARAM param) {
    const std::optional<FoundResource> dialog = WedgeDialog(instance, name);
    if (!dialog) return CallReal(Real::DialogBoxParamW, INT_PTR{-1}, instance, name, parent, proc, param);
    if (!dialog->data) return -1;
    return DialogBoxIndirectParamW(instance, static_cast<LPCDLGTEMPLATEW>(dialog->data), parent, proc, param);
}

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT style) {
    const auto real = [&] { return CallReal(Real::MessageBoxA, 0, owner, text, caption, style); };
    return FallBackOnThrow(
        [&] {
            if (!WedgeGate::Open()) return real();
            return ResourceWedge::MessageBoxExA(owner, text, caption, style, g_WedgeImpl.LanguageId());
        },
        real);
}

int WINAPI MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT style) {
    const auto real = [&] { return CallReal(Real::MessageBoxW, 0, owner, text, caption, style); };
    return FallBackOnThrow(
        [&] {
            if (!WedgeGate::Open()) return real();
            return ResourceWedge::MessageBoxExW(owner, text, caption, style, g_WedgeImpl.LanguageId());
        },
        real);
}

int WINAPI MessageBoxExA(HWND owner, LPCSTR text, LPCSTR caption, UINT style, WORD language) {
    const auto real = [&] { return CallReal(Real::MessageBoxExA, 0, owner, text, caption, style, language); };
    return FallBackOnThrow(
        [&] {
            if (!WedgeGate::Open() || language != g_WedgeImpl.LanguageId()) return real();
            return WedgeMessageBox(owner, text, caption, style);
        },
        real);
}

int WINAPI MessageBoxExW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT style, WORD language) {
    const auto real = [&] { return CallReal(Real::MessageBoxExW, 0, owner, text, caption, style, language); };
    return FallBackOnThrow(
        [&] {
            if (!WedgeGate::Open() || language != g_WedgeImpl.LanguageId()) return real();
            // Texts the language's code page can't take are shown by the system's box.
            const std::uint32_t codePage = g_WedgeImpl.LanguageCodePage();
            std::string narrowText, narrowCaption = "Error";
            if ((text && !try_convert_string(text, codePage, narrowText)) ||
                (caption && !try_convert_string(caption, codePage, narrowCaption))) {
                return real();
            }
            return WedgeMessageBox(owner, narrowText.c_str(), narrowCaption.c_str(), style);
        },
        real);
}

HRSRC WINAPI FindResourceA(HMODULE module, LPCSTR name, LPCSTR type) {
    const auto real = [&] { return CallReal(Real::FindResourceA, HRSRC{}, module, name, type); };
    return FallBackOnThrow(
        [&] {
            if (!WedgeGate::Open()) return real();
            return ResourceWedge::FindResourceExA(module, type, name, g_WedgeImpl.LanguageId());
        },
        real);
}

HRSRC WINAPI FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type) {
    const auto real = [&] { return CallReal(Real::FindResourceW, HRSRC{}, module, name, type); };
    return FallBackOnThrow(
        [&] {
            if (!WedgeGate::Open()) return real();
            return ResourceWedge::FindResourceExW(module, type, name, g_WedgeImpl.LanguageId());
        },
        real);
}

HRSRC WINAPI FindResourceExA(HMODULE module, LPCSTR type, LPCSTR name, WORD language) {
    HRSRC found = CallReal(Real::FindResourceExA, HRSRC{}, module, type, name, language);
    if (found) FallBackOnThrow([&] { Examine(module, found, type); }, [] {});
    return found;
}

HRSRC WINAPI FindResourceExW(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language) {
    HRSRC found = CallReal(Real::FindResourceExW, HRSRC{}, module, type, name, language);
    if (found) FallBackOnThrow([&] { Examine(module, found, type); }, [] {});
    return found;
}

HGLOBAL WINAPI LoadResource(HMODULE module, HRSRC resource) {
    const auto real = [&] { return CallReal(Real::LoadResource, HGLOBAL{}, module, resource); };
    return FallBackOnThrow(
        [&] {
            if (!resource || !WedgeGate::Open()) return real();
            const auto entry = ResourceCache::Instance().Find(resource);
            return entry && entry->hasCopy ? HGLOBAL(const_cast<std::uint8_t*>(entry->copy.data())) : real();
        },
        real);
}

} // namespace ResourceWedge
