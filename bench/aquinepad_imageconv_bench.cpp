// Converting a 4000 x 3000 picture file into each of the ten formats, timed beside the same work done
// directly with Magick++ (read the file, set the coder, write the file). The converter's own part
// (settings, reading by bytes, the safe write) should cost little beside the encoding itself.
#include "aquinepad/imageconv/picture_converter.h"

#include <Magick++.h>
#include <QTemporaryDir>
#include <array>
#include <benchmark/benchmark.h>
#include <fstream>
#include <vector>

using namespace aquinepad;

namespace {

constexpr std::size_t kWidth = 4000, kHeight = 3000;

struct Target {
    const char* extension;
    ImageFormat format;
};
constexpr std::array<Target, 10> kTargets{{
    {"jpg", ImageFormat::Jpeg},
    {"sgi", ImageFormat::Sgi},
    {"pic", ImageFormat::Pict},
    {"pbm", ImageFormat::Pbm},
    {"pgm", ImageFormat::Pgm},
    {"bmp", ImageFormat::Bmp},
    {"tif", ImageFormat::Tiff},
    {"png", ImageFormat::Png},
    {"ppm", ImageFormat::Ppm},
    {"pcx", ImageFormat::Pcx},
}};

// A photograph-like picture (smooth gradients with fine detail) stored as PNG, made once.
struct Source {
    QTemporaryDir dir;
    std::string path;

    Source() {
        Magick::InitializeMagick(nullptr);
        std::vector<unsigned char> rgb(kWidth * kHeight * 3);
        for (std::size_t y = 0; y < kHeight; ++y)
            for (std::size_t x = 0; x < kWidth; ++x) {
                unsigned char* p = &rgb[(y * kWidth + x) * 3];
                p[0] = static_cast<unsigned char>(x * 255 / kWidth);
                p[1] = static_cast<unsigned char>(y * 255 / kHeight);
                p[2] = static_cast<unsigned char>((x * y / 97 + (x ^ y)) & 0xFF);
            }
        Magick::Image image(kWidth, kHeight, "RGB", Magick::CharPixel, rgb.data());
        path = dir.filePath(QStringLiteral("source.png")).toStdString();
        image.write(path);
    }
    std::string target(const char* name) const { return dir.filePath(QString::fromUtf8(name)).toStdString(); }
};

const Source& source() {
    static const Source s;
    return s;
}

void BM_Converter(benchmark::State& state) {
    const Target& t = kTargets[static_cast<std::size_t>(state.range(0))];
    const std::string to = source().target(t.extension);
    for (auto _ : state) {
        const aquine::Result<Converted> done = convertPicture(source().path, to, t.format);
        if (!done)
            state.SkipWithError(done.reason().c_str());
    }
    state.SetLabel(t.extension);
}

void BM_MagickDirect(benchmark::State& state) {
    const Target& t = kTargets[static_cast<std::size_t>(state.range(0))];
    const std::string to = source().target(t.extension);
    const EncoderOptions options = encoderOptions(t.format);
    for (auto _ : state) {
        Magick::Image image(source().path);
        image.magick(options.coder);
        if (options.quality != 0)
            image.quality(options.quality);
        if (!options.compress)
            image.compressType(MagickCore::NoCompression);
        image.write(to);
    }
    state.SetLabel(t.extension);
}

} // namespace

BENCHMARK(BM_Converter)->DenseRange(0, 9)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_MagickDirect)->DenseRange(0, 9)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
