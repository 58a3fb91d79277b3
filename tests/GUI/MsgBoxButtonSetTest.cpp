// The button sets, defaults and accepted answers of the system message-box styles.
#include "lib/GUI/MsgBoxButtonSet.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(MsgBoxButtonSet, ButtonsDefaultsAndCloseRulePerStyle) {
    struct Case { unsigned style; std::vector<int> ids; int defaults[3]; bool canClose; };
    const Case cases[] = {{0, {2}, {2, -999, -999}, true},   {1, {1, 2}, {1, 2, -999}, true},   {2, {3, 4, 5}, {3, 4, 5}, false},
                          {3, {6, 7, 2}, {6, 7, 2}, true},   {4, {6, 7}, {6, 7, -999}, false},  {5, {4, 2}, {4, 2, -999}, true}};
    for (const Case& c : cases) {
        for (unsigned help : {0u, 0x4000u}) {
            for (int d = 0; d < 3; ++d) {
                const unsigned style = c.style | help | (static_cast<unsigned>(d) << 8) | 0x30;
                SCOPED_TRACE("style " + std::to_string(style));
                MsgBoxButtonSet set(style);
                std::vector<int> ids = c.ids, shown;
                if (help) ids.push_back(9);
                for (const auto& b : set.Buttons()) shown.push_back(b.id);
                EXPECT_EQ(shown, ids);
                EXPECT_EQ(set.DefaultId(), c.defaults[d]);
                EXPECT_EQ(set.CanClose(), c.canClose);
            }
        }
    }
    EXPECT_EQ(MsgBoxButtonSet(1 | 0x300).DefaultId(), MsgBoxButtonSet::kNoDefault);
}

TEST(MsgBoxButtonSet, AnswersAndUnexpectedButtons) {
    EXPECT_EQ(MsgBoxButtonSet(0).Result(2), 1); // the OK button carries Cancel's identifier
    EXPECT_EQ(MsgBoxButtonSet(0).Result(1), 1);
    // An answer outside each style's set.
    const std::pair<unsigned, int> bad[] = {{0, 9}, {1, -1}, {2, 2}, {3, 1}, {4, 2}, {5, 1}};
    for (const auto& [style, pressed] : bad) {
        EXPECT_THROW(MsgBoxButtonSet(style).Result(pressed), MsgBoxButtonSet::buttonid_unknown) << style;
    }
    for (unsigned style : {6u, 15u, 0x4006u}) EXPECT_THROW(MsgBoxButtonSet{style}, MsgBoxButtonSet::styleid_unknown) << style;
}
