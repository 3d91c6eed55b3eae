#include "plib/encinifile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "plib/perror.h"
#include "plib/psystem.h"

// Splits bytes into lines and lines into sections and items, one byte at a time.
class EncIniFile::Parser {
  public:
    explicit Parser(EncIniFile& document) : document_(document) {}

    void feed(char c) {
        if (c == '\n') {
            endLine();
        } else if (c != '\r' && c != '\0') {
            line_.append(c);
        }
    }

    void finish() {
        if (!line_.empty()) {
            endLine();
        }
    }

  private:
    void endLine() {
        ++lineNumber_;
        const char* begin = PString::skipBlanks(line_.c_str());
        const char* end = PString::trimmedEnd(begin, line_.c_str() + line_.length());
        parse(begin, end);
        line_.clear();
    }

    void parse(const char* begin, const char* end) {
        if (begin == end || *begin == '#' || *begin == ';') {
            return;
        }
        if (*begin == '[' && end - begin >= 2 && end[-1] == ']') {
            const PString name(begin + 1, static_cast<std::size_t>(end - begin - 2));
            current_ = &document_.findOrAddSection(name.c_str());
            return;
        }
        const char* equals = std::find(begin, end, '=');
        if (equals == end) {
            PString message("EncIniFile: Error in line #");
            message.appendDecimal(static_cast<std::int32_t>(lineNumber_));
            throw PInternalError(message.c_str());
        }
        if (!current_) {
            current_ = &document_.findOrAddSection("");
        }
        const PString name(begin, static_cast<std::size_t>(equals - begin));
        const PString value(equals + 1, static_cast<std::size_t>(end - equals - 1));
        current_->addItem(name.c_str(), value.c_str());
    }

    EncIniFile& document_;
    EncIniSection* current_ = nullptr;
    PString line_;
    int lineNumber_ = 0;
};

const char* EncIniSection::getValue(const char* name) const noexcept {
    for (const EncIniItem& item : items_) {
        if (PString::compareNoCase(item.name.c_str(), name) == 0) {
            return item.value.c_str();
        }
    }
    return nullptr;
}

std::int32_t EncIniSection::getNumber(const char* name, std::int32_t defaultValue) const noexcept {
    const char* value = getValue(name);
    if (!value) {
        return defaultValue;
    }
    const bool hex = value[0] == 'x';
    const long long n = std::strtoll(hex ? value + 1 : value, nullptr, hex ? 16 : 10);
    return static_cast<std::int32_t>(std::clamp<long long>(
        n, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

EncIniItem* EncIniSection::find(const char* name) noexcept {
    for (EncIniItem& item : items_) {
        if (PString::compareNoCase(item.name.c_str(), name) == 0) {
            return &item;
        }
    }
    return nullptr;
}

void EncIniSection::setValue(const char* name, const char* value) {
    if (EncIniItem* item = find(name)) {
        item->value = value;
    } else {
        addItem(name, value);
    }
}

void EncIniSection::addItem(const char* name, const char* value) {
    items_.push_back(EncIniItem{PString(name), PString(value)});
}

void EncIniFile::readFromFile(const PString& name, const PStringEncoding* encoding) {
    clear();
    const PFile file = POpenFile(name, "rt", encoding);
    if (!file) {
        const PString message =
            PString("Unable to open ini file '").append(name.c_str()).append("'");
        throw PInternalError(message.c_str());
    }
    readFromStream(file.get());
}

void EncIniFile::readFromStream(std::FILE* file) {
    clear();
    Parser parser(*this);
    for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) {
        parser.feed(static_cast<char>(c));
    }
    parser.finish();
}

void EncIniFile::readFromMemory(const void* data, std::size_t length) {
    clear();
    Parser parser(*this);
    const char* bytes = static_cast<const char*>(data);
    for (std::size_t i = 0; i < length; ++i) {
        parser.feed(bytes[i]);
    }
    parser.finish();
}

void EncIniFile::writeToFile(const PString& name, const PStringEncoding* encoding) const {
    PFile file = POpenFile(name, "wt", encoding);
    if (!file) {
        const PString message =
            PString("Unable to open ini file '").append(name.c_str()).append("' for writing");
        throw PInternalError(message.c_str());
    }
    writeToStream(std::move(file), name);
}

void EncIniFile::writeToStream(PFile file, const PString& name) const {
    for (const auto& section : sections_) {
        std::fprintf(file.get(), "[%s]\n", section->name().c_str());
        for (const EncIniItem& item : section->items()) {
            std::fprintf(file.get(), "%s=%s\n", item.name.c_str(), item.value.c_str());
        }
        std::fputs("\n", file.get());
    }
    // A full disk shows only here; a settings file cut short must not pass as written.
    const bool failed = std::ferror(file.get()) != 0;
    if (std::fclose(file.release()) != 0 || failed) {
        const PString message =
            PString("Unable to write ini file '").append(name.c_str()).append("'");
        throw PInternalError(message.c_str());
    }
}

EncIniSection* EncIniFile::findSection(const char* name) noexcept {
    for (const auto& section : sections_) {
        if (PString::compareNoCase(section->name().c_str(), name) == 0) {
            return section.get();
        }
    }
    return nullptr;
}

const EncIniSection* EncIniFile::findSection(const char* name) const noexcept {
    return const_cast<EncIniFile*>(this)->findSection(name);
}

EncIniSection& EncIniFile::findOrAddSection(const char* name) {
    if (EncIniSection* section = findSection(name)) {
        return *section;
    }
    sections_.push_back(std::make_unique<EncIniSection>(name));
    return *sections_.back();
}

void EncIniFile::removeSections(const char* name) {
    std::erase_if(sections_, [name](const std::unique_ptr<EncIniSection>& section) {
        return PString::compareNoCase(section->name().c_str(), name) == 0;
    });
}
