// Where the maker's web server is: AQUINE_SERVER when set (./run.sh and the tests point it at a server
// on loopback), else the built-in address.
#pragma once

#include <QUrl>

namespace aquine {

// A page of the maker's server, from its path and query ("forum.php?mod=viewthread&tid=269").
QUrl makerPage(const QString& pathAndQuery);

} // namespace aquine
