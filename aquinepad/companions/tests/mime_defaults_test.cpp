// The user's default for text/plain in mimeapps.list: how it is read, what is remembered before the
// notepad's association, and how it is put back when the list changed in between. The plain round
// trips through the real xdg-mime are in txt_association_test.cpp.
#include "aquinepad/companions/mime_defaults.h"

#include <gtest/gtest.h>

using namespace aquinepad;
using Kind = UserDefault::Kind;
using Action = Restoration::Action;

namespace {

constexpr std::string_view kOurs = "aquinepad-txt.desktop";
constexpr std::string_view kText = "text/plain";

UserDefault line(std::string value) { return {Kind::Line, std::move(value)}; }

} // namespace

TEST(UserDefaultOfAList, IsReadTheWayXdgMimeReadsIt) {
    EXPECT_EQ(readUserDefault(std::nullopt, kText), UserDefault{});
    EXPECT_EQ(readUserDefault("", kText).kind, Kind::NoGroup);
    EXPECT_EQ(readUserDefault("[Added Associations]\ntext/plain=a.desktop;\n", kText).kind, Kind::NoGroup);
    EXPECT_EQ(readUserDefault("[Default Applications]\ntext/plain2=a.desktop\ntext/plain =b.desktop\n", kText).kind,
              Kind::NoLine);
    // The first line of any defaults group counts, its value exactly as written.
    EXPECT_EQ(readUserDefault("[Added Associations]\ntext/plain=a.desktop;\n[Default Applications]\n"
                              "text/plain=b.desktop;c.desktop;\r\ntext/plain=d.desktop\n"
                              "[Default Applications]\ntext/plain=e.desktop\n",
                              kText),
              line("b.desktop;c.desktop;\r"));
}

TEST(UserDefaultOfAList, NamesOurEntryOnlyWhenItComesFirst) {
    EXPECT_TRUE(namesEntry(line("aquinepad-txt.desktop"), kOurs));
    EXPECT_TRUE(namesEntry(line("aquinepad-txt.desktop;other.desktop;"), kOurs));
    EXPECT_FALSE(namesEntry(line("other.desktop;aquinepad-txt.desktop"), kOurs));
    EXPECT_FALSE(namesEntry(line("aquinepad-txt.desktop.old"), kOurs));
    EXPECT_FALSE(namesEntry({Kind::NoLine, {}}, kOurs));
}

TEST(DefaultToRemember, NeverReplacesTheUsersChoiceWithOurEntry) {
    const UserDefault editor = line("editor.desktop");
    EXPECT_EQ(defaultToRemember(editor, std::nullopt, kOurs), editor);
    EXPECT_EQ(defaultToRemember(line("aquinepad-txt.desktop"), editor, kOurs), std::nullopt); // associated again
    // The user chose another program after our association: that choice is the one to give back.
    EXPECT_EQ(defaultToRemember(line("kate.desktop"), editor, kOurs), line("kate.desktop"));
    // Ours, and what was remembered is gone: giving back means taking our line away.
    EXPECT_EQ(defaultToRemember(line("aquinepad-txt.desktop"), std::nullopt, kOurs), (UserDefault{Kind::NoLine, {}}));
}

TEST(RestoreUserDefault, LeavesAListThatNoLongerNamesUs) {
    EXPECT_EQ(
        restoreUserDefault("[Default Applications]\ntext/plain=kate.desktop\n", kText, kOurs, line("editor.desktop"))
            .action,
        Action::Leave);
    EXPECT_EQ(restoreUserDefault("[Added Associations]\ntext/plain=aquinepad-txt.desktop;\n", kText, kOurs,
                                 line("editor.desktop"))
                  .action,
              Action::Leave);
}

TEST(RestoreUserDefault, KeepsWhatTheUserAddedSinceAroundOurLine) {
    // We made the file; since then another program's default joined the group.
    const Restoration madeFile = restoreUserDefault(
        "\n[Default Applications]\ntext/plain=aquinepad-txt.desktop\nimage/png=viewer.desktop\n", kText, kOurs, {});
    EXPECT_EQ(madeFile.action, Action::Write);
    EXPECT_EQ(madeFile.text, "\n[Default Applications]\nimage/png=viewer.desktop\n");
    // We made the group; the user added a group of their own after it.
    const Restoration madeGroup =
        restoreUserDefault("[A]\nx=1\n\n[Default Applications]\ntext/plain=aquinepad-txt.desktop\n\n[B]\ny=2\n", kText,
                           kOurs, {Kind::NoGroup, {}});
    EXPECT_EQ(madeGroup.action, Action::Write);
    EXPECT_EQ(madeGroup.text, "[A]\nx=1\n\n[B]\ny=2\n");
}

TEST(RestoreUserDefault, RemovesTheListOnlyWhenWeMadeItAndNothingElseIsInIt) {
    EXPECT_EQ(
        restoreUserDefault("\n[Default Applications]\ntext/plain=aquinepad-txt.desktop\n", kText, kOurs, {}).action,
        Action::Remove);
    // An empty list, to which xdg-mime added the group.
    EXPECT_EQ(restoreUserDefault("\n[Default Applications]\ntext/plain=aquinepad-txt.desktop\n", kText, kOurs,
                                 {Kind::NoGroup, {}}),
              (Restoration{Action::Write, ""}));
}

TEST(RememberedDefault, SurvivesItsFileAndRefusesWhatItDidNotWrite) {
    for (const UserDefault& before : {UserDefault{}, UserDefault{Kind::NoGroup, {}}, UserDefault{Kind::NoLine, {}},
                                      line("a.desktop;b.desktop;\r"), line("")})
        EXPECT_EQ(parseRemembered(rememberedText(before, "shown.desktop")), before);
    EXPECT_EQ(parseRemembered(""), std::nullopt);
    EXPECT_EQ(parseRemembered("before=sometimes\n"), std::nullopt);
    EXPECT_EQ(parseRemembered("before=line\n"), std::nullopt);
    EXPECT_EQ(parseRemembered("before=no-line\nvalue=a.desktop\n"), std::nullopt);
}
