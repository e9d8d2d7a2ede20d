// The signed manifest: only the key's signature over exactly these bytes passes, the format is strict,
// and a package passes only with the signed size and digest.
#include "aquinepad/update/package_check.h"

#include <gtest/gtest.h>

using namespace aquinepad;

namespace {

PackageManifest manifestOf(std::string_view package, std::string file = "aquine-update.zip") {
    Sha256 digest;
    digest.add(package);
    return {std::move(file), package.size(), digest.finish()};
}

std::string reasonOf(const aquine::Result<PackageManifest>& result) { return result ? "<accepted>" : result.reason(); }

} // namespace

TEST(PackageCheck, DigestAndKeysRoundTrip) {
    Sha256 pieces;
    pieces.add("a");
    pieces.add("");
    pieces.add("bc");
    EXPECT_EQ(hexOf(pieces.finish()), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");

    const UpdateSecretKey key = newSecretKey();
    const auto again = secretKeyFromText("  " + secretKeyText(key) + "\n");
    ASSERT_TRUE(again.ok()) << again.reason();
    EXPECT_EQ(again->bytes, key.bytes);
    const auto pub = publicKeyFromHex(hexOf(publicHalf(key).bytes));
    ASSERT_TRUE(pub.ok());
    EXPECT_EQ(pub->bytes, publicHalf(key).bytes);
    for (const char* bad : {"", "abc",
                            "zz"
                            "00000000000000000000000000000000000000000000000000000000000000"})
        EXPECT_FALSE(publicKeyFromHex(bad).ok()) << bad;
    EXPECT_FALSE(secretKeyFromText(hexOf(key.bytes)).ok()); // the whole 64-byte key is not the file's form
}

TEST(PackageCheck, OnlyTheTrustedKeysSignatureOverTheseVeryBytesPasses) {
    const UpdateSecretKey maker = newSecretKey();
    const UpdatePublicKey trusted = publicHalf(maker);
    const std::string manifest = manifestText(manifestOf("PK package bytes"));
    const std::string signature = signatureText(manifest, maker);

    const auto accepted = verifyManifest(manifest, signature, trusted, "aquine-update.zip");
    ASSERT_TRUE(accepted.ok()) << accepted.reason();
    EXPECT_EQ(accepted->size, 16u);
    EXPECT_EQ(accepted->sha256, manifestOf("PK package bytes").sha256);
    EXPECT_TRUE(verifyManifest(manifest, signature.substr(0, 128), trusted, "aquine-update.zip").ok());

    // Every single changed bit of the manifest breaks the signature.
    for (std::size_t i = 0; i < manifest.size(); ++i) {
        std::string changed = manifest;
        changed[i] = static_cast<char>(changed[i] ^ 0x01);
        EXPECT_NE(reasonOf(verifyManifest(changed, signature, trusted, "aquine-update.zip")).find("签名不对"),
                  std::string::npos)
            << "byte " << i;
    }
    EXPECT_NE(reasonOf(verifyManifest(manifest + "\n", signature, trusted, "aquine-update.zip")).find("签名不对"),
              std::string::npos);
    const std::string stranger = signatureText(manifest, newSecretKey());
    EXPECT_NE(reasonOf(verifyManifest(manifest, stranger, trusted, "aquine-update.zip")).find("签名不对"),
              std::string::npos);
    for (const std::string& malformed : {std::string(), signature.substr(0, 127), signature + "00",
                                         std::string(128, 'g'), signature.substr(0, 128) + "\r\n"})
        EXPECT_NE(reasonOf(verifyManifest(manifest, malformed, trusted, "aquine-update.zip")).find("签名格式不对"),
                  std::string::npos)
            << malformed;
}

TEST(PackageCheck, ManifestFormatIsStrictAndNamesThePackage) {
    const PackageManifest good = manifestOf("bytes");
    const std::string text = manifestText(good);
    EXPECT_EQ(text.substr(0, 58), "aquine-update-manifest 1\nfile aquine-update.zip\nsize 5\nsha");
    ASSERT_TRUE(parseManifest(text).ok());
    const std::string digest = hexOf(good.sha256);
    const std::string head = "aquine-update-manifest 1\nfile aquine-update.zip\n";
    for (const std::string& bad : {
             text.substr(0, text.size() - 1),                             // no final line end
             text + "extra 1\n",                                          // a line too many
             "aquine-update-manifest 2\n" + text.substr(25),              // another format
             head + "size 05\nsha256 " + digest + "\n",                   // leading zero
             head + "size -5\nsha256 " + digest + "\n",                   // sign
             head + "size 5 \nsha256 " + digest + "\n",                   // trailing blank
             head + "size 99999999999999999999\nsha256 " + digest + "\n", // overflow
             head + "size 5\nsha256 " + digest.substr(1) + "\n",          // short digest
             head + "sha256 " + digest + "\nsize 5\n",                    // order
             "aquine-update-manifest 1\r\nfile aquine-update.zip\r\nsize 5\r\nsha256 " + digest + "\r\n",
             "aquine-update-manifest 1\nfile ../aquine-update.zip\nsize 5\nsha256 " + digest + "\n",
             "aquine-update-manifest 1\nfile a\tb.zip\nsize 5\nsha256 " + digest + "\n",
             text + std::string(kManifestLimit, '\n'),
         })
        EXPECT_FALSE(parseManifest(bad).ok()) << bad;

    const UpdateSecretKey maker = newSecretKey();
    const auto verify = [&](const PackageManifest& manifest, std::string_view fileName) {
        const std::string signedText = manifestText(manifest);
        return reasonOf(verifyManifest(signedText, signatureText(signedText, maker), publicHalf(maker), fileName));
    };
    EXPECT_NE(verify(good, "old-release.zip").find("属于另一个安装包（aquine-update.zip）"), std::string::npos);
    PackageManifest huge = good;
    huge.size = 3ull << 30;
    EXPECT_EQ(verify(huge, "aquine-update.zip"), "服务器公布的安装包有 3.0 GB，超过了 512.0 MB 的上限");
    huge.size = kPackageCap;
    EXPECT_EQ(verify(huge, "aquine-update.zip"), "<accepted>");
}

TEST(PackageCheck, PackageMustHaveTheSignedSizeAndDigest) {
    const PackageManifest manifest = manifestOf("the package");
    EXPECT_TRUE(verifyPackage(manifest, 11, manifestOf("the package").sha256).ok());
    EXPECT_EQ(verifyPackage(manifest, 0, manifestOf("").sha256).reason(), "服务器返回的安装包是空的");
    EXPECT_NE(verifyPackage(manifest, 12, manifestOf("the package!").sha256).reason().find("不符"), std::string::npos);
    EXPECT_NE(verifyPackage(manifest, 11, manifestOf("the Package").sha256).reason().find("SHA-256"),
              std::string::npos);
}
