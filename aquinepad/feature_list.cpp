// The one place that lists the notepad's features. A new feature lives in a folder of its own with an
// install function that registers its commands; it joins the notepad with one line here.
#include "aquinepad/feature_list.h"

#include "aquinepad/about/about_feature.h"
#include "aquinepad/config/options_feature.h"
#include "aquinepad/document/document_feature.h"
#include "aquinepad/edit/edit_feature.h"
#include "aquinepad/print/print_feature.h"

#include <initializer_list>

namespace aquinepad {

void installFeatures(CommandTable& commands, NotepadContext& context) {
    for (const auto install : {
             installDocumentCommands, // 文件: new, open, save, save as, exit
             installEditCommands,     // 编辑: the edit control's own commands
             installPrint,            // 文件: 打印
             installOptions,          // 配置选项
             installAbout,            // 关于记事本
         })
        install(commands, context);
}

} // namespace aquinepad
