// The one place that lists the notepad's features. A new feature lives in a folder of its own with an
// install function that registers its commands; it joins the notepad with one line here.
#include "aquinepad/feature_list.h"

#include "aquinepad/about/about_feature.h"
#include "aquinepad/companions/companions_feature.h"
#include "aquinepad/config/options_feature.h"
#include "aquinepad/convert/convert_feature.h"
#include "aquinepad/document/document_feature.h"
#include "aquinepad/edit/edit_feature.h"
#include "aquinepad/find/find_feature.h"
#include "aquinepad/hidden/hidden_feature.h"
#include "aquinepad/imageconv/imageconv_feature.h"
#include "aquinepad/logo/logo_feature.h"
#include "aquinepad/print/print_feature.h"
#include "aquinepad/share/share_feature.h"
#include "aquinepad/speech/speech_feature.h"
#include "aquinepad/tools/tools_feature.h"
#include "aquinepad/update/update_feature.h"

#include <initializer_list>

namespace aquinepad {

void installFeatures(CommandTable& commands, NotepadContext& context) {
    for (const auto install : {
             installDocumentCommands, // 文件: new, open, save, save as, exit
             installEditCommands,     // 编辑, and the look and caption items of 扩展
             installFind,             // 寻找: the find window, find next and previous
             installHiddenText,       // 隐藏文本
             installConversion,       // 简繁转换
             installPrint,            // 文件: 打印
             installReadAloud,        // 朗读文档
             installImageConversion,  // 图片格式转换
             installCompanions,       // 快速截图, 文件关联
             installLogo,             // Logo语言模式
             installTools,            // 工具: the calendars and the calculator page
             installSharing,          // 分享文档: 上传你的文档
             installOptions,          // 配置选项
             installUpdateProgram,    // 更新程序
             installAbout,            // 关于记事本
         })
        install(commands, context);
}

} // namespace aquinepad
