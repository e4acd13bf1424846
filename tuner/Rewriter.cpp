// The rewriter of deployment.properties: streams the file line by line into
// a temporary file beside it, rewriting the args line of every enabled entry,
// and puts the temporary file in its place in one step.
#include "LumasetCore.h"

#include "platform.h"
#include "text.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <set>

namespace lumaset {

namespace {

const char *const kSwitchTexts[3][2] = {
    {"-Dsun.java2d.d3d\\=false", "-Dsun.java2d.d3d\\=true"},
    {"-Dsun.java2d.noddraw\\=false", "-Dsun.java2d.noddraw\\=true"},
    {"-Dsun.java2d.ddforcevram\\=false", "-Dsun.java2d.ddforcevram\\=true"},
};

// Replaces, inside one blank-free item, every white-space-separated piece
// that holds name by replacement; the other pieces and the white space
// between them stay, so arguments separated by tabs are not lost.
std::string ReplacePieces(const std::string &item, const std::string &name, const std::string &replacement) {
    std::string result;
    size_t pos = 0;
    while (pos < item.size()) {
        size_t end = pos;
        if (text::IsItemSpace(item[pos])) {
            while (end < item.size() && text::IsItemSpace(item[end]))
                ++end;
            result.append(item, pos, end - pos);
        } else {
            while (end < item.size() && !text::IsItemSpace(item[end]))
                ++end;
            const std::string piece = item.substr(pos, end - pos);
            result += text::Contains(piece, name) ? replacement : piece;
        }
        pos = end;
    }
    return result;
}

bool IsPatternSpace(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

// Characters that continue a dotted key name rather than separate it from
// its value.
bool IsKeyCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
           c == '-';
}

// Splits the input into lines: a line ends at LF, CR or CR LF; a last line
// without terminator is still a line; no empty line follows a final one.
class LineReader {
public:
    explicit LineReader(ByteSource &source) : source_(source) {}

    bool Next(std::string &line) {
        line.clear();
        bool any = false;
        for (;;) {
            if (pos_ == end_) {
                if (eof_ || (end_ = source_.Read(buffer_, sizeof buffer_)) == 0) {
                    eof_ = true;
                    pos_ = end_ = 0;
                    return any;
                }
                pos_ = 0;
            }
            if (skipLineFeed_) {
                skipLineFeed_ = false;
                if (buffer_[pos_] == '\n') {
                    ++pos_;
                    continue;
                }
            }
            any = true;
            size_t i = pos_;
            while (i < end_ && buffer_[i] != '\n' && buffer_[i] != '\r')
                ++i;
            line.append(buffer_ + pos_, i - pos_);
            if (i < end_) {
                skipLineFeed_ = buffer_[i] == '\r';
                pos_ = i + 1;
                return true;
            }
            pos_ = end_;
        }
    }

private:
    ByteSource &source_;
    char buffer_[64 * 1024];
    size_t pos_ = 0, end_ = 0;
    bool eof_ = false;
    bool skipLineFeed_ = false;
};

class BufferedSink {
public:
    explicit BufferedSink(ByteSink &sink) : sink_(sink) {}
    void Write(const std::string &data) { Write(data.data(), data.size()); }
    void Write(const char *data, size_t length) {
        if (used_ + length > sizeof buffer_) {
            Flush();
            if (length >= sizeof buffer_) {
                sink_.Write(data, length);
                return;
            }
        }
        std::memcpy(buffer_ + used_, data, length);
        used_ += length;
    }
    void Flush() {
        if (used_ > 0)
            sink_.Write(buffer_, used_);
        used_ = 0;
    }

private:
    ByteSink &sink_;
    char buffer_[64 * 1024];
    size_t used_ = 0;
};

class FileSource : public ByteSource {
public:
    explicit FileSource(const std::string &path) : path_(path), file_(std::fopen(path.c_str(), "rb")) {
        if (!file_)
            throw IoError(path + ": cannot open: " + std::strerror(errno));
    }
    ~FileSource() override {
        if (file_)
            std::fclose(file_);
    }
    size_t Read(char *buffer, size_t capacity) override {
        const size_t count = std::fread(buffer, 1, capacity, file_);
        if (count < capacity && std::ferror(file_))
            throw IoError(path_ + ": cannot read: " + std::strerror(errno));
        return count;
    }
    void Close() {
        std::FILE *file = file_;
        file_ = nullptr;
        if (std::fclose(file) != 0)
            throw IoError(path_ + ": cannot close: " + std::strerror(errno));
    }

private:
    std::string path_;
    std::FILE *file_;
};

class ReplacementSink : public ByteSink {
public:
    explicit ReplacementSink(platform::ReplacementFile &file) : file_(file) {}
    void Write(const char *data, size_t length) override { file_.Write(data, length); }

private:
    platform::ReplacementFile &file_;
};

} // namespace

std::string LumasetCore::OptionText(const ParamsValues &values) {
    const bool fields[3] = {values.m_bD3D, values.m_bNoDDraw, values.m_bForceVram};
    std::string option;
    for (int i = 0; i < 3; ++i) {
        option += kSwitchTexts[i][fields[i]];
        if (i < 2 || fields[i])
            option += ' ';
    }
    return option;
}

LumasetCore::TuneEntry::TuneEntry(const std::string &jreNumber, const std::string &optionText)
    : sOption(text::SplitAtBlanks(optionText)), sNum("deployment.javaws.jre." + jreNumber + ".args") {}

std::string LumasetCore::TuneEntry::ChangeOption(const std::string &arguments) {
    std::string current = arguments;
    for (const std::string &switchText : sOption) {
        if (text::Contains(current, switchText))
            continue;
        // The switch name ends with the backslash in front of the '='.
        const std::string name = switchText.substr(0, switchText.find('='));
        if (text::Contains(current, name)) {
            std::vector<std::string> items = text::SplitAtBlanks(current);
            for (std::string &item : items) {
                if (text::Contains(item, name))
                    item = ReplacePieces(item, name, switchText);
            }
            current = text::JoinWithBlanks(items);
        } else {
            current += ' ';
            current += switchText;
        }
    }
    bSet = true;
    return current;
}

bool LumasetCore::TuneEntry::IsMatch(const std::string &matchedPrefix) const {
    size_t begin = 0, end = matchedPrefix.size();
    while (begin < end && static_cast<unsigned char>(matchedPrefix[begin]) <= ' ')
        ++begin;
    while (end > begin && static_cast<unsigned char>(matchedPrefix[end - 1]) <= ' ')
        --end;
    return matchedPrefix.compare(begin, end - begin, sNum) == 0; // the trimmed prefix, without a copy
}

void LumasetCore::Rewrite(ByteSource &in, ByteSink &out, const ParamsValues &values,
                          const std::string &lineSeparator) const {
    const std::string option = OptionText(values);
    std::vector<TuneEntry> entries;
    std::set<std::string> seen; // a number enabled twice gets one entry, else its line is appended twice
    const int count = std::min<int>(m_nEnabledJRE, static_cast<int>(m_EnabledJRE.size()));
    for (int i = 0; i < count; ++i) {
        if (seen.insert(m_EnabledJRE[i]).second)
            entries.emplace_back(m_EnabledJRE[i], option);
    }

    auto reader = std::make_unique<LineReader>(in);
    auto writer = std::make_unique<BufferedSink>(out);
    std::string line;
    while (reader->Next(line)) {
        const size_t prefixLength = entries.empty() ? std::string::npos : text::MatchArgsPrefix(line);
        TuneEntry *entry = nullptr;
        std::string prefix;
        if (prefixLength != std::string::npos) {
            prefix = line.substr(0, prefixLength);
            for (TuneEntry &candidate : entries) {
                if (candidate.IsMatch(prefix)) {
                    entry = &candidate;
                    break;
                }
            }
        }
        size_t argumentsStart = line.size(); // nothing behind the key: an empty argument string
        if (entry && prefixLength < line.size()) {
            const char next = line[prefixLength];
            if (next == '=' || next == ':')
                argumentsStart = prefixLength + 1;
            else if (IsPatternSpace(line[prefixLength - 1]))
                argumentsStart = prefixLength; // a value behind white space alone keeps its first character
            else if (IsKeyCharacter(next))
                entry = nullptr; // a longer key that merely begins like an args key
            else
                argumentsStart = prefixLength + text::CharLengthAt(line, prefixLength); // one whole character
        }
        if (!entry) {
            writer->Write(line);
        } else {
            writer->Write(prefix);
            writer->Write("=", 1);
            writer->Write(entry->ChangeOption(line.substr(argumentsStart)));
        }
        writer->Write(lineSeparator);
    }
    for (const TuneEntry &entry : entries) {
        if (!entry.IsSet()) {
            writer->Write(entry.Key());
            writer->Write("=", 1);
            writer->Write(option);
            writer->Write(lineSeparator);
        }
    }
    writer->Flush();
}

void LumasetCore::EditConf(const ParamsValues &values) {
    if (!m_JREPath)
        throw IoError("deployment.properties: cannot rewrite: the settings file was not found");
    const std::string &path = *m_JREPath;
    FileSource in(path);
    platform::ReplacementFile temp(path, path + ".temp");
    ReplacementSink out(temp);
    Rewrite(in, out, values, platform::LineSeparator());
    in.Close();
    temp.Commit();
}

} // namespace lumaset
