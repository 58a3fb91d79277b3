#include "lib/Certificate/Primes.h"

#include "lib/Certificate/RandomSource.h"

#include <stdexcept>
#include <vector>

namespace {

const std::vector<std::uint32_t>& SmallPrimes() {
    static const std::vector<std::uint32_t> primes = [] {
        std::vector<std::uint32_t> list;
        for (std::uint32_t candidate = 2; candidate < 1000; ++candidate) {
            bool prime = true;
            for (std::uint32_t p : list) {
                if (p * p > candidate) break;
                if (candidate % p == 0) {
                    prime = false;
                    break;
                }
            }
            if (prime) list.push_back(candidate);
        }
        return list;
    }();
    return primes;
}

BigNumber RandomBits(std::size_t bits, RandomSource& random) {
    std::vector<unsigned char> bytes((bits + 7) / 8);
    random.Fill(bytes.data(), bytes.size());
    if (bits % 8) bytes[0] &= static_cast<unsigned char>((1u << (bits % 8)) - 1);
    return BigNumber::FromBytes(bytes.data(), bytes.size());
}

} // namespace

BigNumber Primes::RandomBelow(const BigNumber& limit, RandomSource& random) {
    if (limit.IsZero()) throw std::domain_error("Primes::RandomBelow with a zero limit");
    for (;;) {
        BigNumber candidate = RandomBits(limit.BitLength(), random);
        if (candidate < limit) return candidate;
    }
}

BigNumber Primes::RandomOdd(std::size_t bits, RandomSource& random) {
    if (bits < 2) throw std::domain_error("Primes::RandomOdd needs two bits at least");
    BigNumber top = BigNumber(3) << (bits - 2);
    BigNumber low = RandomBits(bits - 2, random);
    BigNumber n = top + low;
    return n.IsOdd() ? n : n + BigNumber(1);
}

bool Primes::IsProbablePrime(const BigNumber& n, RandomSource& random, int rounds) {
    if (n < BigNumber(2)) return false;
    for (std::uint32_t p : SmallPrimes()) {
        if (n == BigNumber(p)) return true;
        if (n.Mod(p) == 0) return false;
    }
    // Every number left is above 1000 and has no factor below it.
    const BigNumber one(1), two(2);
    const BigNumber nMinusOne = n - one;
    BigNumber d = nMinusOne;
    std::size_t s = 0;
    while (!d.IsOdd()) {
        d = d >> 1;
        ++s;
    }
    for (int round = 0; round < rounds; ++round) {
        const BigNumber a = two + RandomBelow(n - BigNumber(3), random); // 2 .. n-2
        BigNumber x = BigNumber::PowMod(a, d, n);
        if (x == one || x == nMinusOne) continue;
        bool witness = true;
        for (std::size_t i = 1; i < s; ++i) {
            x = (x * x) % n;
            if (x == nMinusOne) {
                witness = false;
                break;
            }
        }
        if (witness) return false;
    }
    return true;
}

BigNumber Primes::RandomPrime(std::size_t bits, RandomSource& random,
                              const std::function<bool(const BigNumber&)>& accept) {
    for (;;) {
        BigNumber candidate = RandomOdd(bits, random);
        if ((!accept || accept(candidate)) && IsProbablePrime(candidate, random)) return candidate;
    }
}
