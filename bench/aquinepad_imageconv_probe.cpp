// One conversion as the window does it, for scripts: aquinepad_imageconv_probe SOURCE DESTINATION.
// Prints "ok", "ok-with-notice <notice>" or "failed <reason>" and exits 0, 3 or 4; a crash or a hang
// shows in the exit status the script sees.
#include "aquinepad/imageconv/image_format_rule.h"
#include "aquinepad/imageconv/picture_converter.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "用法：%s 源图片 目标文件\n", argv[0]);
        return 2;
    }
    const std::optional<aquinepad::ImageFormat> format = aquinepad::formatForDestination(argv[2]);
    if (!format) {
        std::printf("failed 扩展名不是可以转换的格式\n");
        return 4;
    }
    const auto done = aquinepad::convertPicture(argv[1], argv[2], *format);
    if (!done) {
        std::printf("failed %s\n", done.reason().c_str());
        return 4;
    }
    if (!done->notice.empty()) {
        std::printf("ok-with-notice %s\n", done->notice.c_str());
        return 3;
    }
    std::printf("ok\n");
    return 0;
}
