// 隐藏文本: the user chooses a password, the editor disappears, and it comes back only for the same
// password; three wrong answers end the program. The boxes are asked for through an interface, so
// the steps run the same in tests.
#pragma once

#include "aquinepad/editor/text_editor.h"

#include <optional>
#include <string>
#include <string_view>

namespace aquinepad {

class HiddenTextDialogs {
public:
    virtual ~HiddenTextDialogs() = default;
    // A box that hides what is typed; nothing when the user cancelled it.
    virtual std::optional<std::string> askPassword(std::string_view title, std::string_view prompt) = 0;
    // A message with an OK button and no icon.
    virtual void tell(std::string_view title, std::string_view text) = 0;
};

enum class HiddenTextEnd {
    Mismatch,        // the two entries differed; nothing was hidden
    Shown,           // the right password came back; the editor is visible again
    WrongThreeTimes, // the program must end now, with the editor still hidden
};

// Runs the command to its end. Texts are UTF-8. A cancelled box leaves its variable as it was: the
// password and its confirmation start empty, and a cancelled attempt repeats the previous answer.
HiddenTextEnd runHiddenText(TextEditor& editor, HiddenTextDialogs& dialogs);

} // namespace aquinepad
