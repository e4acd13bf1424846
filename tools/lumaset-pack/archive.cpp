// lumaset-pack archive: a Java archive for the runtime host, from a main
// class and its native module, further classes and resources. Written with
// libzip, then read back with the runtime's own reader, so that an archive
// this command accepts is one the runtime can run.
#include <stdio.h>
#include <string.h>

#include <zip.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "commands.h"
#include "manifest.h"
#include "zip_archive.h"

namespace {

const char* const usage =
    "usage: lumaset-pack archive [--main-class NAME --module FILE] [--class-path TEXT]\n"
    "                            [--class NAME=FILE]... [--resource PATH=FILE]... -o OUT\n"
    "\n"
    "Writes OUT, a Java archive for the runtime host: META-INF/MANIFEST.MF naming\n"
    "the main class NAME (Main-Class) and the class path TEXT (Class-Path), the\n"
    "native module FILE of the main class as its class file (com.example.Main is\n"
    "stored as com/example/Main.dll), each further class module under its class\n"
    "name the same way, and each resource FILE under PATH (\"com/example/logo.gif\").\n"
    "Entries are deflated. The archive is read back before OUT is replaced.\n"
    "\n"
    "Refused, with the reason on one line and exit code 1: a class name that is\n"
    "not dot-separated identifiers, an entry path that is absolute or holds \"..\",\n"
    "an entry given twice, a file that cannot be read. Wrong usage: exit code 2.\n";

struct Input {
    std::string entry;
    std::string file;
    std::vector<unsigned char> bytes;
};

int failure(const std::string& text)
{
    fprintf(stderr, "lumaset-pack archive: %s\n", text.c_str());
    return 1;
}

int usageError(const std::string& text)
{
    fprintf(stderr, "lumaset-pack archive: %s\n%s", text.c_str(), usage);
    return 2;
}

bool readFile(const std::string& path, std::vector<unsigned char>* bytes)
{
    FILE* file = fopen(path.c_str(), "rb");
    if (file == NULL)
        return false;
    unsigned char block[65536];
    size_t got;
    while ((got = fread(block, 1, sizeof block, file)) > 0)
        bytes->insert(bytes->end(), block, block + got);
    bool ok = ferror(file) == 0;
    fclose(file);
    return ok;
}

// One header of the manifest, in lines of at most 72 bytes, as manifests want.
bool appendHeader(std::string* manifest, const char* name, const std::string& value)
{
    if (value.find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
        return false;
    std::string line = std::string(name) + ": " + value;
    size_t width = 72;
    while (line.size() > width) {
        *manifest += line.substr(0, width) + "\r\n ";
        line = line.substr(width);
        width = 71;
    }
    *manifest += line + "\r\n";
    return true;
}

// Splits "LEFT=RIGHT" at the first '='.
bool splitPair(const char* text, std::string* left, std::string* right)
{
    const char* eq = strchr(text, '=');
    if (eq == NULL || eq == text || eq[1] == '\0')
        return false;
    left->assign(text, eq);
    *right = eq + 1;
    return true;
}

// Writes INPUTS to PATH with libzip; empty on success, else the reason.
std::string writeArchive(const std::string& path, const std::vector<Input>& inputs)
{
    int code = 0;
    zip_t* zip = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (zip == NULL) {
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        std::string text = std::string("cannot create ") + path + ": " + zip_error_strerror(&error);
        zip_error_fini(&error);
        return text;
    }
    for (const Input& input : inputs) {
        zip_source_t* source = zip_source_buffer(zip, input.bytes.data(), input.bytes.size(), 0);
        zip_int64_t index = source == NULL ? -1 : zip_file_add(zip, input.entry.c_str(), source, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            if (source != NULL)
                zip_source_free(source);
            std::string text = "cannot add " + input.entry + ": " + zip_strerror(zip);
            zip_discard(zip);
            return text;
        }
        // A fixed time, so that the same inputs give the same archive.
        zip_set_file_compression(zip, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 9);
        zip_file_set_mtime(zip, static_cast<zip_uint64_t>(index), 946684800, 0);
    }
    if (zip_close(zip) != 0) {
        std::string text = std::string("cannot write ") + path + ": " + zip_strerror(zip);
        zip_discard(zip);
        return text;
    }
    return std::string();
}

// Empty when PATH holds exactly INPUTS as the runtime reads them.
std::string verifyArchive(const std::string& path, const std::vector<Input>& inputs)
{
    archive::ZipArchive zip;
    std::string error;
    if (!archive::openArchiveFile(path, &zip, &error))
        return "written archive does not read back: " + error;
    if (zip.entries().size() != inputs.size())
        return "written archive holds " + std::to_string(zip.entries().size()) + " entries, expected "
               + std::to_string(inputs.size());
    for (const Input& input : inputs) {
        std::vector<uint8_t> bytes;
        if (!zip.read(input.entry, &bytes, &error))
            return "written archive does not read back: " + error;
        if (bytes.size() != input.bytes.size() || !std::equal(bytes.begin(), bytes.end(), input.bytes.begin()))
            return "written archive differs in " + input.entry;
    }
    return std::string();
}

}  // namespace

int packArchive(int argc, char** argv)
{
    std::string mainClass, module, classPath, out;
    bool hasClassPath = false;
    std::vector<Input> inputs;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            fputs(usage, stdout);
            return 0;
        }
        if (i + 1 >= argc)
            return usageError("missing value after " + arg);
        const char* value = argv[++i];
        std::string left, right;
        if (arg == "--main-class")
            mainClass = value;
        else if (arg == "--module")
            module = value;
        else if (arg == "--class-path") {
            classPath = value;
            hasClassPath = true;
        } else if (arg == "-o")
            out = value;
        else if (arg == "--class" && splitPair(value, &left, &right)) {
            if (!archive::isValidClassName(left))
                return failure("invalid class name: " + left);
            inputs.push_back({archive::moduleEntryName(left), right, {}});
        } else if (arg == "--resource" && splitPair(value, &left, &right))
            inputs.push_back({left, right, {}});
        else if (arg == "--class" || arg == "--resource")
            return usageError(arg + (arg == "--class" ? " wants NAME=FILE, not " : " wants PATH=FILE, not ") + value);
        else
            return usageError("unknown option " + arg);
    }
    if (out.empty())
        return usageError("no output file (-o OUT)");
    if (mainClass.empty() != module.empty())
        return usageError("--main-class and --module go together");
    if (!mainClass.empty()) {
        if (!archive::isValidClassName(mainClass))
            return failure("invalid class name: " + mainClass);
        inputs.insert(inputs.begin(), {archive::moduleEntryName(mainClass), module, {}});
    }

    std::string manifest;
    if (!appendHeader(&manifest, "Manifest-Version", "1.0")
        || (!mainClass.empty() && !appendHeader(&manifest, "Main-Class", mainClass))
        || (hasClassPath && !appendHeader(&manifest, "Class-Path", classPath)))
        return failure("a manifest value holds a line break");
    manifest += "\r\n";

    std::set<std::string> entries = {std::string(archive::kManifestPath)};
    for (Input& input : inputs) {
        if (!archive::isSafeEntryName(input.entry) || input.entry.back() == '/')
            return failure("unsafe entry path: " + input.entry);
        if (!entries.insert(input.entry).second)
            return failure("entry given twice: " + input.entry);
        if (!readFile(input.file, &input.bytes))
            return failure("cannot read " + input.file);
    }
    inputs.insert(inputs.begin(), {std::string(archive::kManifestPath), std::string(),
                                   std::vector<unsigned char>(manifest.begin(), manifest.end())});

    // OUT is replaced only by an archive that reads back whole.
    const std::string part = out + ".part";
    std::string error = writeArchive(part, inputs);
    if (error.empty())
        error = verifyArchive(part, inputs);
    if (error.empty() && rename(part.c_str(), out.c_str()) != 0)
        error = "cannot rename " + part + " to " + out;
    if (!error.empty()) {
        remove(part.c_str());
        return failure(error);
    }
    return 0;
}
