#pragma once

#include <QString>

class UserPrompt;

// Asks for a new add filter, starting from the current one. Cancel counts as a blank answer, and a
// blank answer means "*.*".
QString askWildCard(UserPrompt& prompt, const QString& current);

// The ignored-attribute mask from the check marks of the six menu items (item i stands for bit 2^i).
qint32 ignoredAttributesFromChecks(const bool (&checked)[6]);
