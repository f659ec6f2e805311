#include "help/ProjectAddresses.h"

// TOKRENU_MAIL and TOKRENU_HOMEPAGE come from the top CMakeLists.txt, which also puts them into the
// desktop metadata and the package.
QUrl projectMailUrl() {
    return {QStringLiteral("mailto:" TOKRENU_MAIL)};
}

QUrl projectWebPageUrl() {
    return {QStringLiteral(TOKRENU_HOMEPAGE)};
}
