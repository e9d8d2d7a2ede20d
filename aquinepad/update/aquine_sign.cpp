// aquine-sign: the maker's signing tool for update packages (and the build's, for its development key).
// Makes a key, prints its public half, signs a package (writes its manifest and signature), checks one.
#include "aquinepad/update/package_check.h"
#include "common/file_io.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace aquinepad;

int usage() {
    std::fputs("用法：\n"
               "  aquine-sign keygen 私钥文件            生成新的签名密钥（已有的文件不会被覆盖），打印公钥\n"
               "  aquine-sign public 私钥文件            打印私钥对应的公钥（64 个十六进制数字）\n"
               "  aquine-sign sign 私钥文件 安装包        写出 安装包.manifest 和 安装包.manifest.sig\n"
               "  aquine-sign verify 公钥 安装包          检查安装包与它的校验文件和签名\n",
               stderr);
    return 2;
}

int failed(const std::string& reason) {
    std::fprintf(stderr, "aquine-sign：%s\n", reason.c_str());
    return 1;
}

aquine::Result<UpdateSecretKey> readSecretKey(const fs::path& file) {
    auto text = aquine::readFileBytes(file, 4096);
    if (!text)
        return aquine::fail(text.reason());
    return secretKeyFromText(*text);
}

// The package's size and digest, read piece by piece so that a large package needs little memory.
aquine::Result<PackageManifest> describePackage(const fs::path& package) {
    auto file = aquine::ReadableFile::open(package, kPackageCap);
    if (!file)
        return aquine::fail(file.reason());
    PackageManifest manifest;
    manifest.file = package.filename().string();
    Sha256 digest;
    std::string buffer(1 << 20, '\0');
    for (;;) {
        const ssize_t got = ::read(file->fd(), buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return aquine::fail(aquine::fileFailureReason("无法读取", package, errno));
        if (got == 0)
            break;
        digest.add(std::string_view(buffer.data(), static_cast<std::size_t>(got)));
        manifest.size += static_cast<std::uint64_t>(got);
        if (manifest.size > kPackageCap)
            return aquine::fail(aquine::tooLargeReason(package, kPackageCap));
    }
    manifest.sha256 = digest.finish();
    return manifest;
}

int keygen(const fs::path& file) {
    const UpdateSecretKey key = newSecretKey();
    const std::string text = secretKeyText(key);
    // Only its owner may read a secret key; an existing key is never replaced by accident.
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return failed(aquine::fileFailureReason("无法新建私钥文件", file, errno));
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) && ::fsync(fd) == 0;
    if (::close(fd) != 0 || !written) {
        ::unlink(file.c_str());
        return failed(aquine::fileFailureReason("无法写入私钥文件", file, errno));
    }
    std::printf("%s\n", hexOf(publicHalf(key).bytes).c_str());
    return 0;
}

int printPublic(const fs::path& file) {
    const auto key = readSecretKey(file);
    if (!key)
        return failed(key.reason());
    std::printf("%s\n", hexOf(publicHalf(*key).bytes).c_str());
    return 0;
}

int sign(const fs::path& keyFile, const fs::path& package) {
    const auto key = readSecretKey(keyFile);
    if (!key)
        return failed(key.reason());
    const auto manifest = describePackage(package);
    if (!manifest)
        return failed(manifest.reason());
    const std::string text = manifestText(*manifest);
    const fs::path manifestFile = package.string() + std::string(kManifestSuffix);
    const fs::path signatureFile = package.string() + std::string(kSignatureSuffix);
    // The signature last: a half-finished run leaves a manifest whose old signature no longer fits,
    // which the notepad refuses, never a package that passes without being signed.
    if (auto written = aquine::writeFileAtomically(manifestFile, text); !written)
        return failed(written.reason());
    if (auto written = aquine::writeFileAtomically(signatureFile, signatureText(text, *key)); !written)
        return failed(written.reason());
    return 0;
}

int verify(std::string_view publicHex, const fs::path& package) {
    const auto key = publicKeyFromHex(publicHex);
    if (!key)
        return failed(key.reason());
    const auto manifest = aquine::readFileBytes(package.string() + std::string(kManifestSuffix), kManifestLimit);
    const auto signature = aquine::readFileBytes(package.string() + std::string(kSignatureSuffix), kSignatureLimit);
    if (!manifest || !signature)
        return failed(!manifest ? manifest.reason() : signature.reason());
    const auto signedManifest = verifyManifest(*manifest, *signature, *key, package.filename().string());
    if (!signedManifest)
        return failed(signedManifest.reason());
    const auto actual = describePackage(package);
    if (!actual)
        return failed(actual.reason());
    if (auto checked = verifyPackage(*signedManifest, actual->size, actual->sha256); !checked)
        return failed(checked.reason());
    std::printf("签名和校验值都正确：%s\n", package.filename().c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "keygen" && argc == 3)
        return keygen(argv[2]);
    if (command == "public" && argc == 3)
        return printPublic(argv[2]);
    if (command == "sign" && argc == 4)
        return sign(argv[2], argv[3]);
    if (command == "verify" && argc == 4)
        return verify(argv[2], argv[3]);
    return usage();
}
