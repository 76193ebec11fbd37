#pragma once

#include "banktool/Command.h"

// The commands of memvane-bank, one file each.
namespace banktool {

Command createCommand();
Command importCommand();
Command exportCommand();
Command checkCommand();
Command printCommand();

} // namespace banktool
