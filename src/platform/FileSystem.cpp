#include "platform/FileSystem.h"

FileTimeKind fileTimeKindFromInt(int kind) {
    switch (kind) {
    case 0:
        return FileTimeKind::Creation;
    case 1:
        return FileTimeKind::LastAccess;
    default:
        return FileTimeKind::LastWrite;
    }
}
