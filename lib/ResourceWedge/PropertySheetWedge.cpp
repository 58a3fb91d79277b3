// The property-sheet replacements: pages get their templates and titles in the loaded
// language, sheets their caption and standard button texts. The wedge stands between the
// system and the caller's page procedure and callbacks, so it keeps small records: one
// per page (the caller's procedure, parameter and callback, and the template it named),
// one per page window, one per sheet window (which also answers the template-id messages
// that in-memory templates would otherwise defeat). Each registry has its own lock.
#include "lib/ResourceWedge/RealFunctions.h"
#include "lib/ResourceWedge/ReplacementGuard.h"
#include "lib/ResourceWedge/ResourceWedge.h"
#include "lib/ResourceWedge/WedgeGate.h"
#include "lib/ResourceWedge/WedgeImpl.h"
#include "lib/ResourceWedge/WedgeResources.h"
#include "string_ext.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace ResourceWedge {

namespace {

template <bool Wide>
struct Sheet;
template <>
struct Sheet<false> {
    using Page = PROPSHEETPAGEA;
    using Header = PROPSHEETHEADERA;
    using PageCallback = LPFNPSPCALLBACKA;
    using String = std::string;
    using Char = char;
};
template <>
struct Sheet<true> {
    using Page = PROPSHEETPAGEW;
    using Header = PROPSHEETHEADERW;
    using PageCallback = LPFNPSPCALLBACKW;
    using String = std::wstring;
    using Char = wchar_t;
};

static_assert(offsetof(PROPSHEETPAGEA, lParam) == offsetof(PROPSHEETPAGEW, lParam));
static_assert(offsetof(PROPSHEETPAGEA, pfnDlgProc) == offsetof(PROPSHEETPAGEW, pfnDlgProc));

// A page's template name: an ordinal, or a text of either width.
struct TemplateName {
    ULONG_PTR ordinal = 0;
    std::wstring text;
    bool operator==(const TemplateName& other) const { return ordinal == other.ordinal && text == other.text; }
};

TemplateName NameOf(LPCSTR name) {
    TemplateName result;
    if (IS_INTRESOURCE(name)) result.ordinal = reinterpret_cast<ULONG_PTR>(name);
    else if (name) result.text = convert_wstring(name, CP_ACP);
    return result;
}

TemplateName NameOf(LPCWSTR name) {
    TemplateName result;
    if (IS_INTRESOURCE(name)) result.ordinal = reinterpret_cast<ULONG_PTR>(name);
    else if (name) result.text = name;
    return result;
}

struct PageRecord {
    DLGPROC proc = nullptr;
    LPARAM param = 0;
    void (*callback)() = nullptr; // the caller's LPFNPSPCALLBACKA or W
    TemplateName templateName;
    std::string titleA;  // a title loaded from the string table, alive with the page
    std::wstring titleW;
};

struct SheetRecord {
    PFNPROPSHEETCALLBACK callback = nullptr;
    bool wide = false;
    WNDPROC previous = nullptr;
    std::vector<TemplateName> templates;
};

// A sheet being opened by a thread, until the system has made its window.
struct OpeningSheet {
    PFNPROPSHEETCALLBACK callback = nullptr;
    const void* callerHeader = nullptr;
    const void* copy = nullptr;
    bool wide = false;
    DWORD thread = 0;
    std::vector<TemplateName> templates;
};

struct Registries {
    std::mutex pagesLock;
    std::map<HPROPSHEETPAGE, PageRecord*> pageHandles;
    std::mutex windowsLock;
    std::map<HWND, PageRecord*> pageWindows;
    std::mutex sheetsLock;
    std::map<HWND, std::unique_ptr<SheetRecord>> sheetWindows;
    std::map<DWORD, OpeningSheet*> opening;
    std::recursive_mutex propertySheetLock; // held for a whole PropertySheet call
};

Registries& Registry() {
    static auto* registries = new Registries;
    return *registries;
}

void ReleaseRecord(PageRecord* record) {
    {
        std::lock_guard<std::mutex> guard(Registry().pagesLock);
        auto& handles = Registry().pageHandles;
        for (auto it = handles.begin(); it != handles.end();) {
            it = it->second == record ? handles.erase(it) : std::next(it);
        }
    }
    delete record;
}

PageRecord* RecordOfWindow(HWND window) {
    std::lock_guard<std::mutex> guard(Registry().windowsLock);
    const auto it = Registry().pageWindows.find(window);
    return it == Registry().pageWindows.end() ? nullptr : it->second;
}

INT_PTR CALLBACK WedgePageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        if (message == WM_INITDIALOG) {
            auto* page = reinterpret_cast<PROPSHEETPAGEW*>(lParam);
            auto* record = page ? reinterpret_cast<PageRecord*>(page->lParam) : nullptr;
            if (!record) return FALSE;
            {
                std::lock_guard<std::mutex> guard(Registry().windowsLock);
                Registry().pageWindows[window] = record;
            }
            // The caller's procedure sees its own parameter in the page it gets.
            page->lParam = record->param;
            const INT_PTR result = record->proc ? record->proc(window, message, wParam, lParam) : FALSE;
            page->lParam = reinterpret_cast<LPARAM>(record);
            return result;
        }
        PageRecord* record = RecordOfWindow(window);
        const INT_PTR result = record && record->proc ? record->proc(window, message, wParam, lParam) : 0;
        if (message == WM_NCDESTROY) {
            std::lock_guard<std::mutex> guard(Registry().windowsLock);
            Registry().pageWindows.erase(window);
        }
        return result;
    } catch (...) {
        return 0;
    }
}

template <bool Wide>
UINT CALLBACK WedgePageCallback(HWND window, UINT message, typename Sheet<Wide>::Page* page) {
    using PageCallback = typename Sheet<Wide>::PageCallback;
    auto* record = page ? reinterpret_cast<PageRecord*>(page->lParam) : nullptr;
    if (!record) return 1;
    UINT result = 1;
    const auto callerCallback = reinterpret_cast<PageCallback>(record->callback);
    // The caller's callback sees its own procedure, parameter and callback.
    page->pfnDlgProc = record->proc;
    page->lParam = record->param;
    page->pfnCallback = callerCallback;
    try {
        if (callerCallback) result = callerCallback(window, message, page);
    } catch (...) {
    }
    page->pfnDlgProc = WedgePageProc;
    page->lParam = reinterpret_cast<LPARAM>(record);
    page->pfnCallback = WedgePageCallback<Wide>;
    if (message == PSPCB_RELEASE) ReleaseRecord(record);
    return result;
}

template <bool Wide>
HPROPSHEETPAGE CreatePage(const typename Sheet<Wide>::Page* page) {
    using Page = typename Sheet<Wide>::Page;
    const auto create = [] {
        if constexpr (Wide) return Real::CreatePropertySheetPageW.Get();
        else return Real::CreatePropertySheetPageA.Get();
    }();
    if (!create) return nullptr;
    if (!page || !WedgeGate::Open()) return create(page);

    // The caller's record is copied whole (it may carry data of its own beyond the fields).
    std::vector<std::uint8_t> buffer(std::max<std::size_t>(page->dwSize, sizeof(Page)));
    std::memcpy(buffer.data(), page, std::min<std::size_t>(page->dwSize, buffer.size()));
    auto& copy = *reinterpret_cast<Page*>(buffer.data());

    auto record = std::make_unique<PageRecord>();
    if (!(copy.dwFlags & PSP_DLGINDIRECT)) {
        record->templateName = NameOf(copy.pszTemplate);
        FoundResource dialog;
        if constexpr (Wide) dialog = FindAndLoad(copy.hInstance, MAKEINTRESOURCEW(5), copy.pszTemplate);
        else dialog = FindAndLoad(copy.hInstance, MAKEINTRESOURCEA(5), copy.pszTemplate);
        if (dialog.data) {
            copy.pResource = static_cast<PROPSHEETPAGE_RESOURCE>(dialog.data);
            copy.dwFlags |= PSP_DLGINDIRECT;
        }
    }
    if ((copy.dwFlags & PSP_USETITLE) && copy.pszTitle && IS_INTRESOURCE(copy.pszTitle)) {
        const UINT id = static_cast<UINT>(reinterpret_cast<ULONG_PTR>(copy.pszTitle));
        if constexpr (Wide) {
            if (auto title = LoadStringTextW(copy.hInstance, id)) {
                record->titleW = *title;
                copy.pszTitle = record->titleW.c_str();
            }
        } else {
            if (auto title = LoadStringTextA(copy.hInstance, id)) {
                record->titleA = *title;
                copy.pszTitle = record->titleA.c_str();
            }
        }
    }
    record->proc = copy.pfnDlgProc;
    record->param = copy.lParam;
    if (copy.dwFlags & PSP_USECALLBACK) record->callback = reinterpret_cast<void (*)()>(copy.pfnCallback);
    copy.pfnDlgProc = WedgePageProc;
    copy.lParam = reinterpret_cast<LPARAM>(record.get());
    copy.pfnCallback = WedgePageCallback<Wide>;
    copy.dwFlags |= PSP_USECALLBACK;

    HPROPSHEETPAGE handle = create(&copy);
    if (!handle) return nullptr;
    std::lock_guard<std::mutex> guard(Registry().pagesLock);
    Registry().pageHandles[handle] = record.release();
    return handle;
}

int IndexOf(const SheetRecord& sheet, const TemplateName& name) {
    const auto it = std::find(sheet.templates.begin(), sheet.templates.end(), name);
    return it == sheet.templates.end() ? -1 : static_cast<int>(it - sheet.templates.begin());
}

LRESULT CALLBACK SheetWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    SheetRecord* sheet = nullptr;
    {
        std::lock_guard<std::mutex> guard(Registry().sheetsLock);
        const auto it = Registry().sheetWindows.find(window);
        if (it != Registry().sheetWindows.end()) sheet = it->second.get();
    }
    if (!sheet) return DefWindowProcW(window, message, wParam, lParam);
    const WNDPROC previous = sheet->previous;
    auto pass = [&](UINT m, WPARAM w, LPARAM l) {
        return sheet->wide ? CallWindowProcW(previous, window, m, w, l) : CallWindowProcA(previous, window, m, w, l);
    };
    try {
        switch (message) {
        case PSM_SETCURSELID: {
            const int index = IndexOf(*sheet, sheet->wide ? NameOf(reinterpret_cast<LPCWSTR>(lParam))
                                                           : NameOf(reinterpret_cast<LPCSTR>(lParam)));
            return index < 0 ? FALSE : pass(PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
        }
        case PSM_IDTOINDEX:
            return IndexOf(*sheet, sheet->wide ? NameOf(reinterpret_cast<LPCWSTR>(lParam))
                                               : NameOf(reinterpret_cast<LPCSTR>(lParam)));
        case PSM_INDEXTOID:
            return wParam < sheet->templates.size() ? static_cast<LRESULT>(sheet->templates[wParam].ordinal) : 0;
        case WM_NCDESTROY: {
            {
                std::lock_guard<std::mutex> guard(Registry().sheetsLock);
                Registry().sheetWindows.erase(window);
            }
            return sheet->wide ? CallWindowProcW(previous, window, message, wParam, lParam)
                               : CallWindowProcA(previous, window, message, wParam, lParam);
        }
        default:
            break;
        }
    } catch (...) {
    }
    return pass(message, wParam, lParam);
}

// The standard buttons of a sheet and the keys of their texts.
constexpr struct {
    int id;
    const char* key;
} kSheetButtons[] = {{IDOK, "MSGBOX_OK"},          {IDCANCEL, "MSGBOX_CANCEL"},  {0x3021, "PRSHT_APPLY_NOW"},
                     {0x3023, "PRSHT_WIZBACK"},    {0x3024, "PRSHT_WIZNEXT"},    {0x3025, "PRSHT_WIZFINISH"}};

int CALLBACK WedgeSheetCallback(HWND window, UINT message, LPARAM lParam) {
    try {
        OpeningSheet* opening = nullptr;
        {
            std::lock_guard<std::mutex> guard(Registry().sheetsLock);
            const auto it = Registry().opening.find(GetCurrentThreadId());
            if (it != Registry().opening.end()) opening = it->second;
        }
        if (!opening) return 0;
        if (message == PSCB_INITIALIZED && window) {
            auto sheet = std::make_unique<SheetRecord>();
            sheet->callback = opening->callback;
            sheet->wide = opening->wide;
            sheet->templates = opening->templates;
            SheetRecord* raw = sheet.get();
            {
                std::lock_guard<std::mutex> guard(Registry().sheetsLock);
                Registry().sheetWindows[window] = std::move(sheet);
            }
            const auto proc = reinterpret_cast<LONG_PTR>(&SheetWindowProc);
            raw->previous = reinterpret_cast<WNDPROC>(opening->wide ? SetWindowLongPtrW(window, GWLP_WNDPROC, proc)
                                                                    : SetWindowLongPtrA(window, GWLP_WNDPROC, proc));
            for (const auto& button : kSheetButtons) {
                HWND control = GetDlgItem(window, button.id);
                const std::optional<std::string> text = control ? g_WedgeImpl.Lookup(button.key) : std::nullopt;
                if (text) SetWindowTextW(control, convert_wstring(*text, g_WedgeImpl.LanguageCodePage()).c_str());
            }
        }
        return opening->callback ? opening->callback(window, message, lParam) : 0;
    } catch (...) {
        return 0;
    }
}

template <bool Wide>
INT_PTR OpenSheet(const typename Sheet<Wide>::Header* header) {
    using Header = typename Sheet<Wide>::Header;
    using Page = typename Sheet<Wide>::Page;
    const auto run = [] {
        if constexpr (Wide) return Real::PropertySheetW.Get();
        else return Real::PropertySheetA.Get();
    }();
    if (!run) return -1;
    if (!header || !WedgeGate::Open()) return run(header);

    std::lock_guard<std::recursive_mutex> sheetGuard(Registry().propertySheetLock);
    std::vector<std::uint8_t> buffer(std::max<std::size_t>(header->dwSize, sizeof(Header)));
    std::memcpy(buffer.data(), header, std::min<std::size_t>(header->dwSize, buffer.size()));
    auto& copy = *reinterpret_cast<Header*>(buffer.data());

    std::vector<HPROPSHEETPAGE> handles;
    if (copy.dwFlags & PSH_PROPSHEETPAGE) {
        const auto* position = reinterpret_cast<const std::uint8_t*>(copy.ppsp);
        for (UINT i = 0; position && i < copy.nPages; ++i) {
            const auto* page = reinterpret_cast<const Page*>(position);
            if (HPROPSHEETPAGE handle = CreatePage<Wide>(page)) handles.push_back(handle);
            position += page->dwSize;
        }
        copy.phpage = handles.data();
        copy.nPages = static_cast<UINT>(handles.size());
        copy.dwFlags &= ~static_cast<DWORD>(PSH_PROPSHEETPAGE);
    }

    OpeningSheet opening;
    {
        std::lock_guard<std::mutex> guard(Registry().pagesLock);
        for (UINT i = 0; copy.phpage && i < copy.nPages; ++i) {
            const auto it = Registry().pageHandles.find(copy.phpage[i]);
            opening.templates.push_back(it == Registry().pageHandles.end() ? TemplateName{} : it->second->templateName);
        }
    }
    typename Sheet<Wide>::String caption;
    if (copy.pszCaption && IS_INTRESOURCE(copy.pszCaption)) {
        const UINT id = static_cast<UINT>(reinterpret_cast<ULONG_PTR>(copy.pszCaption));
        if constexpr (Wide) {
            if (auto text = LoadStringTextW(copy.hInstance, id)) caption = *text;
        } else {
            if (auto text = LoadStringTextA(copy.hInstance, id)) caption = *text;
        }
        if (!caption.empty()) copy.pszCaption = caption.c_str();
    }
    opening.callback = (copy.dwFlags & PSH_USECALLBACK) ? copy.pfnCallback : nullptr;
    opening.callerHeader = header;
    opening.copy = &copy;
    opening.wide = Wide;
    opening.thread = GetCurrentThreadId();
    copy.pfnCallback = WedgeSheetCallback;
    copy.dwFlags |= PSH_USECALLBACK;
    {
        std::lock_guard<std::mutex> guard(Registry().sheetsLock);
        Registry().opening[opening.thread] = &opening;
    }
    struct Forget {
        DWORD thread;
        ~Forget() {
            std::lock_guard<std::mutex> guard(Registry().sheetsLock);
            Registry().opening.erase(thread);
        }
    } forget{opening.thread};
    return run(&copy);
}

} // namespace

HPROPSHEETPAGE WINAPI CreatePropertySheetPageA(LPCPROPSHEETPAGEA page) {
    return FallBackOnThrow([&] { return CreatePage<false>(page); },
                   [&] { return CallReal(Real::CreatePropertySheetPageA, HPROPSHEETPAGE{}, page); });
}

HPROPSHEETPAGE WINAPI CreatePropertySheetPageW(LPCPROPSHEETPAGEW page) {
    return FallBackOnThrow([&] { return CreatePage<true>(page); },
                   [&] { return CallReal(Real::CreatePropertySheetPageW, HPROPSHEETPAGE{}, page); });
}

BOOL WINAPI DestroyPropertySheetPage(HPROPSHEETPAGE page) {
    const BOOL result = CallReal(Real::DestroyPropertySheetPage, FALSE, page);
    // The release callback frees the page's record; a page whose system never sent it
    // loses its handle entry here.
    FallBackOnThrow(
        [&] {
            std::lock_guard<std::mutex> guard(Registry().pagesLock);
            Registry().pageHandles.erase(page);
        },
        [] {});
    return result;
}

INT_PTR WINAPI PropertySheetA(LPCPROPSHEETHEADERA header) {
    return FallBackOnThrow([&] { return OpenSheet<false>(header); },
                   [&] { return CallReal(Real::PropertySheetA, INT_PTR{-1}, header); });
}

INT_PTR WINAPI PropertySheetW(LPCPROPSHEETHEADERW header) {
    return FallBackOnThrow([&] { return OpenSheet<true>(header); },
                   [&] { return CallReal(Real::PropertySheetW, INT_PTR{-1}, header); });
}

} // namespace ResourceWedge
