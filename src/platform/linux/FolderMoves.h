#pragma once

#include "platform/ShellFileOperation.h"

#include <memory>

class ShellFileSyscalls;

// Moves at once through `sys`, each naming its two files from their folders, held open from one move to the
// next until the object is destroyed.
std::unique_ptr<MovesAtOnce> folderMoves(ShellFileSyscalls& sys);
