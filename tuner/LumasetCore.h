// The tuner's portable core: the rendering switch model, the reader of
// deployment.properties and its rewriter. No window and no Windows code here;
// the few platform bits sit behind platform.h.
#pragma once

#include <cstdio>
#include <iosfwd>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace lumaset {

// Any failure to read or write a file. what() names the file and the cause.
class IoError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A source of raw bytes for the reader. Read returns 0 at the end of the
// input and throws IoError when reading fails.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual size_t Read(char *buffer, size_t capacity) = 0;
};

// A sink for raw bytes; Write throws IoError when writing fails.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual void Write(const char *data, size_t length) = 0;
};

class LumasetCore {
public:
    // The three Java 2D rendering switches.
    struct ParamsValues {
        bool m_bD3D = true;
        bool m_bNoDDraw = false;
        bool m_bForceVram = false;
    };

    // One enabled runtime entry during one rewrite.
    class TuneEntry {
    public:
        TuneEntry(const std::string &jreNumber, const std::string &optionText);
        // The new argument string for one args line of this entry.
        std::string ChangeOption(const std::string &arguments);
        // True when the trimmed matched prefix is exactly this entry's key.
        bool IsMatch(const std::string &matchedPrefix) const;
        bool IsSet() const { return bSet; }
        const std::string &Key() const { return sNum; }

    private:
        std::vector<std::string> sOption; // the three switch texts: d3d, noddraw, ddforcevram
        std::string sNum;                 // the whole args key, despite its name

    public:
        bool bSet = false;
    };

    static constexpr int PS_WaitItem = 0;
    static constexpr int PS_ReadItemValue = 1;
    static constexpr int ciJREMaxNumber = 25;

    // The reader's results. Keys are JRE numbers as written ("7" and "07"
    // differ), ordered by plain byte order.
    std::map<std::string, ParamsValues> m_Args;
    std::vector<std::string> m_EnabledJRE = std::vector<std::string>(ciJREMaxNumber);
    int m_nEnabledJRE = 0;

    // Full path of deployment.properties, or none when it could not be found.
    std::optional<std::string> m_JREPath;

    // Reads the settings text to the end and adds to m_Args and m_EnabledJRE.
    // The stream stays open; a read failure throws IoError.
    void ParseFile(ByteSource &in);
    void ParseFile(std::istream &in);
    void ParseFile(std::FILE *in);
    // Opens the file at path, reads it as above and closes it again.
    void ParseFile(const std::string &path);

    static std::string IsArgsParameter(const std::string &key);
    static std::string IsEnabledParameter(const std::string &key);

    // The switches of all enabled entries folded into one record.
    ParamsValues GetCheckboxValues() const;

    // 1: this switch, on; 0: this switch, off; -1: not this switch.
    static int IsD3DArgument(const std::string &argument);
    static int IsNoDDrawArgument(const std::string &argument);
    static int IsForceVRAMArgument(const std::string &argument);
    static ParamsValues ParseArguments(const std::string &arguments);

    // Rewrites the settings file at m_JREPath so that the args line of every
    // enabled entry carries the three switches with the given values. The
    // file is replaced atomically through "<path>.temp"; on any failure it is
    // left unchanged, the temporary file is removed and IoError is thrown.
    void EditConf(const ParamsValues &values);

    // The streaming part of EditConf: settings text in, rewritten text out,
    // each line ended by lineSeparator.
    void Rewrite(ByteSource &in, ByteSink &out, const ParamsValues &values, const std::string &lineSeparator) const;

    // The option text: the three switch texts, each followed by a blank
    // except "-Dsun.java2d.ddforcevram\=false".
    static std::string OptionText(const ParamsValues &values);
};

} // namespace lumaset

// The main class derives from the core at global scope.
using lumaset::LumasetCore;
