// Subcommands of lumaset-pack. Each takes the arguments after its own name
// (argv[0] is the subcommand) and returns the process exit code.
#pragma once

int packContainer(int argc, char** argv);
int packArchive(int argc, char** argv);
