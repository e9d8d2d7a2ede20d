// Pictures the converter's tests make for themselves, hostile ones among them: a PNG whose header
// declares any size, GIFs of many frames, TIFFs of many pages. Made in memory, never kept in the tree.
#pragma once

#include <QByteArray>
#include <cstdint>
#include <string>
#include <vector>

namespace aquinepad::testing {

inline std::uint32_t crc32(std::string_view bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
        crc ^= static_cast<unsigned char>(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline void putBig32(std::string& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>((v >> shift) & 0xFF));
}
inline void putLittle16(std::string& out, std::uint32_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}
inline void putLittle32(std::string& out, std::uint32_t v) {
    putLittle16(out, v & 0xFFFF);
    putLittle16(out, v >> 16);
}

inline std::string pngChunk(std::string_view type, std::string_view data) {
    std::string chunk;
    putBig32(chunk, static_cast<std::uint32_t>(data.size()));
    const std::string body = std::string(type) + std::string(data);
    chunk += body;
    putBig32(chunk, crc32(body));
    return chunk;
}

// An 8-bit gray PNG that declares width x height but holds pixels for its first `rows` rows only,
// all zero: tiny on disk whatever it declares.
inline std::string grayPng(std::uint32_t width, std::uint32_t height, std::uint32_t rows) {
    std::string ihdr;
    putBig32(ihdr, width);
    putBig32(ihdr, height);
    ihdr += std::string("\x08\x00\x00\x00\x00", 5);
    const QByteArray raw(static_cast<qsizetype>(rows) * (width + 1), '\0');
    const QByteArray zlib = qCompress(raw, 9).mid(4); // qCompress puts the length before the zlib stream
    return "\x89PNG\r\n\x1A\n" + pngChunk("IHDR", ihdr) + pngChunk("IDAT", std::string(zlib.data(), zlib.size())) +
           pngChunk("IEND", "");
}

// The LZW codes of `count` pixels of colour 0 with 2-bit codes to start, as a GIF's data sub-blocks.
inline std::string uniformLzw(std::uint64_t count) {
    std::string data;
    std::uint64_t bits = 0;
    int held = 0, size = 3;
    const auto put = [&](std::uint32_t code) {
        bits |= static_cast<std::uint64_t>(code) << held;
        held += size;
        while (held >= 8) {
            data.push_back(static_cast<char>(bits & 0xFF));
            bits >>= 8;
            held -= 8;
        }
    };
    put(4); // clear
    // After a clear, code 6 + k - 1 stands for a run of k + 1 zeros; code 0 for one.
    std::vector<std::uint32_t> runCode{0, 0};
    std::uint32_t next = 6;
    while (count > 0) {
        std::uint64_t run = std::min<std::uint64_t>(runCode.size() - 1, count);
        put(runCode[run]);
        count -= run;
        if (next > (1u << size) - 1 && size < 12)
            ++size;
        if (count > 0 && next < 4096 && run + 1 == runCode.size())
            runCode.push_back(next++);
    }
    put(5); // end of information
    if (held > 0)
        data.push_back(static_cast<char>(bits & 0xFF));
    std::string blocks;
    for (std::size_t i = 0; i < data.size(); i += 255) {
        const std::string piece = data.substr(i, 255);
        blocks.push_back(static_cast<char>(piece.size()));
        blocks += piece;
    }
    return blocks + '\0';
}

// A GIF of `frames` frames, each width x height of one colour.
inline std::string uniformGif(std::uint32_t width, std::uint32_t height, std::uint32_t frames) {
    std::string gif = "GIF89a";
    putLittle16(gif, width);
    putLittle16(gif, height);
    gif += std::string("\x81\x00\x00", 3);                                      // a table of 4 colours
    gif += std::string("\x00\x00\x00\xFF\xFF\xFF\xFF\x00\x00\x00\x00\xFF", 12); // black, white, red, blue
    std::string frame = std::string("\x21\xF9\x04\x00\x00\x00\x00\x00", 8) + ',';
    putLittle16(frame, 0);
    putLittle16(frame, 0);
    putLittle16(frame, width);
    putLittle16(frame, height);
    frame += std::string("\x00\x02", 2);
    frame += uniformLzw(static_cast<std::uint64_t>(width) * height);
    gif.reserve(gif.size() + frame.size() * frames + 1);
    for (std::uint32_t i = 0; i < frames; ++i)
        gif += frame;
    return gif + ';';
}

// A little-endian TIFF of `pages` pages, each one 8-bit gray pixel; they share one strip.
inline std::string manyPageTiff(std::uint32_t pages) {
    constexpr std::uint32_t kTags = 8, kIfdSize = 2 + kTags * 12 + 4;
    const std::uint32_t strip = 8 + pages * kIfdSize;
    std::string tiff("II*\0", 4);
    putLittle32(tiff, 8);
    for (std::uint32_t i = 0; i < pages; ++i) {
        const std::uint32_t next = i + 1 < pages ? 8 + (i + 1) * kIfdSize : 0;
        const std::uint32_t tags[kTags][3] = {{256, 3, 1}, {257, 3, 1},     {258, 3, 8}, {259, 3, 1},
                                              {262, 3, 1}, {273, 4, strip}, {278, 3, 1}, {279, 4, 1}};
        putLittle16(tiff, kTags);
        for (const auto& tag : tags) {
            putLittle16(tiff, tag[0]);
            putLittle16(tiff, tag[1]);
            putLittle32(tiff, 1);
            putLittle32(tiff, tag[2]);
        }
        putLittle32(tiff, next);
    }
    return tiff + '\x80';
}

} // namespace aquinepad::testing
