#include "lib/Certificate/BigNumber.h"

#include <algorithm>
#include <bit>
#include <stdexcept>

namespace {

constexpr std::uint64_t kBase = std::uint64_t{1} << 32;

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

} // namespace

BigNumber::BigNumber(std::uint64_t value) {
    if (value) limbs_.push_back(static_cast<std::uint32_t>(value));
    if (value >> 32) limbs_.push_back(static_cast<std::uint32_t>(value >> 32));
}

void BigNumber::Trim() {
    while (!limbs_.empty() && limbs_.back() == 0) limbs_.pop_back();
}

bool BigNumber::FromHex(std::string_view text, BigNumber& out) {
    BigNumber result;
    result.limbs_.assign((text.size() + 7) / 8, 0);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int digit = HexValue(text[text.size() - 1 - i]);
        if (digit < 0) return false;
        result.limbs_[i / 8] |= static_cast<std::uint32_t>(digit) << (4 * (i % 8));
    }
    result.Trim();
    out = std::move(result);
    return true;
}

BigNumber BigNumber::FromBytes(const unsigned char* bytes, std::size_t count) {
    BigNumber result;
    result.limbs_.assign((count + 3) / 4, 0);
    for (std::size_t i = 0; i < count; ++i) {
        result.limbs_[i / 4] |= std::uint32_t{bytes[count - 1 - i]} << (8 * (i % 4));
    }
    result.Trim();
    return result;
}

std::string BigNumber::ToHex(std::size_t minDigits) const {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (std::uint32_t limb : limbs_) {
        for (int i = 0; i < 8; ++i) {
            text.push_back(kDigits[limb & 0xf]);
            limb >>= 4;
        }
    }
    while (!text.empty() && text.back() == '0') text.pop_back();
    if (text.size() < minDigits) text.append(minDigits - text.size(), '0');
    std::reverse(text.begin(), text.end());
    return text;
}

void BigNumber::ToBytes(unsigned char* out, std::size_t count) const {
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t limb = i / 4;
        const std::uint32_t value = limb < limbs_.size() ? limbs_[limb] : 0;
        out[count - 1 - i] = static_cast<unsigned char>(value >> (8 * (i % 4)));
    }
}

std::size_t BigNumber::BitLength() const {
    if (limbs_.empty()) return 0;
    return 32 * limbs_.size() - static_cast<std::size_t>(std::countl_zero(limbs_.back()));
}

bool BigNumber::Bit(std::size_t index) const {
    const std::size_t limb = index / 32;
    return limb < limbs_.size() && ((limbs_[limb] >> (index % 32)) & 1);
}

std::strong_ordering operator<=>(const BigNumber& a, const BigNumber& b) {
    if (a.limbs_.size() != b.limbs_.size()) return a.limbs_.size() <=> b.limbs_.size();
    for (std::size_t i = a.limbs_.size(); i-- > 0;) {
        if (a.limbs_[i] != b.limbs_[i]) return a.limbs_[i] <=> b.limbs_[i];
    }
    return std::strong_ordering::equal;
}

BigNumber operator+(const BigNumber& a, const BigNumber& b) {
    const BigNumber& longer = a.limbs_.size() >= b.limbs_.size() ? a : b;
    const BigNumber& shorter = &longer == &a ? b : a;
    BigNumber sum;
    sum.limbs_.resize(longer.limbs_.size() + 1);
    std::uint64_t carry = 0;
    for (std::size_t i = 0; i < longer.limbs_.size(); ++i) {
        carry += longer.limbs_[i];
        if (i < shorter.limbs_.size()) carry += shorter.limbs_[i];
        sum.limbs_[i] = static_cast<std::uint32_t>(carry);
        carry >>= 32;
    }
    sum.limbs_.back() = static_cast<std::uint32_t>(carry);
    sum.Trim();
    return sum;
}

BigNumber operator-(const BigNumber& a, const BigNumber& b) {
    if (a < b) throw std::domain_error("BigNumber subtraction below zero");
    BigNumber difference;
    difference.limbs_.resize(a.limbs_.size());
    std::int64_t borrow = 0;
    for (std::size_t i = 0; i < a.limbs_.size(); ++i) {
        std::int64_t d = std::int64_t{a.limbs_[i]} - borrow - (i < b.limbs_.size() ? std::int64_t{b.limbs_[i]} : 0);
        borrow = d < 0 ? 1 : 0;
        difference.limbs_[i] = static_cast<std::uint32_t>(d + (borrow ? static_cast<std::int64_t>(kBase) : 0));
    }
    difference.Trim();
    return difference;
}

BigNumber operator*(const BigNumber& a, const BigNumber& b) {
    BigNumber product;
    if (a.IsZero() || b.IsZero()) return product;
    product.limbs_.assign(a.limbs_.size() + b.limbs_.size(), 0);
    for (std::size_t i = 0; i < a.limbs_.size(); ++i) {
        std::uint64_t carry = 0;
        for (std::size_t j = 0; j < b.limbs_.size(); ++j) {
            carry += std::uint64_t{a.limbs_[i]} * b.limbs_[j] + product.limbs_[i + j];
            product.limbs_[i + j] = static_cast<std::uint32_t>(carry);
            carry >>= 32;
        }
        product.limbs_[i + b.limbs_.size()] = static_cast<std::uint32_t>(carry);
    }
    product.Trim();
    return product;
}

BigNumber BigNumber::operator<<(std::size_t bits) const {
    if (IsZero()) return *this;
    const std::size_t whole = bits / 32, part = bits % 32;
    BigNumber result;
    result.limbs_.assign(limbs_.size() + whole + 1, 0);
    for (std::size_t i = 0; i < limbs_.size(); ++i) {
        const std::uint64_t shifted = std::uint64_t{limbs_[i]} << part;
        result.limbs_[i + whole] |= static_cast<std::uint32_t>(shifted);
        result.limbs_[i + whole + 1] |= static_cast<std::uint32_t>(shifted >> 32);
    }
    result.Trim();
    return result;
}

BigNumber BigNumber::operator>>(std::size_t bits) const {
    const std::size_t whole = bits / 32, part = bits % 32;
    BigNumber result;
    if (whole >= limbs_.size()) return result;
    result.limbs_.assign(limbs_.size() - whole, 0);
    for (std::size_t i = 0; i < result.limbs_.size(); ++i) {
        std::uint64_t window = limbs_[i + whole];
        if (i + whole + 1 < limbs_.size()) window |= std::uint64_t{limbs_[i + whole + 1]} << 32;
        result.limbs_[i] = static_cast<std::uint32_t>(window >> part);
    }
    result.Trim();
    return result;
}

std::uint32_t BigNumber::Mod(std::uint32_t divisor) const {
    if (divisor == 0) throw std::domain_error("BigNumber division by zero");
    std::uint64_t remainder = 0;
    for (std::size_t i = limbs_.size(); i-- > 0;) {
        remainder = ((remainder << 32) | limbs_[i]) % divisor;
    }
    return static_cast<std::uint32_t>(remainder);
}

// Long division with 32-bit digits (Knuth, volume 2, 4.3.1, algorithm D).
void BigNumber::DivMod(const BigNumber& u, const BigNumber& v, BigNumber& quotient, BigNumber& remainder) {
    if (v.IsZero()) throw std::domain_error("BigNumber division by zero");
    if (u < v) {
        quotient = BigNumber();
        remainder = u;
        return;
    }
    const std::size_t n = v.limbs_.size(), m = u.limbs_.size() - n;
    BigNumber q;
    q.limbs_.assign(m + 1, 0);
    if (n == 1) {
        const std::uint64_t d = v.limbs_[0];
        std::uint64_t r = 0;
        for (std::size_t i = u.limbs_.size(); i-- > 0;) {
            const std::uint64_t current = (r << 32) | u.limbs_[i];
            q.limbs_[i] = static_cast<std::uint32_t>(current / d);
            r = current % d;
        }
        q.Trim();
        quotient = std::move(q);
        remainder = BigNumber(r);
        return;
    }

    // Normalise so that the divisor's top digit has its high bit set.
    const int shift = std::countl_zero(v.limbs_.back());
    std::vector<std::uint32_t> vn(n), un(u.limbs_.size() + 1);
    for (std::size_t i = n; i-- > 0;) {
        const std::uint64_t w = (std::uint64_t{v.limbs_[i]} << shift) | (i > 0 && shift ? v.limbs_[i - 1] >> (32 - shift) : 0);
        vn[i] = static_cast<std::uint32_t>(w);
    }
    un[u.limbs_.size()] = shift ? u.limbs_.back() >> (32 - shift) : 0;
    for (std::size_t i = u.limbs_.size(); i-- > 0;) {
        const std::uint64_t w = (std::uint64_t{u.limbs_[i]} << shift) | (i > 0 && shift ? u.limbs_[i - 1] >> (32 - shift) : 0);
        un[i] = static_cast<std::uint32_t>(w);
    }

    for (std::size_t j = m + 1; j-- > 0;) {
        const std::uint64_t top = (std::uint64_t{un[j + n]} << 32) | un[j + n - 1];
        std::uint64_t qhat = top / vn[n - 1];
        std::uint64_t rhat = top % vn[n - 1];
        while (qhat >= kBase || qhat * vn[n - 2] > ((rhat << 32) | un[j + n - 2])) {
            --qhat;
            rhat += vn[n - 1];
            if (rhat >= kBase) break;
        }
        // Multiply and subtract.
        std::int64_t borrow = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const std::uint64_t p = qhat * vn[i];
            const std::int64_t t = std::int64_t{un[i + j]} - borrow - static_cast<std::int64_t>(p & 0xffffffffu);
            un[i + j] = static_cast<std::uint32_t>(t);
            borrow = static_cast<std::int64_t>(p >> 32) - (t >> 32);
        }
        const std::int64_t t = std::int64_t{un[j + n]} - borrow;
        un[j + n] = static_cast<std::uint32_t>(t);
        if (t < 0) {
            // The estimate was one too large: add the divisor back.
            --qhat;
            std::uint64_t carry = 0;
            for (std::size_t i = 0; i < n; ++i) {
                carry += std::uint64_t{un[i + j]} + vn[i];
                un[i + j] = static_cast<std::uint32_t>(carry);
                carry >>= 32;
            }
            un[j + n] = static_cast<std::uint32_t>(un[j + n] + carry);
        }
        q.limbs_[j] = static_cast<std::uint32_t>(qhat);
    }

    BigNumber r;
    r.limbs_.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint64_t w = (std::uint64_t{un[i]} >> shift) | (shift ? std::uint64_t{un[i + 1]} << (32 - shift) : 0);
        r.limbs_[i] = static_cast<std::uint32_t>(w);
    }
    r.Trim();
    q.Trim();
    quotient = std::move(q);
    remainder = std::move(r);
}

BigNumber operator/(const BigNumber& a, const BigNumber& b) {
    BigNumber q, r;
    BigNumber::DivMod(a, b, q, r);
    return q;
}

BigNumber operator%(const BigNumber& a, const BigNumber& b) {
    BigNumber q, r;
    BigNumber::DivMod(a, b, q, r);
    return r;
}

BigNumber BigNumber::PowMod(const BigNumber& base, const BigNumber& exponent, const BigNumber& modulus) {
    if (modulus.IsZero()) throw std::domain_error("BigNumber modulus zero");
    BigNumber result = BigNumber(1) % modulus;
    const BigNumber b = base % modulus;
    for (std::size_t i = exponent.BitLength(); i-- > 0;) {
        result = (result * result) % modulus;
        if (exponent.Bit(i)) result = (result * b) % modulus;
    }
    return result;
}
