// The switch model and the reader of deployment.properties.
#include "LumasetCore.h"

#include "platform.h"
#include "text.h"

#include <cerrno>
#include <cstring>
#include <algorithm>
#include <istream>
#include <memory>

namespace lumaset {

// ---------------------------------------------------------------- switches

namespace {

int ClassifySwitch(const std::string &argument, const char *prefix) {
    const size_t length = std::strlen(prefix);
    if (argument.compare(0, length, prefix) != 0)
        return -1;
    return argument.compare(length, std::string::npos, "true") == 0 ? 1 : 0;
}

bool IsArgumentSeparator(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

} // namespace

int LumasetCore::IsD3DArgument(const std::string &argument) {
    return ClassifySwitch(argument, "-Dsun.java2d.d3d\\=");
}

int LumasetCore::IsNoDDrawArgument(const std::string &argument) {
    return ClassifySwitch(argument, "-Dsun.java2d.noddraw\\=");
}

int LumasetCore::IsForceVRAMArgument(const std::string &argument) {
    return ClassifySwitch(argument, "-Dsun.java2d.ddforcevram\\=");
}

LumasetCore::ParamsValues LumasetCore::ParseArguments(const std::string &arguments) {
    ParamsValues values;
    size_t pos = 0;
    while (pos < arguments.size()) {
        while (pos < arguments.size() && IsArgumentSeparator(arguments[pos]))
            ++pos;
        size_t end = pos;
        while (end < arguments.size() && !IsArgumentSeparator(arguments[end]))
            ++end;
        if (end == pos)
            break;
        const std::string argument = arguments.substr(pos, end - pos);
        pos = end;
        int answer;
        if ((answer = IsD3DArgument(argument)) != -1)
            values.m_bD3D = answer == 1;
        else if ((answer = IsNoDDrawArgument(argument)) != -1)
            values.m_bNoDDraw = answer == 1;
        else if ((answer = IsForceVRAMArgument(argument)) != -1)
            values.m_bForceVram = answer == 1;
    }
    return values;
}

// ---------------------------------------------------------------- keys

std::string LumasetCore::IsArgsParameter(const std::string &key) { return text::MatchJreKey(key, "args"); }

std::string LumasetCore::IsEnabledParameter(const std::string &key) { return text::MatchJreKey(key, "enabled"); }

// ---------------------------------------------------------------- byte sources

namespace {

class StreamSource : public ByteSource {
public:
    explicit StreamSource(std::istream &in) : in_(in) {}
    size_t Read(char *buffer, size_t capacity) override {
        if (!in_.good())
            return 0;
        in_.read(buffer, static_cast<std::streamsize>(capacity));
        if (in_.bad())
            throw IoError("cannot read settings: the input stream failed");
        return static_cast<size_t>(in_.gcount());
    }

private:
    std::istream &in_;
};

class FileSource : public ByteSource {
public:
    FileSource(std::FILE *file, std::string name) : file_(file), name_(std::move(name)) {}
    size_t Read(char *buffer, size_t capacity) override {
        const size_t count = std::fread(buffer, 1, capacity, file_);
        if (count < capacity && std::ferror(file_))
            throw IoError(name_ + ": cannot read: " + std::strerror(errno));
        return count;
    }

private:
    std::FILE *file_;
    std::string name_;
};

struct FileCloser {
    void operator()(std::FILE *file) const { std::fclose(file); }
};

// ---------------------------------------------------------------- lexer

enum Attribute : unsigned char { kBlank = 1, kWord = 2, kComment = 4 };

// The reader's character-class lexer: a byte source in, tokens out. Words
// keep their bytes exactly; characters are decoded only to classify them.
class Tokenizer {
public:
    enum Kind { kEnd, kWordToken, kCharToken };

    explicit Tokenizer(ByteSource &source) : source_(source) {
        std::memset(attributes_, 0, sizeof attributes_);
        for (int c = 'a'; c <= 'z'; ++c)
            attributes_[c] |= kWord;
        for (int c = 'A'; c <= 'Z'; ++c)
            attributes_[c] |= kWord;
        for (int c = '0'; c <= '9'; ++c)
            attributes_[c] |= kWord;
        attributes_[static_cast<unsigned char>('#')] = kComment;
        for (const char *p = "\\/%_+-'`$. ;:()[]{}~$&^@!,"; *p; ++p)
            attributes_[static_cast<unsigned char>(*p)] |= kWord;
        attributes_[static_cast<unsigned char>('=')] = kBlank;
    }

    void SetEqualsIsWord(bool word) { attributes_[static_cast<unsigned char>('=')] = word ? (kBlank | kWord) : kBlank; }

    Kind Next() {
        for (;;) {
            Char c;
            if (!Take(c))
                return kEnd;
            unsigned attr = Classify(c);
            while (attr & kBlank) {
                if (!ReadChar(c))
                    return kEnd;
                attr = Classify(c);
            }
            if (attr & kWord) {
                word_.assign(reinterpret_cast<const char *>(c.bytes), c.length);
                for (;;) {
                    TakeAsciiWordRun();
                    if (!ReadChar(c))
                        break;
                    if (!(Classify(c) & kWord)) {
                        Hold(c);
                        break;
                    }
                    word_.append(reinterpret_cast<const char *>(c.bytes), c.length);
                }
                return kWordToken;
            }
            if (attr & kComment) {
                SkipToLineEnd();
                while (ReadChar(c)) {
                    if (c.code == '\r' || c.code == '\n') {
                        Hold(c);
                        break;
                    }
                }
                continue;
            }
            code_ = c.code;
            return kCharToken;
        }
    }

    const std::string &Word() const { return word_; }
    uint32_t Code() const { return code_; }

private:
    struct Char {
        uint32_t code;
        size_t length;
        unsigned char bytes[platform::kMaxCharLength];
    };

    unsigned Classify(const Char &c) const { return c.code > 255 ? static_cast<unsigned>(kWord) : attributes_[c.code]; }

    // Fast path of a word: appends the ASCII word characters that follow in
    // the buffer in one go (they need no decoding).
    void TakeAsciiWordRun() {
        size_t i = pos_;
        while (i < end_ && buffer_[i] < 0x80 && (attributes_[buffer_[i]] & kWord))
            ++i;
        word_.append(reinterpret_cast<const char *>(buffer_) + pos_, i - pos_);
        pos_ = i;
    }

    // Drops the bytes in front of the next CR or LF (never part of a
    // multi-byte character) without decoding them.
    void SkipToLineEnd() {
        for (;;) {
            while (pos_ < end_ && buffer_[pos_] != '\r' && buffer_[pos_] != '\n')
                ++pos_;
            if (pos_ < end_ || eof_)
                return;
            Refill();
            if (pos_ == end_)
                return;
        }
    }

    void Hold(const Char &c) {
        held_ = c;
        hasHeld_ = true;
    }

    bool Take(Char &c) {
        if (hasHeld_) {
            hasHeld_ = false;
            c = held_;
            return true;
        }
        return ReadChar(c);
    }

    bool ReadChar(Char &c) {
        if (end_ - pos_ < platform::kMaxCharLength && !eof_)
            Refill();
        if (pos_ == end_)
            return false;
        const unsigned char b = buffer_[pos_];
        if (b < 0x80) {
            c.code = b;
            c.length = 1;
            c.bytes[0] = b;
            ++pos_;
            return true;
        }
        const auto decoded = platform::DecodeChar(buffer_ + pos_, end_ - pos_);
        c.code = decoded.code;
        c.length = decoded.length;
        std::memcpy(c.bytes, buffer_ + pos_, decoded.length);
        pos_ += decoded.length;
        return true;
    }

    // Keeps the bytes not yet taken and reads more behind them, so that a
    // character split across two reads is decoded whole.
    void Refill() {
        const size_t left = end_ - pos_;
        std::memmove(buffer_, buffer_ + pos_, left);
        pos_ = 0;
        end_ = left;
        while (end_ < platform::kMaxCharLength && !eof_) {
            const size_t count = source_.Read(reinterpret_cast<char *>(buffer_) + end_, sizeof buffer_ - end_);
            if (count == 0)
                eof_ = true;
            end_ += count;
        }
    }

    ByteSource &source_;
    unsigned char attributes_[256];
    unsigned char buffer_[64 * 1024];
    size_t pos_ = 0, end_ = 0;
    bool eof_ = false;
    Char held_{};
    bool hasHeld_ = false;
    std::string word_;
    uint32_t code_ = 0;
};

} // namespace

// ---------------------------------------------------------------- reader

void LumasetCore::ParseFile(ByteSource &in) {
    if (m_EnabledJRE.size() < static_cast<size_t>(ciJREMaxNumber))
        m_EnabledJRE.resize(ciJREMaxNumber);
    auto tokenizer = std::make_unique<Tokenizer>(in); // its buffer is too big for the stack
    int state = PS_WaitItem;
    std::string key;
    for (;;) {
        const Tokenizer::Kind kind = tokenizer->Next();
        if (kind == Tokenizer::kEnd)
            break;
        if (state == PS_WaitItem) {
            if (kind == Tokenizer::kWordToken) {
                key = tokenizer->Word();
                tokenizer->SetEqualsIsWord(true);
                state = PS_ReadItemValue;
            }
            continue;
        }
        if (kind == Tokenizer::kWordToken) {
            const std::string &value = tokenizer->Word();
            std::string number = IsArgsParameter(key);
            if (!number.empty()) {
                m_Args[number] = ParseArguments(value);
            } else if (!(number = IsEnabledParameter(key)).empty() && value == "true" &&
                       m_nEnabledJRE < ciJREMaxNumber) {
                m_EnabledJRE[m_nEnabledJRE++] = number;
            }
        } else if (tokenizer->Code() == '\n') {
            const std::string number = IsArgsParameter(key);
            if (!number.empty())
                m_Args[number] = ParamsValues();
        } else {
            continue;
        }
        tokenizer->SetEqualsIsWord(false);
        state = PS_WaitItem;
    }
}

void LumasetCore::ParseFile(std::istream &in) {
    StreamSource source(in);
    ParseFile(source);
}

void LumasetCore::ParseFile(std::FILE *in) {
    FileSource source(in, "settings file");
    ParseFile(source);
}

void LumasetCore::ParseFile(const std::string &path) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file)
        throw IoError(path + ": cannot open: " + std::strerror(errno));
    FileSource source(file.get(), path);
    ParseFile(source);
}

LumasetCore::ParamsValues LumasetCore::GetCheckboxValues() const {
    ParamsValues result;
    result.m_bD3D = result.m_bNoDDraw = result.m_bForceVram = true;
    const int count = std::min<int>(m_nEnabledJRE, static_cast<int>(m_EnabledJRE.size()));
    for (int i = 0; i < count; ++i) {
        const auto found = m_Args.find(m_EnabledJRE[i]);
        const ParamsValues entry = found != m_Args.end() ? found->second : ParamsValues();
        result.m_bD3D = result.m_bD3D && entry.m_bD3D;
        result.m_bNoDDraw = result.m_bNoDDraw && entry.m_bNoDDraw;
        result.m_bForceVram = result.m_bForceVram && entry.m_bForceVram;
    }
    return result;
}

} // namespace lumaset
