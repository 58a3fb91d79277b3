// qcfmaker: makes and inspects the program's signed configuration files.
//
//   qcfmaker genkey KEYFILE                       write a new key pair (never overwrites)
//   qcfmaker public KEYFILE                       print the public key text
//   qcfmaker make KEYFILE TEXTFILE QCFFILE [--unchecked]
//                                                 check the text's syntax, then sign and encipher it
//   qcfmaker show KEY QCFFILE                     decipher and print; KEY is a key file or a
//                                                 public key text
//
// Exit code 0 on success, 1 on failure (reason on stderr), 2 for a wrong command line.
#include "lib/Certificate/CertificateMaker.h"
#include "lib/Certificate/SigningKey.h"
#include "lib/Certificate/SystemRandom.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::string ReadAll(const std::string& path) {
    File file(std::fopen(path.c_str(), "rb"));
    if (!file) throw std::runtime_error("cannot open " + path);
    std::string data;
    char chunk[65536];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) data.append(chunk, got);
    if (std::ferror(file.get())) throw std::runtime_error("cannot read " + path);
    return data;
}

void WriteAll(const std::string& path, const std::string& data, bool mustBeNew) {
    if (mustBeNew && File(std::fopen(path.c_str(), "rb"))) {
        throw std::runtime_error(path + " exists already; it is not replaced");
    }
    File file(std::fopen(path.c_str(), "wb"));
    if (!file || std::fwrite(data.data(), 1, data.size(), file.get()) != data.size() || std::fflush(file.get()) != 0) {
        throw std::runtime_error("cannot write " + path);
    }
}

// A public key text as given, or the public part of a key file.
std::string PublicKeyOf(const std::string& argument) {
    if (argument.size() == SigningKey::kExponentDigits + 1 + SigningKey::kModulusDigits &&
        argument[SigningKey::kExponentDigits] == '-') {
        return argument;
    }
    return SigningKey::Load(argument).PublicKeyText();
}

int Usage() {
    std::fputs("usage: qcfmaker genkey KEYFILE\n"
               "       qcfmaker public KEYFILE\n"
               "       qcfmaker make KEYFILE TEXTFILE QCFFILE [--unchecked]\n"
               "       qcfmaker show KEY QCFFILE\n",
               stderr);
    return 2;
}

int Run(const std::vector<std::string>& args) {
    if (args.empty()) return Usage();
    const std::string& command = args[0];
    if (command == "genkey" && args.size() == 2) {
        SystemRandom random;
        WriteAll(args[1], SigningKey::Generate(random).FileText(), true);
        return 0;
    }
    if (command == "public" && args.size() == 2) {
        std::printf("%s\n", SigningKey::Load(args[1]).PublicKeyText().c_str());
        return 0;
    }
    if (command == "make" && (args.size() == 4 || (args.size() == 5 && args[4] == "--unchecked"))) {
        const SigningKey key = SigningKey::Load(args[1]);
        const std::string text = ReadAll(args[2]);
        if (args.size() == 4) {
            try {
                CertificateMaker::CheckText(text);
            } catch (const ContextException& e) {
                throw std::runtime_error(args[2] + " does not parse:\n" + e.Context());
            }
        }
        SystemRandom random;
        WriteAll(args[3], CertificateMaker::Make(text, key, random), false);
        return 0;
    }
    if (command == "show" && args.size() == 3) {
        const std::string key = PublicKeyOf(args[1]);
        const std::string text = CertificateMaker::Open(ReadAll(args[2]), key.c_str());
        std::fwrite(text.data(), 1, text.size(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    return Usage();
}

} // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY); // the text is shown byte for byte
#endif
    try {
        return Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "qcfmaker: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "qcfmaker: unknown failure\n");
    }
    return 1;
}
