// The build's secret key comes from the file the build signs with (AQUINE_UPDATE_TEST_SECRET_KEY).
#include "aquinepad/update/tests/signed_package.h"

#include "common/file_io.h"

#include <QFile>
#include <cstdlib>

namespace aquinepad::testing {

namespace {

const UpdateSecretKey& keyOf(Signer signer) {
    static const UpdateSecretKey build = [] {
        const auto text = aquine::readFileBytes(AQUINE_UPDATE_TEST_SECRET_KEY, 4096);
        const auto key = text ? secretKeyFromText(*text) : aquine::Result<UpdateSecretKey>(aquine::fail(text.reason()));
        if (!key)
            std::abort(); // every signed test would fail for the same reason: say it once, loudly
        return *key;
    }();
    static const UpdateSecretKey stranger = newSecretKey();
    return signer == Signer::Build ? build : stranger;
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        std::abort();
}

} // namespace

SignedManifest signedManifest(const PackageManifest& manifest, Signer signer) {
    const std::string text = manifestText(manifest);
    return {QByteArray::fromStdString(text), QByteArray::fromStdString(signatureText(text, keyOf(signer)))};
}

SignedManifest signedManifest(const QByteArray& package, const QString& fileName, Signer signer) {
    Sha256 digest;
    digest.add(std::string_view(package.constData(), static_cast<std::size_t>(package.size())));
    return signedManifest(
        PackageManifest{fileName.toStdString(), static_cast<std::uint64_t>(package.size()), digest.finish()}, signer);
}

void publishPackage(const QString& folder, const QString& fileName, const QByteArray& package, Signer signer) {
    const QString path = folder + QLatin1Char('/') + fileName;
    const SignedManifest published = signedManifest(package, fileName, signer);
    writeBytes(path, package);
    writeBytes(path + QString::fromLatin1(kManifestSuffix.data(), kManifestSuffix.size()), published.manifest);
    writeBytes(path + QString::fromLatin1(kSignatureSuffix.data(), kSignatureSuffix.size()), published.signature);
}

} // namespace aquinepad::testing
