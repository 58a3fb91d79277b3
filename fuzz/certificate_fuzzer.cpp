// Feeds arbitrary bytes to the configuration file reader: once as an enciphered file
// (deciphered with the built-in key, then parsed when that succeeds) and once as plain
// text, then asks the parsed certificate every kind of query. Nothing may crash, read
// outside its buffer, or throw anything but the reader's own failures.
#include "lib/Certificate/BuiltInPublicKey.h"
#include "lib/Certificate/Certificate.h"
#include "lib/Certificate/Encryption.h"
#include "support/ContextException.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

namespace {

// A copy of exactly size bytes, so that a read past the end is caught.
std::unique_ptr<char[]> Copy(const std::uint8_t* data, std::size_t size) {
    std::unique_ptr<char[]> buffer(new char[size ? size : 1]);
    if (size) std::memcpy(buffer.get(), data, size);
    return buffer;
}

void Query(Certificate& certificate) {
    static const char* const kNames[] = {"Plugin_BurnMethod", "a", "M", ""};
    std::string text;
    Certificate::TextList list;
    char small[4];
    for (const char* name : kNames) {
        certificate.GetFieldAsText(name, text);
        certificate.GetFieldAsText(name, small, sizeof small);
        certificate.GetFieldAsNumber(name);
        certificate.GetFieldAsList(name, list);
        certificate.GetFieldMaxEnum(name);
        certificate.GetFieldValueAsEnum(std::string(name), text);
        certificate.GetFieldEnumAsValueText(name, 1);
        certificate.GetFieldEnumAsValueNumber(name, 2);
        certificate.GetFieldVocabAsText(name, text);
    }
    try {
        certificate.Export(text);
        std::unique_ptr<char[]> out(new char[text.size() + 1]);
        certificate.Export(out.get(), certificate.ExportLength());
    } catch (const ContextException&) {
    }
}

void ParseAndQuery(const char* buffer, std::size_t size) {
    Certificate certificate(true);
    try {
        certificate.Parse(buffer, size);
    } catch (const ContextException&) {
        return; // every query would fail alike in Validate
    }
    Query(certificate);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto file = Copy(data, size);
    std::size_t length = size;
    try {
        Encryption::Decrypt(file.get(), length, BuiltInPublicKey());
        ParseAndQuery(file.get(), length);
    } catch (const ContextException&) {
    }
    auto text = Copy(data, size);
    ParseAndQuery(text.get(), size);
    return 0;
}
