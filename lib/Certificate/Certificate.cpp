#include "lib/Certificate/Certificate.h"

#include "lib/Certificate/Encryption.h"
#include "support/ContextException.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <utility>

namespace {

// A failure's text names this file and the line of the Fail call.
constexpr const char kSourceFile[] = "lib/Certificate/Certificate.cpp";

constexpr const char kDefineField[] = "&DEFINE_FIELD&";
constexpr const char kDefineVocab[] = "&DEFINE_VOCAB&";
constexpr const char kPicky[] = "&PICKY&";
constexpr const char kEnum[] = "&ENUM&";
constexpr const char kNullParameter[] = "NULL pointer supplied as a parameter";
constexpr const char kErrorIn[] = "\nError occurred in certificate\n";

// A file larger than this is not a configuration; refusing it keeps a wrong path (a
// device, a huge file) from costing the memory.
constexpr long kMaxFileBytes = 16L * 1024 * 1024;

enum LineMode { kValueLine = 0, kFieldDefinition = 1, kVocabularyDefinition = 2 };

std::string Join(const std::vector<std::string>& items) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i) text += ',';
        text += items[i];
    }
    return text;
}

// The C library's decimal conversion (leading white space, sign, digits), held to the
// range of a 32-bit number.
std::int32_t ToNumber(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > std::int64_t{INT32_MAX} + 1) value = std::int64_t{INT32_MAX} + 1;
    }
    if (negative) value = -value;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
}

bool IsLineBreak(unsigned char c) { return c == '\r' || c == '\n'; }

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

} // namespace

Certificate::Certificate(bool exportDefinitions) : exportDefinitions_(exportDefinitions) {}

Certificate::~Certificate() = default;

void Certificate::Fail(const char* where, const std::string& context, int line) const {
    throw ContextException(where, context.c_str(), kSourceFile, line, "ContextException");
}

// ---- export

std::string Certificate::ExportText() const {
    std::string text;
    if (exportDefinitions_) {
        for (const auto& [name, vocabulary] : definitions_) {
            text += std::string(kDefineField) + " " + name + " = " + Join(vocabulary) + "\r\n";
        }
    }
    for (const auto& [name, list] : values_) text += name + " = " + Join(list) + "\r\n";
    return text;
}

void Certificate::Export(std::string& out) {
    Validate();
    out = ExportText();
}

int Certificate::Export(char* buffer, int size) {
    Validate();
    if (buffer == nullptr) Fail("Certificate::Export", kNullParameter);
    const std::string text = ExportText();
    const int count = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(std::max(size, 0)), text.size()));
    std::memcpy(buffer, text.data(), static_cast<std::size_t>(count));
    return count;
}

int Certificate::ExportLength() {
    Validate();
    return static_cast<int>(std::min<std::size_t>(ExportText().size(), INT_MAX));
}

// ---- queries

std::string Certificate::GetFieldAsText(const std::string& name) {
    Validate();
    std::string text;
    GetFieldAsText(name, text);
    return text;
}

void Certificate::GetFieldAsText(const char* name, char* buffer, int size) {
    try {
        Validate();
        if (name == nullptr || buffer == nullptr) Fail("Certificate::GetFieldAsText", kNullParameter);
        const std::string text = GetFieldAsText(std::string(name));
        if (size <= 0) return;
        const std::size_t room = static_cast<std::size_t>(size);
        const std::size_t n = std::min(text.size(), room);
        std::memcpy(buffer, text.data(), n);
        buffer[n < room ? n : n - 1] = '\0';
    } catch (...) {
        if (buffer != nullptr && size > 0) buffer[0] = '\0';
    }
}

std::int32_t Certificate::GetFieldAsNumber(const char* name) {
    try {
        Validate();
        if (name == nullptr) Fail("Certificate::GetFieldAsNumber", kNullParameter);
        return ToNumber(GetFieldAsText(std::string(name)));
    } catch (...) {
        return 0;
    }
}

void Certificate::GetFieldAsList(const std::string& name, TextList& out) {
    Validate();
    const auto it = values_.find(name);
    if (it == values_.end()) {
        Fail("Certificate::GetFieldAsList", "Field\n" + name + "\nnot found in certificate\n" + certificateName_);
    }
    out = it->second;
}

int Certificate::GetFieldMaxEnum(const char* name) {
    try {
        Validate();
        if (name == nullptr) Fail("Certificate::GetFieldMaxEnum", kNullParameter);
        const auto it = definitions_.find(name);
        if (it == definitions_.end()) {
            Fail("Certificate::GetFieldMaxEnum",
                 std::string("No ") + kDefineField + " was found for field name\n" + name +
                     "\nCannot provide enumeration values." + kErrorIn + certificateName_);
        }
        return static_cast<int>(it->second.size());
    } catch (...) {
        return 0;
    }
}

int Certificate::GetFieldValueAsEnum(const std::string& name, const std::string& value) {
    try {
        Validate();
        return std::as_const(*this).GetFieldValueAsEnum(name, value);
    } catch (...) {
        return 0;
    }
}

int Certificate::GetFieldValueAsEnum(const char* name, const char* value) {
    Validate();
    if (name == nullptr || value == nullptr) Fail("Certificate::GetFieldValueAsEnum", kNullParameter);
    return std::as_const(*this).GetFieldValueAsEnum(std::string(name), std::string(value));
}

std::string Certificate::GetFieldEnumAsValueText(const std::string& name, int n) {
    try {
        Validate();
        std::string text;
        GetFieldEnumAsValueText(name, n, text);
        return text;
    } catch (...) {
        return std::string();
    }
}

std::int32_t Certificate::GetFieldEnumAsValueNumber(const char* name, int n) {
    try {
        Validate();
        if (name == nullptr) Fail("Certificate::GetFieldEnumAsValueNumber", kNullParameter);
        return ToNumber(GetFieldEnumAsValueText(std::string(name), n));
    } catch (...) {
        return 0;
    }
}

void Certificate::GetFieldVocabAsText(const char* name, std::string& out) {
    try {
        Validate();
        if (name == nullptr) {
            out.clear();
            return;
        }
        const auto it = definitions_.find(name);
        if (it == definitions_.end()) {
            Fail("Certificate::GetFieldVocabAsText",
                 std::string("No ") + kDefineField + " was found for field name\n" + name +
                     "\nCannot provide a vocabulary of possible values." + kErrorIn + certificateName_);
        }
        out = Join(it->second);
    } catch (...) {
        out.clear();
    }
}

void Certificate::Validate() const {
    if (!read_) {
        Fail("Certificate::Validate",
             "Cannot service Get functions because the certificate\n" + certificateName_ + "\nhas not been read correctly.");
    }
}

void Certificate::GetFieldAsText(const std::string& name, std::string& out) const {
    const auto it = values_.find(name);
    if (it == values_.end()) {
        Fail("Certificate::GetFieldAsText", "Field\n" + name + "\nnot found in certificate\n" + certificateName_);
    }
    out = Join(it->second);
}

int Certificate::GetFieldValueAsEnum(const std::string& name, const std::string& value) const {
    const char* const where = "Certificate::GetFieldValueAsEnum";
    const auto it = definitions_.find(name);
    if (it == definitions_.end()) {
        Fail(where,
             std::string("No ") + kDefineField + " was found for field name\n" + name +
                 "\nCannot provide an enumeration value." + kErrorIn + certificateName_);
    }
    const std::vector<std::string>& vocabulary = it->second;
    if (vocabulary.empty()) {
        Fail(where,
             "The field name\n" + name + "\nis defined, but was not given a vocabulary of possible values." +
                 "\nCannot provide an enumeration value." + kErrorIn + certificateName_);
    }
    const auto word = std::find(vocabulary.begin(), vocabulary.end(), value);
    if (word == vocabulary.end()) {
        Fail(where,
             "For field name\n" + name + "\nthe field value\n" + value +
                 "\nwas not found among the vocabulary of possible values." + "\nCannot provide an enumeration value." +
                 kErrorIn + certificateName_);
    }
    return static_cast<int>(word - vocabulary.begin()) + 1;
}

void Certificate::GetFieldEnumAsValueText(const std::string& name, int n, std::string& out) const {
    const char* const where = "Certificate::GetFieldEnumAsValueText";
    const auto it = definitions_.find(name);
    if (it == definitions_.end()) {
        Fail(where,
             std::string("No ") + kDefineField + " was found for field name\n" + name +
                 "\nCannot convert the enumeration value." + kErrorIn + certificateName_);
    }
    const std::vector<std::string>& vocabulary = it->second;
    if (n < 1 || static_cast<std::size_t>(n) > vocabulary.size()) {
        Fail(where,
             "For field name\n" + name + "\nthe enumeration value\n" + std::to_string(n) +
                 "\nis outside the range of possible enumeration values for the field." +
                 "\nCannot convert the enumeration value." + kErrorIn + certificateName_);
    }
    out = vocabulary[static_cast<std::size_t>(n) - 1];
}

void Certificate::GetFieldAsText(const char* name, std::string& out) {
    try {
        Validate();
        if (name == nullptr) Fail("Certificate::GetFieldAsText", kNullParameter);
        std::as_const(*this).GetFieldAsText(std::string(name), out);
    } catch (...) {
        out.clear();
    }
}

void Certificate::GetFieldAsList(const char* name, TextList& out) {
    try {
        if (name == nullptr) {
            Validate();
            out.clear();
            return;
        }
        GetFieldAsList(std::string(name), out);
    } catch (...) {
        out.clear();
    }
}

// ---- list syntax

void Certificate::ValueAsList(const std::string& value, TextList& out) const {
    out.clear();
    bool open = false, enumMark = false;
    std::size_t start = 0, end = 0; // the open item: end is one past its last ordinary character

    auto endItem = [&] {
        if (!open) return;
        std::string text = value.substr(start, end - start);
        if (enumMark) {
            // The item names another field; it stands for that field's position in its vocabulary.
            std::string fieldText;
            GetFieldAsText(text, fieldText);
            char number[16];
            std::snprintf(number, sizeof number, "%d", GetFieldValueAsEnum(text, fieldText));
            text = number;
        }
        out.push_back(std::move(text));
        enumMark = false;
        open = false;
    };

    for (std::size_t i = 0; i < value.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(value[i]);
        if (c == ' ') continue;
        if (c == '&') {
            if (!open) {
                open = true;
                start = i;
                end = i + 1;
                continue;
            }
            const std::string op = value.substr(start, end - start + 1); // through the character after the item
            if (op != kEnum) {
                Fail("Certificate::ValueAsList",
                     "Unrecognized special &operator& around\n" + op + "\nin certificate\n" + certificateName_);
            }
            enumMark = true;
            open = false;
            continue;
        }
        if (c == ',') {
            endItem();
            continue;
        }
        if (c >= 0x21 && c <= 0x7f) {
            if (!open) {
                open = true;
                start = i;
            }
            end = i + 1;
            continue;
        }
        if (open) {
            Fail("Certificate::ValueAsList",
                 "Tab or non-printing character encountered within name or value around\n" + value.substr(start) +
                     kErrorIn + certificateName_);
        }
    }
    endItem();
}

void Certificate::ValueAsVector(const std::string& value, std::vector<std::string>& out) const {
    TextList list;
    ValueAsList(value, list);
    out.assign(list.begin(), list.end());
}

// ---- reading and parsing

bool Certificate::Read(const char* path, const char* key) {
    try {
        read_ = false;
        if (path == nullptr) Fail("Certificate::Read", kNullParameter);
        certificateName_ = path;
        std::unique_ptr<char[]> buffer;
        std::size_t length = 0;
        ReadFile(buffer, length, path);
        if (key != nullptr) Encryption::Decrypt(buffer.get(), length, key);
        Parse(buffer.get(), length);
        return true;
    } catch (...) {
        return false;
    }
}

void Certificate::ReadFile(std::unique_ptr<char[]>& buffer, std::size_t& length, const char* path) {
    const std::string name = path ? path : "";
    std::unique_ptr<std::FILE, FileCloser> file(path ? std::fopen(path, "rb") : nullptr);
    if (!file) Fail("Certificate::ReadFile", "Unable to open file\n" + name);

    long size = -1;
    if (std::fseek(file.get(), 0, SEEK_END) == 0) size = std::ftell(file.get());
    std::size_t got = 0;
    if (size >= 0 && size <= kMaxFileBytes && std::fseek(file.get(), 0, SEEK_SET) == 0) {
        buffer.reset(new char[static_cast<std::size_t>(size)]);
        got = std::fread(buffer.get(), 1, static_cast<std::size_t>(size), file.get());
        if (got == static_cast<std::size_t>(size)) {
            length = got;
            return;
        }
    }
    buffer.reset();
    Fail("Certificate::ReadFile", "Error reading file\n" + name + "\nafter " + std::to_string(got) + " bytes.");
}

void Certificate::ApplyLine(int mode, const std::string& name, const std::string& value, bool picky) {
    const char* const where = "Certificate::Parse";
    if (mode == kFieldDefinition) {
        if (definitions_.count(name)) {
            Fail(where,
                 "Field name\n" + name + "\nis defined more than once via " + kDefineField + kErrorIn + certificateName_);
        }
        std::vector<std::string> vocabulary;
        ValueAsVector(value, vocabulary);
        definitions_[name] = std::move(vocabulary);
        return;
    }
    if (mode == kVocabularyDefinition) {
        const auto it = definitions_.find(name);
        if (it == definitions_.end()) {
            Fail(where,
                 std::string(kDefineVocab) + " field\n" + name + "\nwas not found among the " + kDefineField +
                     " Definitions." + kErrorIn + certificateName_);
        }
        if (!it->second.empty()) {
            Fail(where,
                 std::string("Vocabulary definition\n") + kDefineVocab + " " + name + " = " + value +
                     "\nis trying to override " + kDefineField + " vocabulary." + kErrorIn + certificateName_);
        }
        ValueAsVector(value, it->second);
        return;
    }

    if (values_.count(name)) {
        Fail(where, "Duplicate definition for field\n" + name + kErrorIn + certificateName_);
    }
    TextList list;
    ValueAsList(value, list);
    const auto definition = definitions_.find(name);
    if (definition == definitions_.end()) {
        if (picky) {
            Fail(where,
                 "Field name\n" + name + "\nwas given a value without being defined via " + kDefineField + kErrorIn +
                     certificateName_);
        }
    } else if (!definition->second.empty()) {
        const std::vector<std::string>& vocabulary = definition->second;
        for (const std::string& element : list) {
            if (std::find(vocabulary.begin(), vocabulary.end(), element) != vocabulary.end()) continue;
            std::string context = "Values Definition\n" + name + " = " + element +
                                  "\nvalue is not among the choices for that field in the " + kDefineField + " or\n" +
                                  kDefineVocab + " definitions." + kErrorIn + certificateName_;
            if (name == "Build") {
                context += "\nDid you remember to set the build number to match the one under which the PreBuild "
                           "was performed?";
            }
            Fail(where, context);
        }
    }
    values_[name] = std::move(list);
}

void Certificate::Parse(const char* buffer, std::size_t length) {
    // A parse that stops part-way must not leave the fields of an earlier one answerable.
    read_ = false;
    values_.clear();
    definitions_.clear();
    if (buffer == nullptr) length = 0;

    bool picky = false;
    bool tokenOpen = false;
    std::size_t tokenStart = 0, tokenEnd = 0; // tokenEnd: one past the token's last ordinary character
    std::string name, value;
    int mode = kValueLine;
    // The last byte that is not a blank, tab or line break: a "," there continues the line.
    std::size_t lastMark = length;

    auto endLine = [&] {
        if (tokenOpen) {
            std::string text(buffer + tokenStart, tokenEnd - tokenStart);
            if (name.empty()) {
                name = std::move(text);
            } else {
                value = std::move(text);
            }
        }
        if (!name.empty()) ApplyLine(mode, name, value, picky);
        name.clear();
        value.clear();
        tokenOpen = false;
        mode = kValueLine;
    };

    std::size_t i = 0;
    while (i < length) {
        const unsigned char c = static_cast<unsigned char>(buffer[i]);
        if (c == ' ') {
            ++i;
            continue;
        }
        if (IsLineBreak(c)) {
            while (i < length && IsLineBreak(static_cast<unsigned char>(buffer[i]))) ++i;
            if (lastMark == length || buffer[lastMark] != ',') endLine();
            continue;
        }
        if (c != '\t') lastMark = i;

        if (c == '&') {
            if (!tokenOpen) {
                tokenOpen = true;
                tokenStart = i;
                tokenEnd = i + 1;
            } else if (name.empty()) {
                // An operator: the token through the character after its last ordinary one.
                const std::string op(buffer + tokenStart, tokenEnd - tokenStart + 1);
                if (op == kDefineField) {
                    mode = kFieldDefinition;
                } else if (op == kDefineVocab) {
                    mode = kVocabularyDefinition;
                } else if (op == kPicky) {
                    picky = true;
                } else {
                    Fail("Certificate::Parse",
                         "Unrecognized special &operator& around\n" + op + "\nin certificate\n" + certificateName_);
                }
                tokenOpen = false;
            }
            ++i;
            continue;
        }
        if (c == '=') {
            if (!tokenOpen) {
                Fail("Certificate::Parse",
                     std::string("Equal sign encountered without field name") + " in certificate\n" + certificateName_);
            }
            if (!name.empty()) {
                Fail("Certificate::Parse",
                     "Too many equal signs on same line around\n" + name + "\nin certificate\n" + certificateName_);
            }
            name.assign(buffer + tokenStart, tokenEnd - tokenStart);
            tokenOpen = false;
            ++i;
            continue;
        }
        if (!tokenOpen) {
            tokenOpen = true;
            tokenStart = i;
        }
        tokenEnd = i + 1;
        ++i;
    }
    endLine();

    if (picky) {
        for (const auto& [field, vocabulary] : definitions_) {
            if (values_.count(field) == 0) {
                Fail("Certificate::Parse",
                     "Field\n" + field + "\nwas defined, but not given a value." + kErrorIn + certificateName_);
            }
        }
    }
    read_ = true;
}
