#pragma once
// Primes: random numbers and probable primes for the file maker's key pairs
// (trial division by small primes, then Miller-Rabin with random bases).
#include "lib/Certificate/BigNumber.h"

#include <cstddef>
#include <functional>

class RandomSource;

class Primes {
public:
    // A uniformly chosen number below limit (limit > 0).
    static BigNumber RandomBelow(const BigNumber& limit, RandomSource& random);
    // An odd number of exactly bits bits (bits >= 2) whose two top bits are set, so that
    // the product of two of them has exactly twice as many bits.
    static BigNumber RandomOdd(std::size_t bits, RandomSource& random);
    // False for every composite found; a prime always answers true. A composite passes
    // with a chance below 4^-rounds.
    static bool IsProbablePrime(const BigNumber& n, RandomSource& random, int rounds = 40);
    // A probable prime as RandomOdd makes them that accept also takes.
    static BigNumber RandomPrime(std::size_t bits, RandomSource& random,
                                 const std::function<bool(const BigNumber&)>& accept);
};
