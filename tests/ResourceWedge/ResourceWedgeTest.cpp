// The wedge linked into this program: its own calls of the system functions pass through
// before the start-up, come back in French after it (one case per replacement: the copies'
// contents are TemplateTranslationTest's) and fail after the process-exit code. Also main.
#include "lib/ResourceWedge/WedgeImpl.h"
#include "support/UniqueHandle.h"
#include "tests/ResourceWedge/WedgeTestIds.h"
#include "tests/ResourceWedge/WedgeTestSupport.h"
#include "tests/common/HostKit.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

using wedgetest::StartFrench;

namespace {

HINSTANCE Self() { return GetModuleHandleW(nullptr); }

std::wstring WideText(HWND window) { wchar_t text[128] = {}; GetWindowTextW(window, text, 128); return text; }

// The system's own LoadResource, for comparing with what the wedge hands out.
const void* SystemResource(HRSRC resource) {
    using LoadResourceFunction = HGLOBAL(WINAPI*)(HMODULE, HRSRC);
    const auto load = reinterpret_cast<LoadResourceFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("kernel32"), "LoadResource")));
    return LockResource(load(nullptr, resource));
}

constexpr char kChildSwitch[] = "--wedge-life-child";
constexpr DWORD kChildDone = 7;
HANDLE g_wedgeGone = nullptr, g_callsDone = nullptr;
int g_boxAnswer = 0;

DWORD WINAPI LateCaller(void*) {
    WaitForSingleObject(g_wedgeGone, INFINITE);
    char text[32];
    for (int i = 0; i < 2; ++i) LoadStringA(Self(), IDS_TITLE, text, sizeof text);
    g_boxAnswer = MessageBoxA(nullptr, "{IDS_QUESTION}", "{IDS_TITLE}", MB_OK);
    SetEvent(g_callsDone);
    return 0;
}

// Constructed before every object of default priority (g_WedgeImpl among them), so it is
// destroyed after them: in a child run it lets the late thread call the destroyed wedge.
struct AfterStaticObjects {
    bool child = false;
    ~AfterStaticObjects() {
        if (!child) return;
        SetEvent(g_wedgeGone);
        const bool done = WaitForSingleObject(g_callsDone, 60000) == WAIT_OBJECT_0;
        ExitProcess(!done ? 1 : g_boxAnswer == -1 ? kChildDone : 8);
    }
};
AfterStaticObjects g_afterStaticObjects __attribute__((init_priority(101)));

// The child run: the calls pass through before the start-up; after it a thread waits to
// call the wedge once the static objects are gone.
int RunChild() {
    char text[64] = "";
    if (LoadStringA(Self(), IDS_TITLE, text, sizeof text) != 11 || std::strcmp(text, "{IDS_TITLE}") != 0) return 2;
    if (!StartFrench() || LoadStringA(Self(), IDS_TITLE, text, sizeof text) != 7) return 3;
    g_wedgeGone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    g_callsDone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const UniqueKernelHandle thread(CreateThread(nullptr, 0, LateCaller, nullptr, 0, nullptr));
    if (!thread) return 4;
    g_afterStaticObjects.child = true;
    return 0;
}

INT_PTR CALLBACK QuietProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

std::wstring FaceOf(HGDIOBJ font) { LOGFONTW logFont{}; GetObjectW(font, sizeof logFont, &logFont); return logFont.lfFaceName; }
std::wstring g_modalSeen;

INT_PTR CALLBACK ModalProc(HWND dialog, UINT message, WPARAM, LPARAM) {
    if (message != WM_INITDIALOG) return FALSE;
    const HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    g_modalSeen = WideText(dialog) + L"|" + WideText(GetDlgItem(dialog, IDOK)) + L"|" + FaceOf(font);
    EndDialog(dialog, 42);
    return TRUE;
}

LPARAM g_pageParam = 0;
INT_PTR CALLBACK PageProc(HWND, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_INITDIALOG) g_pageParam = reinterpret_cast<const PROPSHEETPAGEW*>(lParam)->lParam;
    return message == WM_INITDIALOG;
}

} // namespace

// A thread that still calls the wedge after the process-exit code has destroyed its state sees
// the fatal message once; later calls fail quietly (a message box answers -1).
TEST(WedgeStartUp, PassesThroughBeforeTheStartUpAndFailsAfterTheExit) {
    testsupport::ChildProcess child(testsupport::Quoted(testsupport::SelfPath()) + " " + kChildSwitch);
    ASSERT_TRUE(child.Started()) << child.Error();
    HWND box = testsupport::FindProcessWindow(child.Id(), "#32770", "ResourceWedge", 30000);
    ASSERT_NE(box, nullptr) << "no fatal message; exit code " << (child.WaitForExit(0) ? child.ExitCode() : 0);
    EXPECT_EQ(testsupport::MessageText(box),
              "Error encountered in the ResourceWedge:  The main application thread has exited, leaving the "
              "ResourceWedge in a state where it is unusable to the other threads that are calling it.");
    testsupport::PressButton(box, IDOK);
    // A second message would keep the child waiting until it is killed.
    ASSERT_TRUE(child.WaitForExit(30000));
    EXPECT_EQ(child.ExitCode(), kChildDone);
}

TEST(WedgeStrings, LoadStringInBothForms) {
    ASSERT_TRUE(StartFrench());
    // Longer than the buffer: cut and terminated, as the system's function does.
    struct Case { int room; const char* narrow; const wchar_t* wide; int length; };
    for (const Case& c : {Case{64, "Gravure", L"Gravure", 7}, Case{5, "Grav", L"Grav", 4}, Case{1, "", L"", 0}}) {
        SCOPED_TRACE("room " + std::to_string(c.room));
        char narrow[64];
        std::memset(narrow, 'x', sizeof narrow);
        EXPECT_EQ(LoadStringA(Self(), IDS_TITLE, narrow, c.room), c.length);
        EXPECT_STREQ(narrow, c.narrow);
        wchar_t wide[64];
        std::fill(std::begin(wide), std::end(wide), L'x');
        EXPECT_EQ(LoadStringW(Self(), IDS_TITLE, wide, c.room), c.length);
        EXPECT_STREQ(wide, c.wide);
    }
    // An id without a string writes nothing.
    char untouched[8] = "keep";
    EXPECT_EQ(LoadStringA(Self(), 999, untouched, sizeof untouched), 0);
    EXPECT_STREQ(untouched, "keep");
    // A buffer size of 0 asks for a pointer to the text itself.
    const wchar_t* pointer = nullptr;
    EXPECT_EQ(LoadStringW(Self(), IDS_TITLE, reinterpret_cast<LPWSTR>(&pointer), 0), 7);
    ASSERT_NE(pointer, nullptr);
    EXPECT_EQ(std::wstring(pointer, 7), L"Gravure");
}

TEST(WedgeDialogs, TemplatesComeUpTranslatedWithTheDefaultGuiFont) {
    ASSERT_TRUE(StartFrench());
    const std::wstring guiFace = FaceOf(GetStockObject(DEFAULT_GUI_FONT));

    // The extended template, modal and wide (the normal one: BurnWindowProcessTest).
    EXPECT_EQ(DialogBoxParamW(Self(), MAKEINTRESOURCEW(IDD_EXTENDED), nullptr, ModalProc, 0), 42);
    EXPECT_EQ(g_modalSeen, L"Gravure!|D'accord|" + guiFace);

    // A template that doesn't exist gives the failure values without a window.
    EXPECT_EQ(DialogBoxParamA(Self(), MAKEINTRESOURCEA(999), nullptr, QuietProc, 0), -1);
    EXPECT_EQ(CreateDialogParamA(Self(), MAKEINTRESOURCEA(999), nullptr, QuietProc, 0), nullptr);
}

TEST(WedgeDialogs, EachResourceIsTranslatedOnceAndOnlyTheTranslatedKinds) {
    ASSERT_TRUE(StartFrench());
    struct Case { const char* name; LPCSTR type; LPCSTR id; bool copied; };
    const Case cases[] = {
        {"dialog with keys", RT_DIALOG, MAKEINTRESOURCEA(IDD_EXTENDED), true},
        {"menu with keys", RT_MENU, MAKEINTRESOURCEA(IDM_MAIN), true},
        {"string block with keys", RT_STRING, MAKEINTRESOURCEA(1), true},
        {"dialog without keys", RT_DIALOG, MAKEINTRESOURCEA(IDD_PLAIN), false},
        {"other numeric type", RT_RCDATA, MAKEINTRESOURCEA(IDR_DATA), false},
        {"type by name", "TEXTFILE", "NAMEDDATA", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HRSRC first = FindResourceA(Self(), c.id, c.type);
        ASSERT_NE(first, nullptr);
        const void* firstData = LockResource(LoadResource(Self(), first));
        HRSRC second = FindResourceExA(Self(), c.type, c.id, g_WedgeImpl.LanguageId());
        const void* secondData = LockResource(LoadResource(Self(), second));
        EXPECT_EQ(first, second);
        EXPECT_EQ(firstData, secondData) << "the same copy both times";
        EXPECT_EQ(firstData != SystemResource(first), c.copied);
    }
}

TEST(WedgeMenus, LoadMenuGivesTheTranslatedCopyInBothFormats) {
    ASSERT_TRUE(StartFrench());
    const UniqueMenu menus[] = {UniqueMenu(LoadMenuA(Self(), MAKEINTRESOURCEA(IDM_MAIN))),
                                UniqueMenu(LoadMenuW(Self(), MAKEINTRESOURCEW(IDM_EXTENDED)))};
    for (const UniqueMenu& menu : menus) {
        ASSERT_TRUE(menu);
        wchar_t top[32] = {};
        GetMenuStringW(menu.get(), 0, top, 32, MF_BYPOSITION);
        EXPECT_STREQ(top, L"&Fichier");
    }
    EXPECT_EQ(LoadMenuA(Self(), MAKEINTRESOURCEA(999)), nullptr);
}

TEST(WedgeAccelerators, TranslatedAndOnlyOneTableAlive) {
    ASSERT_TRUE(StartFrench());
    HACCEL first = LoadAcceleratorsA(Self(), MAKEINTRESOURCEA(IDA_MAIN));
    ASSERT_NE(first, nullptr);
    ACCEL entries[4] = {};
    ASSERT_EQ(CopyAcceleratorTableA(first, entries, 4), 2);
    EXPECT_EQ(entries[0].key, 'O');

    HACCEL second = LoadAcceleratorsW(Self(), MAKEINTRESOURCEW(IDA_MAIN));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(g_WedgeImpl.AcceleratorTable(), second);
    if (second != first) { EXPECT_EQ(CopyAcceleratorTableA(first, nullptr, 0), 0) << "the first table was destroyed"; }
    EXPECT_EQ(LoadAcceleratorsA(Self(), MAKEINTRESOURCEA(999)), nullptr);
}

TEST(WedgePropertySheets, PagesAndSheetInTheLanguage) {
    ASSERT_TRUE(StartFrench());
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);
    PROPSHEETPAGEA page{};
    page.dwSize = sizeof page, page.dwFlags = PSP_USETITLE, page.hInstance = Self(), page.lParam = 1234;
    page.pszTemplate = MAKEINTRESOURCEA(IDD_PAGE), page.pszTitle = MAKEINTRESOURCEA(IDS_PAGE_TITLE), page.pfnDlgProc = PageProc;
    PROPSHEETHEADERA header{};
    header.dwSize = sizeof header, header.dwFlags = PSH_PROPSHEETPAGE | PSH_MODELESS, header.hInstance = Self();
    header.pszCaption = MAKEINTRESOURCEA(IDS_TITLE), header.nPages = 1, header.ppsp = &page;

    const UniqueWindow sheetWindow(reinterpret_cast<HWND>(PropertySheetA(&header)));
    ASSERT_TRUE(sheetWindow);
    const HWND sheet = sheetWindow.get();
    EXPECT_EQ(g_pageParam, 1234) << "the page's procedure sees its own parameter";
    HWND pageWindow = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    EXPECT_EQ(WideText(GetDlgItem(pageWindow, 1001)), L"pr\u00eat");
    EXPECT_EQ(WideText(GetDlgItem(sheet, IDOK)), L"&D'accord");
    EXPECT_EQ(WideText(GetDlgItem(sheet, IDCANCEL)), L"&Annuler");
    wchar_t tab[32] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT, item.pszText = tab, item.cchTextMax = 32;
    SendMessageW(reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETTABCONTROL, 0, 0)), TCM_GETITEMW, 0,
                 reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(tab, L"Options");
    EXPECT_EQ(SendMessageW(sheet, PSM_IDTOINDEX, 0, IDD_PAGE), 0);
    EXPECT_EQ(SendMessageW(sheet, PSM_INDEXTOID, 0, 0), IDD_PAGE);
}

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], kChildSwitch) == 0) return RunChild();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
