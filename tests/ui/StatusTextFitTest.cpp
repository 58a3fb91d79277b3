// Every status and progress text of the burn window fits its control from the program's own
// template, in each shipped language at 100 % and 200 %, in the font the control gets.
#include "LangStrings/LangTestSupport.h"
#include "inc/string_ext.h"
#include "res/resource.h"
#include "support/UniqueHandle.h"
#include "ui/TextFormat.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

// The font and the control widths (dialog units, by control id) of a dialog template.
struct DialogLayout { int pointSize = 0; BYTE charset = DEFAULT_CHARSET; std::wstring face; std::map<int, int> widths; };

DialogLayout ReadTemplate(int id) {
    DialogLayout layout;
    HMODULE self = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(self, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5)); // RT_DIALOG
    const auto* p = found ? static_cast<const WORD*>(LockResource(LoadResource(self, found))) : nullptr;
    if (!p || p[1] != 0xFFFF) return layout; // an extended template only
    const DWORD style = MAKELONG(p[6], p[7]);
    const WORD count = p[8];
    p += 13;
    const auto skip = [&p] { if (*p == 0xFFFF) p += 2; else while (*p++) {} }; // a name or an ordinal
    skip(), skip(), skip(); // menu, class, caption
    if (style & DS_SETFONT) {
        layout.pointSize = p[0], layout.charset = HIBYTE(p[2]), p += 3;
        layout.face = reinterpret_cast<const wchar_t*>(p);
        skip();
    }
    for (WORD i = 0; i < count; ++i) {
        p = reinterpret_cast<const WORD*>((reinterpret_cast<UINT_PTR>(p) + 3) & ~UINT_PTR{3});
        layout.widths[static_cast<int>(MAKELONG(p[10], p[11]))] = static_cast<short>(p[8]);
        p += 12;
        skip(), skip(); // class, text
        p = reinterpret_cast<const WORD*>(reinterpret_cast<const BYTE*>(p + 1) + *p); // creation data
    }
    return layout;
}

UniqueFont MakeFont(const DialogLayout& layout, int dpi, BYTE charset, LONG weight) {
    LOGFONTW font{};
    font.lfHeight = -MulDiv(layout.pointSize, dpi, 72), font.lfWeight = weight, font.lfCharSet = charset;
    wcsncpy(font.lfFaceName, layout.face.c_str(), LF_FACESIZE - 1);
    return UniqueFont(CreateFontIndirectW(&font));
}

int Width(HDC dc, HFONT font, const std::wstring& text) {
    const HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    return size.cx;
}

// The texts of the status group, by the control that shows them.
std::vector<std::pair<int, std::string>> StatusKeys(const std::map<std::string, std::string>& texts) {
    std::vector<std::pair<int, std::string>> shown = {{IDC_OVERALL_STATUS, "IDS_TEXT_BURNING"},
                                                      {IDC_TRACK_STATUS, "IDS_FORMAT_TRACKSTATUS_INITIAL"},
                                                      {IDC_TRACK_STATUS, "IDS_FORMAT_PERCENT"},
                                                      {IDC_OVERALL_LABEL, "IDS_TEXT_OVERALL_PROGRESS"},
                                                      {IDC_SECOND_LABEL, "IDS_TEXT_TRACK_PROGRESS"},
                                                      {IDC_SECOND_LABEL, "IDS_TEXT_SESSION_PROGRESS"}};
    for (const auto& [key, text] : texts)
        if (key.starts_with("IDS_OVERALLSTATUS_")) shown.emplace_back(IDC_OVERALL_STATUS, key);
    return shown;
}

TEST(StatusTextFitTest, EveryStatusTextFitsItsControlInEveryLanguage) {
    const DialogLayout layout = ReadTemplate(IDD_BURN_WINDOW);
    ASSERT_GT(layout.pointSize, 0) << "the template names no font";
    for (const int id : {IDC_OVERALL_STATUS, IDC_TRACK_STATUS, IDC_OVERALL_LABEL, IDC_SECOND_LABEL})
        ASSERT_TRUE(layout.widths.contains(id)) << "control " << id << " is not in the template";
    UniqueDC dc(nullptr);
    for (const char* name : {"FN1031.lng", "FN1033.lng", "FN1034.lng", "FN1036.lng", "FN1041.lng"}) {
        const langtest::FilledStore filled = langtest::Shipped(name);
        const StoreReader reader = filled.store->Reader();
        const auto shared = reader.FindSection("Shared");
        ASSERT_TRUE(shared) << name;
        std::map<std::string, std::string> texts;
        reader.ForEachRecord(*shared, [&](std::string_view key, std::string_view text) { texts.emplace(key, text); });
        const std::uint32_t codePage = filled.store->CodePage();
        const BYTE charset = codePage == 932 ? SHIFTJIS_CHARSET : DEFAULT_CHARSET;
        const std::string drive =
            textformat::Format(texts["IDS_FORMAT_DRIVE_NAME"], textformat::kDriveNameFormat, "cs", 'R', "Virtual CD-R Recorder");
        const std::map<std::string, std::string> filledIn = {
            {"IDS_FORMAT_TRACKSTATUS_INITIAL", textformat::Format(texts["IDS_FORMAT_TRACKSTATUS_INITIAL"],
                                                                  textformat::kTrackStatusInitialFormat, "us", 99ul, drive.c_str())},
            {"IDS_FORMAT_PERCENT", textformat::Format(texts["IDS_FORMAT_PERCENT"], textformat::kPercentFormat, "u", 100ul)}};
        for (const int dpi : {96, 192}) {
            const UniqueFont dialogFont = MakeFont(layout, dpi, layout.charset, FW_NORMAL),
                             normal = MakeFont(layout, dpi, charset, FW_NORMAL), bold = MakeFont(layout, dpi, charset, FW_BOLD);
            // The dialog manager's horizontal base unit: the average width of the letters.
            const int baseX = (Width(dc.get(), dialogFont.get(), L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 26 + 1) / 2;
            std::vector<std::string> cut;
            for (const auto& [control, key] : StatusKeys(texts)) {
                const auto made = filledIn.find(key);
                const std::wstring text = convert_wstring(made != filledIn.end() ? made->second : texts[key], codePage);
                const int measured = Width(dc.get(), (control == IDC_OVERALL_STATUS ? bold : normal).get(), text);
                const int room = MulDiv(layout.widths.at(control), baseX, 4);
                if (measured > room) cut.push_back(std::string(name) + " " + key + ": " + std::to_string(measured) + " > " + std::to_string(room));
            }
            EXPECT_EQ(std::vector<std::string>{}, cut) << name << " at " << dpi << " dpi";
        }
    }
}

} // namespace
