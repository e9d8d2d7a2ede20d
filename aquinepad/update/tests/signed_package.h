// Packages published the way the maker's build publishes them: the package, its manifest and the
// manifest's signature, made with the build's own key (the one the notepad trusts) or a stranger's.
#pragma once

#include "aquinepad/update/package_check.h"

#include <QByteArray>
#include <QString>

namespace aquinepad::testing {

enum class Signer { Build, Stranger };

struct SignedManifest {
    QByteArray manifest;
    QByteArray signature;
};

// The manifest of exactly these bytes under this file name, signed.
SignedManifest signedManifest(const QByteArray& package, const QString& fileName, Signer signer = Signer::Build);
SignedManifest signedManifest(const PackageManifest& manifest, Signer signer = Signer::Build);

// Writes folder/fileName with its ".manifest" and ".manifest.sig" beside it.
void publishPackage(const QString& folder, const QString& fileName, const QByteArray& package,
                    Signer signer = Signer::Build);

} // namespace aquinepad::testing
