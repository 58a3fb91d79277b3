#pragma once
// Certificate: the program's configuration file. Read loads the file, deciphers it when a
// key is given (Encryption), and parses its text: one field per line, values that may be
// lists, and operators by which the file declares its own fields (&DEFINE_FIELD&), their
// vocabularies (&DEFINE_VOCAB&), that every field must be declared (&PICKY&) and that a
// list item stands for another field's position in its vocabulary (&ENUM&). The queries
// then answer fields by name. Used by one thread at a time; owns only its maps.
//
// Failures are ContextExceptions. Read answers false instead; the queries that answer a
// neutral value say so below, the others let the exception through. Queries refuse to
// answer (Validate) until a parse has run to its end.
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

class Certificate {
public:
    using TextList = std::vector<std::string>;

    // With exportDefinitions, Export also writes the field definitions.
    explicit Certificate(bool exportDefinitions = false);

    // The virtual operations are declared in their fixed table order.
    virtual ~Certificate();
    // The export text: the definitions (when enabled), then "name = a,b\r\n" per field.
    virtual void Export(std::string& out);
    // Copies the first size bytes of the export text (no terminating zero); returns the
    // number of bytes copied, which is less than size when the text is shorter.
    virtual int Export(char* buffer, int size);
    virtual int ExportLength();
    // The field's list joined with ",".
    virtual std::string GetFieldAsText(const std::string& name);
    // The text of the field cut to size - 1 bytes and terminated; an empty text on failure.
    virtual void GetFieldAsText(const char* name, char* buffer, int size);
    // The field's text read as a decimal number (leading blanks, sign, digits); 0 on failure.
    virtual std::int32_t GetFieldAsNumber(const char* name);
    virtual void GetFieldAsList(const std::string& name, TextList& out);
    // Number of words in the field's vocabulary; 0 on failure.
    virtual int GetFieldMaxEnum(const char* name);
    // 1-based position of value in the field's vocabulary; 0 on failure.
    virtual int GetFieldValueAsEnum(const std::string& name, const std::string& value);
    // As above, but failures are thrown.
    virtual int GetFieldValueAsEnum(const char* name, const char* value);
    // Vocabulary word number n (from 1); empty on failure.
    virtual std::string GetFieldEnumAsValueText(const std::string& name, int n);
    virtual std::int32_t GetFieldEnumAsValueNumber(const char* name, int n);
    // The vocabulary joined with ","; empty on failure.
    virtual void GetFieldVocabAsText(const char* name, std::string& out);
    // Throws unless the last parse ran to its end.
    virtual void Validate() const;
    // Splits a value text into its list items.
    virtual void ValueAsList(const std::string& value, TextList& out) const;
    virtual void ValueAsVector(const std::string& value, std::vector<std::string>& out) const;

protected:
    // The lookups behind the queries, without Validate; they throw.
    virtual void GetFieldAsText(const std::string& name, std::string& out) const;
    virtual int GetFieldValueAsEnum(const std::string& name, const std::string& value) const;
    virtual void GetFieldEnumAsValueText(const std::string& name, int n, std::string& out) const;

public:
    // The application's text query: an empty text on failure.
    virtual void GetFieldAsText(const char* name, std::string& out);
    // An empty list on failure.
    virtual void GetFieldAsList(const char* name, TextList& out);

    // Reads, deciphers (key not null) and parses the file. Never throws.
    bool Read(const char* path, const char* key);
    // Reads the whole file into a new buffer of exactly its length.
    void ReadFile(std::unique_ptr<char[]>& buffer, std::size_t& length, const char* path);
    // Parses length bytes of text; the buffer needs no terminating zero.
    void Parse(const char* buffer, std::size_t length);

private:
    // Throws a ContextException naming this source file and the line of the call.
    [[noreturn]] void Fail(const char* where, const std::string& context,
                           int line = __builtin_LINE()) const;
    void ApplyLine(int mode, const std::string& name, const std::string& value, bool picky);
    std::string ExportText() const;

    const bool exportDefinitions_;
    bool read_ = false;
    std::map<std::string, TextList> values_;
    std::map<std::string, std::vector<std::string>> definitions_;
    std::string certificateName_;
};
