#pragma once
// SigningKey: an RSA key pair for the configuration files. The public part is the text
// the program carries ("exponent-modulus": 64 and 65 upper-case hexadecimal digits); the
// private exponent signs the key block of each file. The modulus has 65 hexadecimal
// digits, so every 33-byte block that begins with a zero byte is below it. A key file
// holds both parts as "public = ..." and "private = ..." lines; "#" starts a comment line.
#include "lib/Certificate/BigNumber.h"
#include "support/ContextException.h"

#include <string>
#include <string_view>

class RandomSource;

class SigningKey {
public:
    struct base_exception : ContextException {
        using ContextException::ContextException;
    };
    FENNEL_EXCEPTION(format_error, base_exception);
    FENNEL_EXCEPTION(file_error, base_exception);

    static constexpr std::size_t kExponentDigits = 64;
    static constexpr std::size_t kModulusDigits = 65;
    static constexpr std::uint32_t kPublicExponent = 65537;

    // A new pair: two probable primes of 130 bits, public exponent 65537.
    static SigningKey Generate(RandomSource& random);
    // Reads a key file's text; throws format_error when a part is missing or malformed
    // or the two parts do not belong together.
    static SigningKey FromText(std::string_view text);
    static SigningKey Load(const std::string& path);

    std::string FileText() const;
    std::string PublicKeyText() const;
    const BigNumber& Modulus() const { return modulus_; }

    // number ^ private exponent mod modulus, for a number below the modulus.
    BigNumber Sign(const BigNumber& number) const;

private:
    SigningKey(BigNumber exponent, BigNumber modulus, BigNumber privateExponent);

    BigNumber exponent_;
    BigNumber modulus_;
    BigNumber privateExponent_;
};
