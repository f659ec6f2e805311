#pragma once

#include <QUrl>

// Where users reach the project: its mail address and its web page.
QUrl projectMailUrl();
QUrl projectWebPageUrl();
