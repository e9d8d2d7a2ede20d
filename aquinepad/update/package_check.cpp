// The manifest's strict format and the checks on libsodium (Ed25519 signatures, SHA-256).
#include "aquinepad/update/package_check.h"

#include "common/numbers.h"

#include <charconv>
#include <cstdio>
#include <cstring>

namespace aquinepad {

namespace {

using aquine::fail;

constexpr std::string_view kHeader = "aquine-update-manifest 1";
constexpr std::size_t kFileNameLimit = 255;

// sodium_init is idempotent and thread-safe; every entry point that draws on it calls this first.
void ensureSodium() { [[maybe_unused]] static const int ready = sodium_init(); }

// Exactly 2*N hex digits into bytes.
template <std::size_t N> bool fromHex(std::string_view hex, std::array<unsigned char, N>& out) {
    if (hex.size() != 2 * N)
        return false;
    for (std::size_t i = 0; i < N; ++i) {
        const int high = aquine::hexDigitValue(hex[2 * i]);
        const int low = aquine::hexDigitValue(hex[2 * i + 1]);
        if (high < 0 || low < 0)
            return false;
        out[i] = static_cast<unsigned char>(high * 16 + low);
    }
    return true;
}

std::string_view trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string sizeText(std::uint64_t bytes) {
    char text[48];
    if (bytes >= (1ull << 30))
        std::snprintf(text, sizeof text, "%.1f GB", static_cast<double>(bytes) / (1ull << 30));
    else if (bytes >= (1ull << 20))
        std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / (1ull << 20));
    else
        std::snprintf(text, sizeof text, "%llu 字节", static_cast<unsigned long long>(bytes));
    return text;
}

// Takes one "key value" line ending in LF off the front of text.
bool takeLine(std::string_view& text, std::string_view key, std::string_view& value) {
    const auto end = text.find('\n');
    if (end == std::string_view::npos)
        return false;
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end + 1);
    if (line.size() <= key.size() || !line.starts_with(key) || line[key.size()] != ' ')
        return false;
    value = line.substr(key.size() + 1);
    return true;
}

bool plainFileName(std::string_view name) {
    if (name.empty() || name.size() > kFileNameLimit || name == "." || name == "..")
        return false;
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || c == '/' || c == '\\')
            return false;
    }
    return true;
}

const aquine::Failure kBadManifest = fail("服务器公布的安装包校验文件格式不对");

} // namespace

std::string hexOf(const unsigned char* bytes, std::size_t size) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(size * 2);
    for (std::size_t i = 0; i < size; ++i) {
        out += kDigits[bytes[i] >> 4];
        out += kDigits[bytes[i] & 15];
    }
    return out;
}

aquine::Result<UpdatePublicKey> publicKeyFromHex(std::string_view hex) {
    UpdatePublicKey key;
    if (!fromHex(trimmed(hex), key.bytes))
        return fail("更新签名的公钥应是 64 个十六进制数字");
    return key;
}

UpdateSecretKey newSecretKey() {
    ensureSodium();
    UpdateSecretKey secret;
    UpdatePublicKey pub;
    crypto_sign_keypair(pub.bytes.data(), secret.bytes.data());
    return secret;
}

std::string secretKeyText(const UpdateSecretKey& key) { return hexOf(key.bytes.data(), crypto_sign_SEEDBYTES) + "\n"; }

aquine::Result<UpdateSecretKey> secretKeyFromText(std::string_view text) {
    ensureSodium();
    std::array<unsigned char, crypto_sign_SEEDBYTES> seed{};
    if (!fromHex(trimmed(text), seed))
        return fail("签名私钥文件应只含 64 个十六进制数字");
    UpdateSecretKey secret;
    UpdatePublicKey pub;
    crypto_sign_seed_keypair(pub.bytes.data(), secret.bytes.data(), seed.data());
    sodium_memzero(seed.data(), seed.size());
    return secret;
}

UpdatePublicKey publicHalf(const UpdateSecretKey& key) {
    UpdatePublicKey pub;
    crypto_sign_ed25519_sk_to_pk(pub.bytes.data(), key.bytes.data());
    return pub;
}

Sha256::Sha256() {
    ensureSodium();
    crypto_hash_sha256_init(&m_state);
}

void Sha256::add(std::string_view piece) {
    crypto_hash_sha256_update(&m_state, reinterpret_cast<const unsigned char*>(piece.data()), piece.size());
}

Sha256Digest Sha256::finish() {
    Sha256Digest digest{};
    crypto_hash_sha256_final(&m_state, digest.data());
    return digest;
}

std::string manifestText(const PackageManifest& manifest) {
    return std::string(kHeader) + "\nfile " + manifest.file + "\nsize " + std::to_string(manifest.size) + "\nsha256 " +
           hexOf(manifest.sha256) + "\n";
}

aquine::Result<PackageManifest> parseManifest(std::string_view text) {
    if (text.size() > kManifestLimit || !text.starts_with(kHeader) || text.size() == kHeader.size() ||
        text[kHeader.size()] != '\n')
        return kBadManifest;
    text.remove_prefix(kHeader.size() + 1);
    std::string_view file, size, digest;
    if (!takeLine(text, "file", file) || !takeLine(text, "size", size) || !takeLine(text, "sha256", digest) ||
        !text.empty())
        return kBadManifest;
    PackageManifest manifest;
    if (!plainFileName(file) || !fromHex(digest, manifest.sha256))
        return kBadManifest;
    // Plain decimal: no sign, no leading zeros, nothing after the digits.
    const auto [end, error] = std::from_chars(size.data(), size.data() + size.size(), manifest.size);
    if (size.empty() || error != std::errc() || end != size.data() + size.size() || (size[0] == '0' && size.size() > 1))
        return kBadManifest;
    manifest.file = std::string(file);
    return manifest;
}

std::string signatureText(std::string_view manifest, const UpdateSecretKey& key) {
    ensureSodium();
    std::array<unsigned char, crypto_sign_BYTES> signature{};
    crypto_sign_detached(signature.data(), nullptr, reinterpret_cast<const unsigned char*>(manifest.data()),
                         manifest.size(), key.bytes.data());
    return hexOf(signature) + "\n";
}

aquine::Result<PackageManifest> verifyManifest(std::string_view manifest, std::string_view signature,
                                               const UpdatePublicKey& key, std::string_view packageFileName) {
    ensureSodium();
    if (signature.ends_with('\n'))
        signature.remove_suffix(1);
    std::array<unsigned char, crypto_sign_BYTES> bytes{};
    if (!fromHex(signature, bytes))
        return fail("服务器公布的安装包签名格式不对");
    // The signature is checked before a single field is believed.
    if (crypto_sign_verify_detached(bytes.data(), reinterpret_cast<const unsigned char*>(manifest.data()),
                                    manifest.size(), key.bytes.data()) != 0)
        return fail("安装包的签名不对：它不是本程序的发布者签发的，可能被人改动过");
    auto parsed = parseManifest(manifest);
    if (!parsed)
        return parsed;
    if (parsed->file != packageFileName)
        return fail("签名的校验文件属于另一个安装包（" + parsed->file + "），不是要下载的 " +
                    std::string(packageFileName));
    if (parsed->size > kPackageCap)
        return fail("服务器公布的安装包有 " + sizeText(parsed->size) + "，超过了 " + sizeText(kPackageCap) + " 的上限");
    return parsed;
}

aquine::Result<> verifyPackage(const PackageManifest& manifest, std::uint64_t received, const Sha256Digest& digest) {
    if (received == 0)
        return fail("服务器返回的安装包是空的");
    if (received != manifest.size)
        return fail("下载的安装包有 " + sizeText(received) + "，与服务器公布的 " + sizeText(manifest.size) +
                    " 不符，已丢弃");
    if (sodium_memcmp(digest.data(), manifest.sha256.data(), digest.size()) != 0)
        return fail("下载的安装包与服务器公布的校验值（SHA-256）不符，可能被人改动过，已丢弃");
    return {};
}

} // namespace aquinepad
