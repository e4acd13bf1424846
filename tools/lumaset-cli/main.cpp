// lumaset-cli: shows what the tuner reads from a deployment.properties file,
// or rewrites the file with given switch values, for scripts and checks.
#include "LumasetCore.h"
#include "platform.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <optional>
#include <string>

namespace {

constexpr int kFailed = 1;
constexpr int kUsage = 2;

const char kHelp[] =
    "usage: lumaset-cli show FILE\n"
    "       lumaset-cli apply FILE --d3d=B --noddraw=B --forcevram=B\n"
    "       lumaset-cli apply FILE --silent\n"
    "\n"
    "show   reads FILE as the tuner does and prints, one per line:\n"
    "         args N D3D NODDRAW FORCEVRAM   switches of each argument string, by JRE number\n"
    "         enabled N                      each enabled entry, in file order\n"
    "         checkbox D3D NODDRAW FORCEVRAM the switches of all enabled entries folded\n"
    "apply  rewrites FILE in place (through FILE.temp) so that the argument string of\n"
    "       every enabled entry carries the three switches; B is true or false.\n"
    "       --silent means --d3d=false --noddraw=true --forcevram=true.\n"
    "\n"
    "exit status: 0 done, 1 FILE could not be read or rewritten (it is unchanged),\n"
    "             2 usage error\n";

int Usage(const std::string &message) {
    std::fprintf(stderr, "lumaset-cli: %s (try --help)\n", message.c_str());
    return kUsage;
}

const char *Bool(bool value) { return value ? "true" : "false"; }

// Parses "--NAME=true|false" into slot; false when arg is not that flag.
bool ParseFlag(const std::string &arg, const char *name, std::optional<bool> &slot, std::string &error) {
    const std::string prefix = std::string("--") + name + "=";
    if (arg.compare(0, prefix.size(), prefix) != 0)
        return false;
    const std::string value = arg.substr(prefix.size());
    if (slot)
        error = "--" + std::string(name) + " given twice";
    else if (value == "true")
        slot = true;
    else if (value == "false")
        slot = false;
    else
        error = "--" + std::string(name) + " takes true or false, not '" + value + "'";
    return true;
}

int Show(const std::string &path) {
    LumasetCore core;
    core.ParseFile(path);
    std::string out;
    for (const auto &[number, values] : core.m_Args) {
        out += "args " + number + " " + Bool(values.m_bD3D) + " " + Bool(values.m_bNoDDraw) + " " +
               Bool(values.m_bForceVram) + "\n";
    }
    for (int i = 0; i < core.m_nEnabledJRE; ++i)
        out += "enabled " + core.m_EnabledJRE[i] + "\n";
    const auto folded = core.GetCheckboxValues();
    out += std::string("checkbox ") + Bool(folded.m_bD3D) + " " + Bool(folded.m_bNoDDraw) + " " +
           Bool(folded.m_bForceVram) + "\n";
    lumaset::platform::SetBinaryStdout();
    if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0) {
        std::fprintf(stderr, "lumaset-cli: standard output: cannot write\n");
        return kFailed;
    }
    return 0;
}

int Apply(const std::string &path, const LumasetCore::ParamsValues &values) {
    LumasetCore core;
    core.ParseFile(path);
    core.m_JREPath = path;
    core.EditConf(values);
    return 0;
}

int Run(int argc, char **argv) {
    if (argc < 2)
        return Usage("no command");
    const std::string command = argv[1];
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kHelp, stdout);
        return 0;
    }
    std::optional<std::string> file;
    std::optional<bool> d3d, noddraw, forcevram;
    bool silent = false;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        std::string error;
        if (arg == "--help") {
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (command == "apply" && (ParseFlag(arg, "d3d", d3d, error) || ParseFlag(arg, "noddraw", noddraw, error) ||
                                   ParseFlag(arg, "forcevram", forcevram, error))) {
            if (!error.empty())
                return Usage(error);
        } else if (command == "apply" && arg == "--silent") {
            if (silent)
                return Usage("--silent given twice");
            silent = true;
        } else if (arg.compare(0, 2, "--") == 0) {
            return Usage("unknown option '" + arg + "'");
        } else if (file) {
            return Usage("more than one FILE");
        } else {
            file = arg;
        }
    }
    if (command != "show" && command != "apply")
        return Usage("unknown command '" + command + "'");
    if (!file)
        return Usage("no FILE");
    if (command == "show")
        return Show(*file);

    LumasetCore::ParamsValues values;
    if (silent) {
        if (d3d || noddraw || forcevram)
            return Usage("--silent replaces --d3d, --noddraw and --forcevram");
        values.m_bD3D = false;
        values.m_bNoDDraw = true;
        values.m_bForceVram = true;
    } else {
        if (!d3d || !noddraw || !forcevram)
            return Usage("apply needs --d3d=B --noddraw=B --forcevram=B, or --silent");
        values.m_bD3D = *d3d;
        values.m_bNoDDraw = *noddraw;
        values.m_bForceVram = *forcevram;
    }
    return Apply(*file, values);
}

} // namespace

int main(int argc, char **argv) {
    try {
        return Run(argc, argv);
    } catch (const std::exception &failure) {
        std::fprintf(stderr, "lumaset-cli: %s\n", failure.what());
        return kFailed;
    }
}
