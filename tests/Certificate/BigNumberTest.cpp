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

// base ^ exponent mod modulus, computed once with Python's pow(m, e, n).
struct PowVector {
    const char *base, *exponent, *modulus, *result;
};
const PowVector kPowVectors[] = {
    {"3EC5C2E3BC322BD5635917D45926363FE6A11024DE2BA9C8CF2ED1DF8B64441C", "10001",
     "6DDC012F8A7865584456D044BC1F49414FE4F526311D5D724D5BAA978983B6369",
     "488AF6B67C3BD2FDE2D8D40097E84CBEDB2BAB9A0D888FA746D10E11A1012BF5E"},
    {"45A76C1B1A7432D65AC9BFD2B637BE33B22B9B0D044913985B14E93E71374D0DA",
     "AA4BEB2DD8BE0863FA6256853406B7AE3459E6E565EB2FC44F6E57A5AFCE6DFE",
     "6A407E15D7FF35253775D096D0F0F15FA4EE14C1FD194910BA222643E744AD6F8",
     "11FC343F0F969CE32983EDCB30D6DC024AD2137E5D61ACC4E906210721C99EA18"},
    {"6A407E15D7FF35253775D096D0F0F15FA4EE14C1FD194910BA222643E744AD6F7",
     "AA4BEB2DD8BE0863FA6256853406B7AE3459E6E565EB2FC44F6E57A5AFCE6DFE",
     "6A407E15D7FF35253775D096D0F0F15FA4EE14C1FD194910BA222643E744AD6F8", "1"},
    {"0", "10001", "6DDC012F8A7865584456D044BC1F49414FE4F526311D5D724D5BAA978983B6369", "0"},
    {"1", "AA4BEB2DD8BE0863FA6256853406B7AE3459E6E565EB2FC44F6E57A5AFCE6DFE",
     "6A407E15D7FF35253775D096D0F0F15FA4EE14C1FD194910BA222643E744AD6F8", "1"},
    {"7FFFFFFFFFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "800000000000000000000001", "7FFFFFFFFFFFFFF800000001"},
    {"FFFFFFFFFFFFFFFFFFFFFFFEFFFFFFFF", "3", "FFFFFFFFFFFFFFFFFFFFFFFF00000001", "FFFFFFFFFFFFFFFFFFFFFFFEFFFFFFF9"},
    {"75BCD15", "0", "F4243", "1"},
};

TEST(BigNumberTest, PowModAgreesWithAnIndependentComputation) {
    for (const PowVector& v : kPowVectors) {
        EXPECT_EQ(v.result, BigNumber::PowMod(N(v.base), N(v.exponent), N(v.modulus)).ToHex()) << v.base;
    }
}

// Quotient and remainder, from Python; the middle cases need the estimate corrections.
struct DivVector {
    const char *u, *v, *q, *r;
};
const DivVector kDivVectors[] = {
    {"FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF", "10000000000000001", "FFFFFFFFFFFFFFFF", "0"},
    {"7FFFFFFF800000000000000000000000", "800000000000000100000000", "FFFFFFFE", "7FFFFFFF0000000200000000"},
    {"1000000000000000000000000000000000000000000000000", "FFFFFFFFFFFFFFFFFFFFFFFF", "1000000000000000000000001", "1"},
    {"227A0DA46D32462F6F12919962F31C958FAA854BEA862E31D0A517838DFC7DAC26BCACAFD3B63AAD804B5E014BDA351B62324C90008B"
     "3237B9C071257D8366DF32",
     "3E7AE7205B0F20D66BE91003EE6EE61BC171801C4C64E2C90D25BE2558C235338",
     "8D4308EAAC21D777FA3C4313D9EE130B7DFDAF979B15CE4753F2613FECAAD9CD3",
     "2803F7E5A70ECAD6C1B583815716697BE8D4F79BAC03741E41FDC2A7C0EBB280A"},
    {"3000000000000000000000000", "1000000000000000000000003", "2", "FFFFFFFFFFFFFFFFFFFFFFFA"},
    {"5", "7", "0", "5"},
};

TEST(BigNumberTest, DivisionAgreesWithAnIndependentComputation) {
    for (const DivVector& v : kDivVectors) {
        BigNumber q, r;
        BigNumber::DivMod(N(v.u), N(v.v), q, r);
        EXPECT_EQ(v.q, q.ToHex()) << v.u << " / " << v.v;
        EXPECT_EQ(v.r, r.ToHex()) << v.u << " % " << v.v;
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

TEST(BigNumberTest, TextAndByteForms) {
    EXPECT_EQ("00000ABC", N("00aBc").ToHex(8));
    EXPECT_EQ("0", N("").ToHex());
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
}

TEST(BigNumberTest, ImpossibleArithmeticThrows) {
    BigNumber q, r;
    EXPECT_THROW(BigNumber(1) - BigNumber(2), std::domain_error);
    EXPECT_THROW(BigNumber::DivMod(BigNumber(1), BigNumber(), q, r), std::domain_error);
    EXPECT_THROW(BigNumber::PowMod(BigNumber(2), BigNumber(3), BigNumber()), std::domain_error);
}

} // namespace
