// Where the maker's server is: AQUINE_SERVER when it is set (./run.sh and the tests point it at a
// server on loopback), else the address the build was given (AQUINE_DEFAULT_SERVER in CMake).
#pragma once

#include <QString>
#include <QUrl>

namespace aquine {

// The base address, without a trailing slash, e.g. "http://127.0.0.1:8080".
QString serverBase();

// A path on the server, e.g. serverUrl("server/new_anotepad.txt").
QUrl serverUrl(const QString& path);

} // namespace aquine
