#include "lib/Certificate/BigNumber.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

BigNumber N(const char* hex) {
    BigNumber n;
    EXPECT_TRUE(BigNumber::FromHex(hex, n)) << hex;
    return n;
}

TEST(BigNumberTest, AgreesWithAnIndependentComputation) {
    // base ^ exponent mod modulus, from Python's pow(m, e, n).
    const char* pow[][4] = {
        {"3EC5C2E3BC322BD5635917D45926363FE6A11024DE2BA9C8CF2ED1DF8B64441C", "10001",
         "6DDC012F8A7865584456D044BC1F49414FE4F526311D5D724D5BAA978983B6369",
         "488AF6B67C3BD2FDE2D8D40097E84CBEDB2BAB9A0D888FA746D10E11A1012BF5E"},
        {"45A76C1B1A7432D65AC9BFD2B637BE33B22B9B0D044913985B14E93E71374D0DA",
         "AA4BEB2DD8BE0863FA6256853406B7AE3459E6E565EB2FC44F6E57A5AFCE6DFE",
         "6A407E15D7FF35253775D096D0F0F15FA4EE14C1FD194910BA222643E744AD6F8",
         "11FC343F0F969CE32983EDCB30D6DC024AD2137E5D61ACC4E906210721C99EA18"},
        {"7FFFFFFFFFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "800000000000000000000001", "7FFFFFFFFFFFFFF800000001"},
        {"75BCD15", "0", "F4243", "1"},
    };
    for (const auto& v : pow) EXPECT_EQ(v[3], BigNumber::PowMod(N(v[0]), N(v[1]), N(v[2])).ToHex()) << v[0];

    // Dividend, divisor, quotient, remainder; the middle cases need the estimate corrections.
    const char* div[][4] = {
        {"7FFFFFFF800000000000000000000000", "800000000000000100000000", "FFFFFFFE", "7FFFFFFF0000000200000000"},
        {"1000000000000000000000000000000000000000000000000", "FFFFFFFFFFFFFFFFFFFFFFFF", "1000000000000000000000001", "1"},
        {"3000000000000000000000000", "1000000000000000000000003", "2", "FFFFFFFFFFFFFFFFFFFFFFFA"},
    };
    for (const auto& v : div) {
        BigNumber q, r;
        BigNumber::DivMod(N(v[0]), N(v[1]), q, r);
        EXPECT_EQ(std::string(v[2]) + " " + v[3], q.ToHex() + " " + r.ToHex()) << v[0] << " / " << v[1];
    }
}

TEST(BigNumberTest, QuotientTimesDivisorPlusRemainderGivesTheDividend) {
    certificate_test::SeededRandom random(7);
    for (int i = 0; i < 400; ++i) {
        unsigned char a[80], b[80];
        const std::size_t aLen = 1 + random.Below(sizeof a), bLen = 1 + random.Below(aLen);
        random.Fill(a, aLen);
        random.Fill(b, bLen);
        if (i % 3 == 0) b[0] = 0x80; // divisors whose top limb has its high bit set or nearly
        const BigNumber u = BigNumber::FromBytes(a, aLen), v = BigNumber::FromBytes(b, bLen);
        if (v.IsZero()) continue;
        BigNumber q, r;
        BigNumber::DivMod(u, v, q, r);
        ASSERT_TRUE(r < v) << u.ToHex() << " % " << v.ToHex();
        ASSERT_EQ(u, q * v + r) << u.ToHex() << " / " << v.ToHex();
        ASSERT_EQ(u, (u + v) - v);
    }
}

TEST(BigNumberTest, TextAndByteFormsAndImpossibleArithmetic) {
    EXPECT_EQ("00000ABC", N("00aBc").ToHex(8));
    for (const char* bad : {"12G4", "-1", " 1", "0x10"}) {
        BigNumber kept(5);
        EXPECT_FALSE(BigNumber::FromHex(bad, kept)) << bad;
        EXPECT_EQ(BigNumber(5), kept) << bad;
    }
    const unsigned char bytes[] = {0x00, 0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07};
    const BigNumber n = BigNumber::FromBytes(bytes, sizeof bytes);
    EXPECT_EQ("1020304050607", n.ToHex());
    unsigned char out[9];
    n.ToBytes(out, sizeof out);
    EXPECT_EQ(certificate_test::Hex(bytes, 9), certificate_test::Hex(out, 9));
    n.ToBytes(out, 3); // the lowest bytes only
    EXPECT_EQ("050607", certificate_test::Hex(out, 3));

    BigNumber q, r;
    EXPECT_THROW(BigNumber(1) - BigNumber(2), std::domain_error);
    EXPECT_THROW(BigNumber::DivMod(BigNumber(1), BigNumber(), q, r), std::domain_error);
    EXPECT_THROW(BigNumber::PowMod(BigNumber(2), BigNumber(3), BigNumber()), std::domain_error);
}

} // namespace
