#pragma once
// The console program's name in its usage text and messages. On Windows it is
// torvane-cli.exe, beside the dialog program Torvane.exe; a message there that said
// "torvane" would name a command that does not exist. The build sets which.

#ifndef TORVANE_PROGRAM_NAME
#define TORVANE_PROGRAM_NAME "torvane"
#endif
