/* The C interface between the runtime host (javaw.exe) and the native
 * modules it loads from archives. Plain C so that host and module need not
 * share a compiler's C++ ABI; every text is 8-bit ANSI, NUL-terminated. */
#ifndef RUNTIME_API_H
#define RUNTIME_API_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

#define RUNTIME_API_VERSION 1

typedef struct RuntimeClass RuntimeClass;

typedef struct RuntimeApi {
    /* RUNTIME_API_VERSION of the host. */
    unsigned version;

    /* Value of a system property ("java.version", "java.home",
     * "file.separator"), or NULL when the runtime has none. The text lives
     * as long as the process. */
    const char *(*getProperty)(const char *name);

    /* Reads the resource at PATH ("com/example/logo.gif") of the
     * application's archive. On success returns 0 and a buffer of *SIZE
     * bytes to release with freeBuffer; on failure returns -1 and sets
     * lastError. */
    int (*readResource)(const char *path, void **data, size_t *size);
    void (*freeBuffer)(void *data);

    /* Loads the class CLASS_NAME ("com.example.Config") from the archive at
     * ARCHIVE_PATH. NULL on failure, with lastError set. The class stays
     * loaded until the process ends. */
    RuntimeClass *(*loadClass)(const char *archivePath, const char *className);

    /* Address of the static operation NAME that the class declares, or NULL
     * with lastError set. The caller knows the operation's C signature. */
    void *(*getMethod)(RuntimeClass *cls, const char *name);

    /* What the last failing call of this interface on this thread met. */
    const char *(*lastError)(void);

    /* Flushes the standard streams and ends the process with CODE. */
    void (*exitProcess)(int code);
} RuntimeApi;

/* The entry that the main class's module exports under RUNTIME_MAIN_NAME.
 * ARGV holds the program arguments after the archive (ARGC of them). It must
 * not let an exception escape. When it returns, the host keeps dispatching
 * window messages while a visible top-level window of the process exists
 * (a window never shown, such as a message box's owner, does not count),
 * then ends with exit code 0. exitProcess destroys the calling thread's
 * windows before the modules are unloaded. */
typedef void (*RuntimeMainFn)(const RuntimeApi *api, int argc, char **argv);
#define RUNTIME_MAIN_NAME "runtimeMain"

/* Signature of a static operation that gives a text (such as getUserHome):
 * writes at most SIZE bytes including the NUL into BUF and returns the
 * length of the whole text without the NUL, or -1 on failure. A result of
 * SIZE or more means BUF was too small. */
typedef long (*RuntimeTextMethod)(char *buf, size_t size);

#ifdef __cplusplus
}
#endif

#endif
