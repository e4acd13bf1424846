// lumaset-pack container: the launcher image, one signature, then the payload
// archive. Refuses every combination in which the launcher would find the
// wrong archive, the wrong mode, or none.
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "commands.h"
#include "launcher.h"

namespace {

const char* const usage =
    "usage: lumaset-pack container --launcher IMAGE (--silent|--interactive) --archive ARCHIVE -o OUT\n"
    "\n"
    "Writes OUT as the launcher image IMAGE, then the silent or the interactive\n"
    "signature, then the payload archive ARCHIVE byte for byte. The silent\n"
    "container runs the application with the argument \"silent\", the interactive\n"
    "one shows its settings window.\n"
    "\n"
    "Refused, with the reason on one line and exit code 1:\n"
    "  an image that does not hold each signature text exactly once, the silent\n"
    "  one first, where the launcher's scan finds it;\n"
    "  an image whose last bytes begin the chosen signature (the scan would miss it);\n"
    "  a silent container whose archive holds the interactive signature text.\n";

struct File {
    FILE* stream;
    ~File() { if (stream != NULL) fclose(stream); }
};

bool readFile(const char* path, std::vector<char>* bytes)
{
    File file = {fopen(path, "rb")};
    if (file.stream == NULL)
        return false;
    char block[65536];
    size_t got;
    while ((got = fread(block, 1, sizeof block, file.stream)) > 0)
        bytes->insert(bytes->end(), block, block + got);
    return ferror(file.stream) == 0;
}

std::vector<size_t> findAll(const std::vector<char>& bytes, const char* text)
{
    std::vector<size_t> offsets;
    std::string haystack(bytes.begin(), bytes.end());
    for (size_t at = haystack.find(text, 0, SIGNATURE_LENGTH); at != std::string::npos;
         at = haystack.find(text, at + 1, SIGNATURE_LENGTH))
        offsets.push_back(at);
    return offsets;
}

// Where the launcher's scan stands after each of its first two scans of IMAGE,
// or -1 where it finds nothing.
void scanImage(const char* path, long* afterSilent, long* afterInteractive)
{
    *afterSilent = *afterInteractive = -1;
    File file = {fopen(path, "rb")};
    if (file.stream == NULL || !setPosBySignature(file.stream, silentSignature, SIGNATURE_LENGTH))
        return;
    *afterSilent = ftell(file.stream);
    if (setPosBySignature(file.stream, interactiveSignature, SIGNATURE_LENGTH))
        *afterInteractive = ftell(file.stream);
}

// Empty when the image carries its own texts as the launcher needs them.
std::string checkImage(const char* path, const std::vector<char>& image)
{
    const char* names[2] = {"silent", "interactive"};
    const char* texts[2] = {silentSignature, interactiveSignature};
    size_t offsets[2] = {0, 0};
    for (int i = 0; i < 2; ++i) {
        std::vector<size_t> found = findAll(image, texts[i]);
        if (found.size() != 1)
            return "image holds the " + std::string(names[i]) + " signature text " + std::to_string(found.size())
                   + " times, expected exactly once";
        offsets[i] = found[0];
    }
    if (offsets[0] > offsets[1])
        return "image holds the interactive signature text before the silent one";
    long afterSilent, afterInteractive;
    scanImage(path, &afterSilent, &afterInteractive);
    if (afterSilent != (long)(offsets[0] + SIGNATURE_LENGTH)
        || afterInteractive != (long)(offsets[1] + SIGNATURE_LENGTH))
        return "the bytes before a signature text in the image begin that text; the launcher's scan would miss it";
    return "";
}

// The last bytes of the image must not begin the signature: the scan would
// throw the signature's first byte away and miss it.
bool endsWithBeginningOf(const std::vector<char>& image, const char* text)
{
    for (size_t k = 1; k < (size_t)SIGNATURE_LENGTH && k <= image.size(); ++k)
        if (memcmp(image.data() + image.size() - k, text, k) == 0)
            return true;
    return false;
}

// Runs the launcher's own locating procedure on the written container.
bool verifyContainer(const char* path, bool interactive, long archiveOffset)
{
    File file = {fopen(path, "rb")};
    if (file.stream == NULL)
        return false;
    bool foundInteractive = false;
    try {
        locateArchive(file.stream, &foundInteractive);
    } catch (const char*) {
        return false;
    }
    return foundInteractive == interactive && ftell(file.stream) == archiveOffset;
}

int refuse(const std::string& reason)
{
    fprintf(stderr, "lumaset-pack container: %s\n", reason.c_str());
    return 1;
}

}  // namespace

int packContainer(int argc, char** argv)
{
    const char* imagePath = NULL;
    const char* archivePath = NULL;
    const char* outPath = NULL;
    int mode = -1;  // 0 silent, 1 interactive
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (strcmp(arg, "--help") == 0 || strcmp(arg, "-h") == 0) {
            fputs(usage, stdout);
            return 0;
        } else if (strcmp(arg, "--silent") == 0 || strcmp(arg, "--interactive") == 0) {
            int chosen = strcmp(arg, "--interactive") == 0;
            if (mode != -1 && mode != chosen) {
                fputs("lumaset-pack container: choose one of --silent and --interactive\n", stderr);
                return 2;
            }
            mode = chosen;
        } else if (strcmp(arg, "--launcher") == 0 && hasValue) {
            imagePath = argv[++i];
        } else if (strcmp(arg, "--archive") == 0 && hasValue) {
            archivePath = argv[++i];
        } else if (strcmp(arg, "-o") == 0 && hasValue) {
            outPath = argv[++i];
        } else {
            fprintf(stderr, "lumaset-pack container: unexpected argument '%s'\n%s", arg, usage);
            return 2;
        }
    }
    if (imagePath == NULL || archivePath == NULL || outPath == NULL || mode == -1) {
        fprintf(stderr, "lumaset-pack container: missing arguments\n%s", usage);
        return 2;
    }
    bool interactive = mode == 1;
    const char* signature = interactive ? interactiveSignature : silentSignature;

    std::vector<char> image, archive;
    if (!readFile(imagePath, &image))
        return refuse(std::string("cannot read the launcher image ") + imagePath);
    if (!readFile(archivePath, &archive))
        return refuse(std::string("cannot read the archive ") + archivePath);

    std::string reason = checkImage(imagePath, image);
    if (!reason.empty())
        return refuse(reason);
    if (endsWithBeginningOf(image, signature))
        return refuse("image ends with the beginning of the signature text; the launcher's scan would miss it");
    if (!interactive && !findAll(archive, interactiveSignature).empty())
        return refuse("archive holds the interactive signature text; the silent container would run interactively");

    {
        File out = {fopen(outPath, "wb")};
        bool written = out.stream != NULL && fwrite(image.data(), 1, image.size(), out.stream) == image.size()
                       && fwrite(signature, 1, SIGNATURE_LENGTH, out.stream) == (size_t)SIGNATURE_LENGTH
                       && fwrite(archive.data(), 1, archive.size(), out.stream) == archive.size();
        if (out.stream != NULL && fclose(out.stream) != 0)
            written = false;
        out.stream = NULL;
        if (!written) {
            remove(outPath);
            return refuse(std::string("cannot write ") + outPath);
        }
    }
    if (!verifyContainer(outPath, interactive, (long)(image.size() + SIGNATURE_LENGTH))) {
        remove(outPath);
        return refuse("the launcher would not find the archive in the written container");
    }
    return 0;
}
