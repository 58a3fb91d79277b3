#include "lib/Certificate/SigningKey.h"

#include "lib/Certificate/Encryption.h"
#include "lib/Certificate/Primes.h"

#include <cstdio>
#include <memory>

namespace {

constexpr std::size_t kPrimeBits = 130;

// The inverse of a modulo m, or zero when there is none. Extended Euclid with the
// coefficients kept as residues modulo m, so no negative numbers arise.
BigNumber ModularInverse(const BigNumber& a, const BigNumber& m) {
    BigNumber oldR = a % m, r = m;
    BigNumber oldS(1), s(0);
    while (!r.IsZero()) {
        BigNumber q, rest;
        BigNumber::DivMod(oldR, r, q, rest);
        oldR = std::move(r);
        r = std::move(rest);
        const BigNumber qs = (q * s) % m;
        BigNumber next = (oldS + m - qs) % m;
        oldS = std::move(s);
        s = std::move(next);
    }
    return oldR == BigNumber(1) ? oldS : BigNumber();
}

std::string_view Trim(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

bool IsUpperHex(std::string_view text, std::size_t digits) {
    if (text.size() != digits) return false;
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
    }
    return true;
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

} // namespace

SigningKey::SigningKey(BigNumber exponent, BigNumber modulus, BigNumber privateExponent)
    : exponent_(std::move(exponent)), modulus_(std::move(modulus)), privateExponent_(std::move(privateExponent)) {}

SigningKey SigningKey::Generate(RandomSource& random) {
    const BigNumber e(kPublicExponent), one(1);
    // p - 1 must not share the factor e, else e has no inverse.
    const auto coprime = [](const BigNumber& p) { return p.Mod(kPublicExponent) != 1; };
    for (;;) {
        const BigNumber p = Primes::RandomPrime(kPrimeBits, random, coprime);
        const BigNumber q = Primes::RandomPrime(kPrimeBits, random, coprime);
        if (p == q) continue;
        BigNumber n = p * q;
        if (n.ToHex().size() != kModulusDigits) continue;
        BigNumber d = ModularInverse(e, (p - one) * (q - one));
        if (d.IsZero()) continue;
        return SigningKey(e, std::move(n), std::move(d));
    }
}

SigningKey SigningKey::FromText(std::string_view text) {
    std::string_view publicPart, privatePart;
    while (!text.empty()) {
        const std::size_t eol = text.find('\n');
        std::string_view line = Trim(text.substr(0, eol));
        text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
        if (line.empty() || line.front() == '#') continue;
        const std::size_t equal = line.find('=');
        if (equal == std::string_view::npos) {
            FENNEL_THROW(format_error, "SigningKey::FromText()", ("line without '=': " + std::string(line)).c_str());
        }
        const std::string_view name = Trim(line.substr(0, equal)), value = Trim(line.substr(equal + 1));
        if (name == "public") {
            publicPart = value;
        } else if (name == "private") {
            privatePart = value;
        } else {
            FENNEL_THROW(format_error, "SigningKey::FromText()", ("unknown entry: " + std::string(name)).c_str());
        }
    }

    const std::size_t dash = publicPart.find('-');
    if (dash == std::string_view::npos || !IsUpperHex(publicPart.substr(0, dash), kExponentDigits) ||
        !IsUpperHex(publicPart.substr(dash + 1), kModulusDigits) || publicPart[dash + 1] == '0') {
        FENNEL_THROW(format_error, "SigningKey::FromText()",
                     "the public key must be 64 and 65 upper-case hexadecimal digits joined by '-', "
                     "the modulus not beginning with 0");
    }
    BigNumber e, n, d;
    if (!BigNumber::FromHex(publicPart.substr(0, dash), e) || !BigNumber::FromHex(publicPart.substr(dash + 1), n) ||
        privatePart.empty() || !BigNumber::FromHex(privatePart, d)) {
        FENNEL_THROW(format_error, "SigningKey::FromText()", "the private key must be hexadecimal digits");
    }
    SigningKey key(std::move(e), std::move(n), std::move(d));

    // The parts belong together when signing and the public operation undo each other.
    BigNumber probe;
    BigNumber::FromHex("5EA1ED0F1E5C0FFEE", probe);
    BigNumber check = key.Sign(probe);
    const std::string publicText = key.PublicKeyText();
    if (!Encryption::RsaPublic(check, publicText.c_str()) || !(check == probe)) {
        FENNEL_THROW(format_error, "SigningKey::FromText()", "the private key does not belong to the public key");
    }
    return key;
}

SigningKey SigningKey::Load(const std::string& path) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) FENNEL_THROW(file_error, "SigningKey::Load()", ("cannot open " + path).c_str());
    std::string text;
    char chunk[4096];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
        text.append(chunk, got);
        if (text.size() > 65536) FENNEL_THROW(file_error, "SigningKey::Load()", ("not a key file: " + path).c_str());
    }
    return FromText(text);
}

std::string SigningKey::FileText() const {
    return "# Key pair that signs the configuration files. Whoever holds the private part can make\n"
           "# files that every program built with the public part accepts.\n"
           "public = " + PublicKeyText() + "\n" +
           "private = " + privateExponent_.ToHex(kModulusDigits) + "\n";
}

std::string SigningKey::PublicKeyText() const {
    return exponent_.ToHex(kExponentDigits) + "-" + modulus_.ToHex(kModulusDigits);
}

BigNumber SigningKey::Sign(const BigNumber& number) const {
    return BigNumber::PowMod(number, privateExponent_, modulus_);
}
