// The notepad's menu bar. Captions keep their access keys and trailing blanks exactly.
#include "aquinepad/feature/menu_table.h"

namespace aquinepad {

namespace {

MenuItem item(const char* caption, Command command, const char* shortcut = "") {
    return {QString::fromUtf8(caption), QString::fromLatin1(shortcut), command, {}};
}
MenuItem separator() { return {}; }
MenuItem submenu(const char* caption, std::vector<MenuItem> items) {
    return {QString::fromUtf8(caption), {}, Command::None, std::move(items)};
}

std::vector<MenuItem> buildTable() {
    using C = Command;
    // The menu as it appears; the formatter leaves it so.
    // clang-format off
    return {
        submenu("文件(&F)", {
            item("新建(&N)", C::New, "Ctrl+N"),
            item("打开(&O)", C::Open, "Ctrl+O"),
            item("保存(&S)", C::Save, "Ctrl+S"),
            item("另存为(&A)", C::SaveAs),
            separator(),
            item("打印(&P)", C::Print, "Ctrl+P"),
            separator(),
            item("退出(&X)   ", C::Exit),
        }),
        submenu("编辑(&E)", {
            item("撤消(&U)", C::Undo, "Ctrl+Z"),
            separator(),
            item("剪切(&X)", C::Cut, "Ctrl+X"),
            item("复制(&C)", C::Copy, "Ctrl+C"),
            item("粘贴(&P)", C::Paste, "Ctrl+V"),
            item("全选(&A)", C::SelectAll, "Ctrl+A"),
            separator(),
            item("日期(&D)", C::InsertDate),
            item("时间(&T)", C::InsertTime),
            item("分隔符(&S)", C::InsertSeparator),
            separator(),
            item("设置字体(&F)", C::ChooseFont),
        }),
        submenu("寻找(&S)", {
            item("查找(&F)", C::Find, "Ctrl+F"),
            item("查找上一个(&P)", C::FindPrevious, "Shift+F3"),
            item("查找下一个(&N)", C::FindNext, "F3"),
        }),
        submenu("扩展(&E)", {
            submenu("编辑框背景(&B)", {
                item("白(默认)", C::BackgroundWhite),
                item("黑", C::BackgroundBlack),
                item("绿", C::BackgroundGreen),
                item("黄", C::BackgroundYellow),
                item("蓝", C::BackgroundBlue),
                item("红", C::BackgroundRed),
                item("紫", C::BackgroundPurple),
                item("橙", C::BackgroundOrange),
                item("粉", C::BackgroundPink),
            }),
            submenu("文字颜色(&C)", {
                item("黑(默认|白)", C::TextBlack),
                item("白(黑蓝紫橙)", C::TextWhite),
                item("绿(黄)", C::TextGreen),
                item("黄(绿)", C::TextYellow),
                item("蓝(红)", C::TextBlue),
                item("紫(白黑)", C::TextPurple),
                item("橙(白绿黑)   ", C::TextOrange),
                item("粉(白黑绿)", C::TextPink),
            }),
            item("标题(&T)", C::SetTitle),
            item("隐藏文本(&H)", C::HiddenText),
            submenu("简繁转换(&S)", {
                item("文档由简体转繁体", C::ToTraditional),
                item("文档由繁体转简体", C::ToSimplified),
            }),
            item("朗读文档(&R)", C::ReadAloud),
            item("图片格式转换(&P)", C::ImageConversion),
            item("快速截图(&U)", C::QuickScreenshot),
            item("工具(&O)", C::Tools),
            item("Logo语言模式(&L)    ", C::LogoMode),
        }),
        submenu("分享文档", {
            item("上传你的文档", C::ShareDocument),
        }),
        submenu("配置/帮助(&H)", {
            item("配置选项(&S)", C::Options),
            submenu("文件关联(&F)", {
                item("关联.txt文件", C::AssociateTxt),
                item("取消关联", C::RemoveAssociation),
            }),
            item("更新程序(&U)", C::UpdateProgram),
            separator(),
            item("关于记事本(&A)   ", C::About),
        }),
    };
    // clang-format on
}

} // namespace

const std::vector<MenuItem>& menuBarTable() {
    static const std::vector<MenuItem> table = buildTable();
    return table;
}

} // namespace aquinepad
