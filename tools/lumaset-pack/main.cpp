// lumaset-pack: builds payload archives and containers.
#include <stdio.h>
#include <string.h>

#include "commands.h"

namespace {

void printUsage(FILE* out)
{
    fputs("usage: lumaset-pack COMMAND [ARGS...]\n"
          "\n"
          "commands:\n"
#ifdef LUMASET_PACK_ARCHIVE
          "  archive     build a payload archive\n"
#endif
          "  container   append a signature and a payload archive to the launcher image\n"
          "\n"
          "lumaset-pack COMMAND --help explains a command.\n",
          out);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        printUsage(stderr);
        return 2;
    }
    const char* command = argv[1];
    if (strcmp(command, "--help") == 0 || strcmp(command, "-h") == 0) {
        printUsage(stdout);
        return 0;
    }
    if (strcmp(command, "container") == 0)
        return packContainer(argc - 1, argv + 1);
#ifdef LUMASET_PACK_ARCHIVE
    if (strcmp(command, "archive") == 0)
        return packArchive(argc - 1, argv + 1);
#endif
    fprintf(stderr, "lumaset-pack: unknown command '%s'\n", command);
    printUsage(stderr);
    return 2;
}
