#pragma once

#include "tools/bank/Command.h"

// The commands of memvane-bank, one file each.
namespace tools {

Command createCommand();
Command importCommand();
Command exportCommand();
Command checkCommand();
Command printCommand();

} // namespace tools
