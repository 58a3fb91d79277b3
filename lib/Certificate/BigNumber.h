#pragma once
// BigNumber: an unsigned integer of any size, for the RSA operation on the configuration
// file's key block and for the key arithmetic of the file maker. A value type; 32-bit
// limbs, least significant first, never with leading zero limbs.
#include <compare>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class BigNumber {
public:
    BigNumber() = default;
    explicit BigNumber(std::uint64_t value);

    // Reads hexadecimal digits (either case); the empty text is 0. False for any other
    // character, leaving out unchanged.
    static bool FromHex(std::string_view text, BigNumber& out);
    // Reads count bytes, most significant first.
    static BigNumber FromBytes(const unsigned char* bytes, std::size_t count);

    // Upper-case hexadecimal, padded with zeros to at least minDigits.
    std::string ToHex(std::size_t minDigits = 1) const;
    // Writes the lowest count bytes, most significant first.
    void ToBytes(unsigned char* out, std::size_t count) const;

    bool IsZero() const { return limbs_.empty(); }
    bool IsOdd() const { return !limbs_.empty() && (limbs_[0] & 1); }
    std::size_t BitLength() const;
    bool Bit(std::size_t index) const;

    friend bool operator==(const BigNumber& a, const BigNumber& b) { return a.limbs_ == b.limbs_; }
    friend std::strong_ordering operator<=>(const BigNumber& a, const BigNumber& b);

    friend BigNumber operator+(const BigNumber& a, const BigNumber& b);
    // a - b for a >= b; throws std::domain_error otherwise.
    friend BigNumber operator-(const BigNumber& a, const BigNumber& b);
    friend BigNumber operator*(const BigNumber& a, const BigNumber& b);
    BigNumber operator<<(std::size_t bits) const;
    BigNumber operator>>(std::size_t bits) const;

    // Quotient and remainder; throws std::domain_error for a zero divisor.
    static void DivMod(const BigNumber& u, const BigNumber& v, BigNumber& quotient, BigNumber& remainder);
    friend BigNumber operator/(const BigNumber& a, const BigNumber& b);
    friend BigNumber operator%(const BigNumber& a, const BigNumber& b);
    std::uint32_t Mod(std::uint32_t divisor) const;

    // base ^ exponent mod modulus; throws std::domain_error for a zero modulus.
    static BigNumber PowMod(const BigNumber& base, const BigNumber& exponent, const BigNumber& modulus);

private:
    void Trim();

    std::vector<std::uint32_t> limbs_;
};
