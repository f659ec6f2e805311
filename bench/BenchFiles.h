#pragma once

#include <QString>

// A folder of numbered empty files under the system's temporary folder, made once per process and
// per count, and removed at exit. Returns the folder, ending in '/'.
QString benchFolder(int count);
