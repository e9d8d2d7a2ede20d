// The user's default for text/plain in mimeapps.list when the list changed between 关联 and 取消关联,
// and what is remembered when associating again. Plain round trips through the real xdg-mime are in
// txt_association_test.cpp.
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

TEST(UserDefault, IsTheFirstLineOfADefaultsGroupAsXdgMimeReadsIt) {
    EXPECT_EQ(readUserDefault("[Added Associations]\ntext/plain=a.desktop;\n[Default Applications]\n"
                              "text/plain =x.desktop\ntext/plain=b.desktop;c.desktop;\r\ntext/plain=d.desktop\n",
                              kText),
              line("b.desktop;c.desktop;\r"));
    EXPECT_EQ(readUserDefault("[Added Associations]\ntext/plain=a.desktop;\n", kText).kind, Kind::NoGroup);
}

TEST(UserDefault, RememberedIsNeverOurOwnEntry) {
    const UserDefault editor = line("editor.desktop");
    EXPECT_EQ(defaultToRemember(line("aquinepad-txt.desktop"), editor, kOurs), std::nullopt); // associated again
    EXPECT_EQ(defaultToRemember(line("kate.desktop"), editor, kOurs), line("kate.desktop"));  // chosen since
    EXPECT_EQ(defaultToRemember(line("aquinepad-txt.desktop;x.desktop"), std::nullopt, kOurs),
              (UserDefault{Kind::NoLine, {}})); // what was remembered is gone
}

TEST(RestoreUserDefault, LeavesAChoiceMadeSinceAndKeepsWhatWasAddedSince) {
    EXPECT_EQ(
        restoreUserDefault("[Default Applications]\ntext/plain=kate.desktop\n", kText, kOurs, line("editor.desktop")),
        Restoration{});
    // We made the file; another program's default joined our group since.
    EXPECT_EQ(restoreUserDefault("\n[Default Applications]\ntext/plain=aquinepad-txt.desktop\nimage/png=v.desktop\n",
                                 kText, kOurs, {}),
              (Restoration{Action::Write, "\n[Default Applications]\nimage/png=v.desktop\n"}));
    // We made the group; the user added a group after it.
    EXPECT_EQ(restoreUserDefault("[A]\nx=1\n\n[Default Applications]\ntext/plain=aquinepad-txt.desktop\n\n[B]\ny=2\n",
                                 kText, kOurs, {Kind::NoGroup, {}}),
              (Restoration{Action::Write, "[A]\nx=1\n\n[B]\ny=2\n"}));
}
