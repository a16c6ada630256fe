#include "screens/layout_relayout.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

namespace velomar {
namespace {

// A form that records what the relayout does to it.
class FakeForm : public RelayoutTarget {
  public:
    explicit FakeForm(std::set<int> ids) : m_ids(std::move(ids)) {}

    bool hasControl(int id) const override { return m_ids.contains(id); }
    void setControlText(int id, std::u16string_view text) override {
        texts[id] = std::u16string(text);
    }
    void setControlIcon(int id) override { icons.insert(id); }
    void reselect(int id) override { reselected.insert(id); }
    bool applyMoves(const std::vector<ControlMove>& batch) override {
        ++applyCalls;
        moves = batch;
        return applySucceeds;
    }

    std::map<int, std::u16string> texts;
    std::set<int> icons;
    std::set<int> reselected;
    std::vector<ControlMove> moves;
    int applyCalls = 0;
    bool applySucceeds = true;

  private:
    std::set<int> m_ids;
};

std::set<int> portraitControls() {
    std::set<int> ids;
    for (const DialogItem& item : FindDialogTemplate(kPortraitTemplate)->items) {
        ids.insert(item.id);
    }
    return ids;
}

TEST(RelayoutTest, TallTemplateMovesEveryItemAndGrowsTheList) {
    FakeForm form(portraitControls());
    EXPECT_TRUE(RelayoutFromTemplate(form, kPortraitTallTemplate, DialogUnitsFor({240, 400})));
    ASSERT_EQ(form.applyCalls, 1);
    ASSERT_EQ(form.moves.size(), FindDialogTemplate(kPortraitTallTemplate)->items.size());
    EXPECT_EQ(form.moves.back(),
              (ControlMove{portrait_id::kResultList, {2, 109, 236, 229}}));  // 208*13/8 = 338
    EXPECT_EQ(form.texts.at(portrait_id::kHourUnit), u"시");
    EXPECT_EQ(form.texts.at(portrait_id::kMinuteUnit), u"분");
    EXPECT_EQ(form.reselected, (std::set<int>{portrait_id::kTypeList, portrait_id::kHourList,
                                              portrait_id::kMinuteList}));
    // Fields and the list are only moved.
    EXPECT_FALSE(form.texts.contains(portrait_id::kDepartureField));
    EXPECT_FALSE(form.texts.contains(portrait_id::kResultList));
}

TEST(RelayoutTest, WideTemplateMovesMinuteUnit) {
    FakeForm form(portraitControls());
    EXPECT_TRUE(RelayoutFromTemplate(form, kPortraitWideTemplate, DialogUnitsFor({480, 800})));
    bool sawUnit = false;
    for (const ControlMove& move : form.moves) {
        if (move.controlId == portrait_id::kMinuteUnit) {
            EXPECT_EQ(move.rect.x, 436);  // 109 * 16 / 4
            sawUnit = true;
        }
    }
    EXPECT_TRUE(sawUnit);
}

TEST(RelayoutTest, UnknownTemplateChangesNothing) {
    FakeForm form(portraitControls());
    EXPECT_FALSE(RelayoutFromTemplate(form, 999, DialogUnitsFor({240, 400})));
    EXPECT_EQ(form.applyCalls, 0);
    EXPECT_TRUE(form.texts.empty());
}

TEST(RelayoutTest, MissingControlEndsProcessingButEarlierMovesApply) {
    std::set<int> ids = portraitControls();
    ids.erase(portrait_id::kMinuteList);  // the fourth item of template 201
    FakeForm form(ids);
    EXPECT_FALSE(RelayoutFromTemplate(form, kPortraitTallTemplate, DialogUnitsFor({240, 400})));
    ASSERT_EQ(form.applyCalls, 1);
    ASSERT_EQ(form.moves.size(), 3u);
    EXPECT_EQ(form.moves[2].controlId, portrait_id::kHourUnit);
    EXPECT_FALSE(form.texts.contains(portrait_id::kMinuteUnit));  // later items untouched
}

TEST(RelayoutTest, FailedApplyFails) {
    FakeForm form(portraitControls());
    form.applySucceeds = false;
    EXPECT_FALSE(RelayoutFromTemplate(form, kPortraitTallTemplate, DialogUnitsFor({240, 400})));
}

constexpr DialogItem kTwoStatics[] = {
    {kStaticItemId, ItemClass::Static, u"a", {0, 0, 10, 8}},
    {1, ItemClass::Edit, u"", {0, 10, 10, 8}},
    {kStaticItemId, ItemClass::Icon, u"", {0, 20, 10, 10}},
};
constexpr DialogItem kOneStatic[] = {
    {kStaticItemId, ItemClass::Static, u"a", {0, 0, 10, 8}},
    {1, ItemClass::Edit, u"", {0, 10, 10, 8}},
};
constexpr DialogItem kBadRect[] = {
    {1, ItemClass::Static, u"a", {0, 0, 10, 8}},
    {2, ItemClass::Static, u"b", {0, 0, -5, 8}},
    {3, ItemClass::Static, u"c", {0, 0, 5, 8}},
};

TEST(RelayoutTest, TwoItemsWithTheStaticIdFailAfterApplyingEverything) {
    FakeForm form({kStaticItemId, 1});
    const DialogTemplate dialog{900, 50, 50, u"", u"", 9, kTwoStatics};
    EXPECT_FALSE(RelayoutFromTemplate(form, &dialog, DialogUnitsFor({240, 320})));
    EXPECT_EQ(form.moves.size(), 3u);
    EXPECT_TRUE(form.icons.contains(kStaticItemId));
}

TEST(RelayoutTest, OneItemWithTheStaticIdIsFine) {
    FakeForm form({kStaticItemId, 1});
    const DialogTemplate dialog{901, 50, 50, u"", u"", 9, kOneStatic};
    EXPECT_TRUE(RelayoutFromTemplate(form, &dialog, DialogUnitsFor({240, 320})));
    EXPECT_EQ(form.texts.at(kStaticItemId), u"a");
}

TEST(RelayoutTest, RectangleThatCannotBeConvertedEndsProcessing) {
    FakeForm form({1, 2, 3});
    const DialogTemplate dialog{902, 50, 50, u"", u"", 9, kBadRect};
    EXPECT_FALSE(RelayoutFromTemplate(form, &dialog, DialogUnitsFor({240, 320})));
    EXPECT_EQ(form.moves.size(), 1u);
    EXPECT_FALSE(form.texts.contains(2));
    EXPECT_FALSE(form.texts.contains(3));
}

}  // namespace
}  // namespace velomar
