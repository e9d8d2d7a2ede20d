// How an update package proves it is the maker's: a small manifest (file name, size, SHA-256) published
// beside the package with a detached Ed25519 signature over it. Qt-free; the maker's signing tool and
// the notepad's download window share these rules.
#pragma once

#include "common/result.h"

#include <array>
#include <cstdint>
#include <sodium.h>
#include <string>
#include <string_view>

namespace aquinepad {

// Beside a package at ".../name.zip" the server publishes ".../name.zip.manifest" and the signature
// ".../name.zip.manifest.sig".
inline constexpr std::string_view kManifestSuffix = ".manifest";
inline constexpr std::string_view kSignatureSuffix = ".manifest.sig";

// What the notepad reads of each; a reply that passes these is refused while it arrives.
inline constexpr std::uint64_t kManifestLimit = 1024;
inline constexpr std::uint64_t kSignatureLimit = 256;
// The largest package any release may be, whatever its manifest says.
inline constexpr std::uint64_t kPackageCap = 512ull << 20;

using Sha256Digest = std::array<unsigned char, crypto_hash_sha256_BYTES>;

struct UpdatePublicKey {
    std::array<unsigned char, crypto_sign_PUBLICKEYBYTES> bytes{};
};

// libsodium's layout: the 32-byte seed, then the public half. Its file holds the seed in hex.
struct UpdateSecretKey {
    std::array<unsigned char, crypto_sign_SECRETKEYBYTES> bytes{};
};

std::string hexOf(const unsigned char* bytes, std::size_t size);
template <std::size_t N> std::string hexOf(const std::array<unsigned char, N>& bytes) { return hexOf(bytes.data(), N); }

// 64 hex digits, as CMake's AQUINE_UPDATE_PUBLIC_KEY and `aquine-sign public` give it.
aquine::Result<UpdatePublicKey> publicKeyFromHex(std::string_view hex);

UpdateSecretKey newSecretKey();
// The key file's text (the seed in hex and a line end), and back; blanks around it are allowed.
std::string secretKeyText(const UpdateSecretKey& key);
aquine::Result<UpdateSecretKey> secretKeyFromText(std::string_view text);
UpdatePublicKey publicHalf(const UpdateSecretKey& key);

// SHA-256 of bytes that arrive piece by piece.
class Sha256 {
public:
    Sha256();
    void add(std::string_view piece);
    Sha256Digest finish();

private:
    crypto_hash_sha256_state m_state;
};

struct PackageManifest {
    std::string file; // the package's file name, the last part of its address
    std::uint64_t size = 0;
    Sha256Digest sha256{};
};

// The manifest's exact text: four lines, each ending in LF.
//   aquine-update-manifest 1
//   file aquine-update.zip
//   size 26843545
//   sha256 <64 lower-case hex digits>
std::string manifestText(const PackageManifest& manifest);
aquine::Result<PackageManifest> parseManifest(std::string_view text);

// The detached signature over the manifest's bytes as published: 128 hex digits and a line end.
std::string signatureText(std::string_view manifest, const UpdateSecretKey& key);

// Everything checked before the package itself is fetched: the signature is the key's over exactly these
// manifest bytes, the manifest is well formed, names the package being fetched, and stays under the cap.
aquine::Result<PackageManifest> verifyManifest(std::string_view manifest, std::string_view signature,
                                               const UpdatePublicKey& key, std::string_view packageFileName);

// After the download: exactly the size and digest the signed manifest gave.
aquine::Result<> verifyPackage(const PackageManifest& manifest, std::uint64_t received, const Sha256Digest& digest);

} // namespace aquinepad
